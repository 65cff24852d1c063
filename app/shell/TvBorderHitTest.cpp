#include "TvBorderHitTest.h"

namespace TvBorderHitTest {

Qt::Edges edgesAt(const QPoint& pos, const QSize& size, bool overBar) {
    if (overBar)
        return {};
    const int x = pos.x();
    const int y = pos.y();
    const int w = size.width() - 1;
    const int h = size.height() - 1;
    Qt::Edges edges;
    if (x >= 2 && x <= 5)
        edges |= Qt::LeftEdge;
    else if (x >= w - 4 && x < w)
        edges |= Qt::RightEdge;
    if (y >= 2 && y <= 5)
        edges |= Qt::TopEdge;
    else if (y >= h - 4 && y < h)
        edges |= Qt::BottomEdge;
    return edges;
}

int hitTestCode(Qt::Edges edges) {
    const bool left = edges & Qt::LeftEdge;
    const bool right = edges & Qt::RightEdge;
    const bool top = edges & Qt::TopEdge;
    const bool bottom = edges & Qt::BottomEdge;
    if (top && left)
        return 13; // HTTOPLEFT
    if (top && right)
        return 14; // HTTOPRIGHT
    if (bottom && left)
        return 16; // HTBOTTOMLEFT
    if (bottom && right)
        return 17; // HTBOTTOMRIGHT
    if (left)
        return 10; // HTLEFT
    if (right)
        return 11; // HTRIGHT
    if (top)
        return 12; // HTTOP
    if (bottom)
        return 15; // HTBOTTOM
    return 0;
}

Qt::CursorShape cursorFor(Qt::Edges edges) {
    switch (hitTestCode(edges)) {
    case 13:
    case 17:
        return Qt::SizeFDiagCursor;
    case 14:
    case 16:
        return Qt::SizeBDiagCursor;
    case 10:
    case 11:
        return Qt::SizeHorCursor;
    case 12:
    case 15:
        return Qt::SizeVerCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace TvBorderHitTest
