#include "TvBorderHitTest.h"
#include "TvBorderResizer.h"

#include <QApplication>
#include <QCursor>
#include <QWindow>
#include <QtTest>

using TvBorderHitTest::edgesAt;
using TvBorderHitTest::hitTestCode;

namespace {

const QSize kFrame(800, 600); // zones: x 2..5 and 795..798, y 2..5 and 595..598

Qt::Edges at(int x, int y) {
    return edgesAt(QPoint(x, y), kFrame, false);
}

} // namespace

class TestBorderHitTest : public QObject {
    Q_OBJECT
private slots:
    void edgeZonesAndTheirLimits();
    void cornersWinOverEdges();
    void barNeverResizes();
    void hitTestCodesAndCursors();
    void resizerFollowsTheBorderDrag();
};

void TestBorderHitTest::edgeZonesAndTheirLimits() {
    const int midX = 400;
    const int midY = 300;
    // Left: 2 <= x <= 5.
    QCOMPARE(at(1, midY), Qt::Edges());
    QCOMPARE(at(2, midY), Qt::Edges(Qt::LeftEdge));
    QCOMPARE(at(5, midY), Qt::Edges(Qt::LeftEdge));
    QCOMPARE(at(6, midY), Qt::Edges());
    // Right: W - 4 <= x < W with W = width - 1.
    QCOMPARE(at(794, midY), Qt::Edges());
    QCOMPARE(at(795, midY), Qt::Edges(Qt::RightEdge));
    QCOMPARE(at(798, midY), Qt::Edges(Qt::RightEdge));
    QCOMPARE(at(799, midY), Qt::Edges());
    // Top and bottom likewise.
    QCOMPARE(at(midX, 1), Qt::Edges());
    QCOMPARE(at(midX, 2), Qt::Edges(Qt::TopEdge));
    QCOMPARE(at(midX, 5), Qt::Edges(Qt::TopEdge));
    QCOMPARE(at(midX, 6), Qt::Edges());
    QCOMPARE(at(midX, 594), Qt::Edges());
    QCOMPARE(at(midX, 595), Qt::Edges(Qt::BottomEdge));
    QCOMPARE(at(midX, 598), Qt::Edges(Qt::BottomEdge));
    QCOMPARE(at(midX, 599), Qt::Edges());
    // Outside the frame (a stale position) is no zone.
    QCOMPARE(at(-3, midY), Qt::Edges());
    QCOMPARE(at(midX, 900), Qt::Edges());
    QCOMPARE(at(midX, midY), Qt::Edges());
}

void TestBorderHitTest::cornersWinOverEdges() {
    QCOMPARE(at(3, 3), Qt::TopEdge | Qt::LeftEdge);
    QCOMPARE(hitTestCode(at(3, 3)), 13);
    QCOMPARE(hitTestCode(at(797, 3)), 14);
    QCOMPARE(hitTestCode(at(3, 597)), 16);
    QCOMPARE(hitTestCode(at(797, 597)), 17);
    // A corner needs both zones: in the left zone but one pixel below the top zone is only left.
    QCOMPARE(hitTestCode(at(3, 6)), 10);
    QCOMPARE(hitTestCode(at(6, 3)), 12);
}

void TestBorderHitTest::barNeverResizes() {
    for (const QPoint& p : {QPoint(3, 3), QPoint(400, 3), QPoint(797, 4), QPoint(3, 300)})
        QCOMPARE(edgesAt(p, kFrame, true), Qt::Edges());
}

void TestBorderHitTest::hitTestCodesAndCursors() {
    QCOMPARE(hitTestCode(Qt::LeftEdge), 10);
    QCOMPARE(hitTestCode(Qt::RightEdge), 11);
    QCOMPARE(hitTestCode(Qt::TopEdge), 12);
    QCOMPARE(hitTestCode(Qt::BottomEdge), 15);
    QCOMPARE(hitTestCode({}), 0);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::TopEdge | Qt::LeftEdge), Qt::SizeFDiagCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::BottomEdge | Qt::RightEdge), Qt::SizeFDiagCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::TopEdge | Qt::RightEdge), Qt::SizeBDiagCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::LeftEdge), Qt::SizeHorCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::BottomEdge), Qt::SizeVerCursor);
    QCOMPARE(TvBorderHitTest::cursorFor({}), Qt::ArrowCursor);
}

void TestBorderHitTest::resizerFollowsTheBorderDrag() {
    // A frameless window whose children cover the border, as the main window's do.
    QWidget window(nullptr, Qt::FramelessWindowHint);
    auto* content = new QWidget(&window);
    auto* bar = new QWidget(&window);
    window.setGeometry(300, 300, 400, 300);
    content->setGeometry(0, 0, 400, 300);
    bar->setGeometry(100, 0, 200, 32);
    auto* resizer = new TvBorderResizer(&window, bar);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* handle = window.windowHandle();
    QVERIFY(handle);

    // Hovering a zone shows the resize cursor; leaving it restores the normal one.
    QTest::mouseMove(handle, QPoint(3, 3));
    QVERIFY(QGuiApplication::overrideCursor());
    QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::SizeFDiagCursor);
    QTest::mouseMove(handle, QPoint(200, 150));
    QVERIFY(!QGuiApplication::overrideCursor());

    // Over the bar the top border is no border.
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(150, 3));
    QVERIFY(!resizer->isResizing());
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, QPoint(150, 3));

    // A drag from 3 px inside the top-left corner grows the window up and to the left. Without a
    // window manager (Xvfb) the resizer follows the mouse itself.
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    if (!resizer->isResizing())
        QSKIP("the window manager took the resize over");
    QTest::mouseMove(handle, QPoint(-47, -37));
    // The same screen point, now 3 px inside the moved corner.
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
    QVERIFY(!resizer->isResizing());
    QTRY_COMPARE(window.geometry(), QRect(250, 260, 450, 340));

    // The right edge never crosses the left one.
    QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, QPoint(446, 200));
    QVERIFY(resizer->isResizing());
    QTest::mouseMove(handle, QPoint(-2000, 200));
    QVERIFY(window.width() >= 1);
    QCOMPARE(window.x(), 250);
    QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, QPoint(window.width() - 4, 200));
    QVERIFY(!resizer->isResizing());
}

QTEST_MAIN(TestBorderHitTest)
#include "test_borderhittest.moc"
