#include "TvBorderResizer.h"

#include "TvBorderHitTest.h"

#include <QEvent>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

TvBorderResizer::TvBorderResizer(QWidget* window, QWidget* bar)
    : QObject(window), m_window(window), m_bar(bar) {
    m_window->installEventFilter(this);
    attach();
}

TvBorderResizer::~TvBorderResizer() {
    showCursorFor({});
}

void TvBorderResizer::attach() {
    QWindow* handle = m_window->windowHandle();
    if (!handle || handle == m_handle)
        return;
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle = handle;
    m_handle->installEventFilter(this);
}

Qt::Edges TvBorderResizer::edgesAt(const QPoint& windowPos) const {
    if (m_window->isMaximized() || m_window->isFullScreen())
        return {};
    const bool overBar = m_bar && m_window->childAt(windowPos) == m_bar;
    return TvBorderHitTest::edgesAt(windowPos, m_window->frameGeometry().size(), overBar);
}

void TvBorderResizer::showCursorFor(Qt::Edges edges) {
    if (edges == m_cursorEdges)
        return;
    // An override cursor, because the children under the border each have their own cursor.
    if (m_cursorEdges)
        QGuiApplication::restoreOverrideCursor();
    if (edges)
        QGuiApplication::setOverrideCursor(TvBorderHitTest::cursorFor(edges));
    m_cursorEdges = edges;
}

bool TvBorderResizer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        if (event->type() == QEvent::WinIdChange || event->type() == QEvent::Show)
            attach();
        return false;
    }
    if (watched != m_handle)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return handleMouse(static_cast<QMouseEvent*>(event));
    case QEvent::Leave:
        if (!m_resizing)
            showCursorFor({});
        return false;
    default:
        return false;
    }
}

bool TvBorderResizer::handleMouse(QMouseEvent* event) {
    if (m_resizing) {
        if (event->type() == QEvent::MouseMove) {
            resizeBy(event->globalPos());
        } else if (event->type() == QEvent::MouseButtonRelease && event->button() == Qt::LeftButton) {
            m_resizing = {};
            showCursorFor(edgesAt(event->pos()));
        }
        return true;
    }

    const Qt::Edges edges = edgesAt(event->pos());
    if (event->type() == QEvent::MouseMove && event->buttons() == Qt::NoButton)
        showCursorFor(edges);
    if (!edges)
        return false;
    if (event->type() == QEvent::MouseButtonDblClick)
        return true; // a double-click on the border is no click on the child beneath
    if (event->type() != QEvent::MouseButtonPress || event->button() != Qt::LeftButton)
        return false;
    if (m_handle && m_handle->startSystemResize(edges))
        return true;
    // No window manager to hand the drag to: follow the mouse ourselves until the release.
    m_resizing = edges;
    m_pressGlobal = event->globalPos();
    m_pressGeometry = m_window->geometry();
    return true;
}

void TvBorderResizer::resizeBy(const QPoint& globalPos) {
    const QPoint d = globalPos - m_pressGlobal;
    QRect r = m_pressGeometry;
    const QSize minSize =
        m_window->minimumSizeHint().expandedTo(m_window->minimumSize()).expandedTo(QSize(1, 1));
    if (m_resizing & Qt::LeftEdge)
        r.setLeft(qMin(r.left() + d.x(), r.right() + 1 - minSize.width()));
    if (m_resizing & Qt::RightEdge)
        r.setRight(qMax(r.right() + d.x(), r.left() + minSize.width() - 1));
    if (m_resizing & Qt::TopEdge)
        r.setTop(qMin(r.top() + d.y(), r.bottom() + 1 - minSize.height()));
    if (m_resizing & Qt::BottomEdge)
        r.setBottom(qMax(r.bottom() + d.y(), r.top() + minSize.height() - 1));
    m_window->setGeometry(r);
}
