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
    void zonesCodesAndCursors();
    void resizerFollowsTheBorderDrag();
};

void TestBorderHitTest::zonesCodesAndCursors() {
    // Each zone's first and last pixel and the pixels just outside; a corner needs both of its zones;
    // outside the frame (a stale position) is no zone.
    const struct {
        QPoint at;
        int code;
    } cases[] = {{{1, 300}, 0},    {{2, 300}, 10},   {{5, 300}, 10},  {{6, 300}, 0},    {{794, 300}, 0},
                 {{795, 300}, 11}, {{798, 300}, 11}, {{799, 300}, 0}, {{400, 1}, 0},    {{400, 2}, 12},
                 {{400, 5}, 12},   {{400, 6}, 0},    {{400, 594}, 0}, {{400, 595}, 15}, {{400, 598}, 15},
                 {{400, 599}, 0},  {{3, 3}, 13},     {{797, 3}, 14},  {{3, 597}, 16},   {{797, 597}, 17},
                 {{3, 6}, 10},     {{6, 3}, 12},     {{-3, 300}, 0},  {{400, 900}, 0},  {{400, 300}, 0}};
    for (const auto& c : cases) {
        QCOMPARE(hitTestCode(at(c.at.x(), c.at.y())), c.code);
        // Over the bar the border is no border.
        QCOMPARE(edgesAt(c.at, kFrame, true), Qt::Edges());
    }
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
