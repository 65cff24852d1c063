// The frameless windows' own frame: the title bar's buttons, drag and double-click, the border zones and
// the resizer that follows a border drag, and the label that tells a click from a drag.
#include "TvBorderHitTest.h"
#include "TvBorderResizer.h"
#include "TvClickedLabel.h"
#include "VeBasicDialog.h"
#include "VeBasicWindow.h"
#include "VeTitleBar.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QWindow>
#include <QtTest>

using TvBorderHitTest::edgesAt;
using TvBorderHitTest::hitTestCode;

namespace {

const QSize kFrame(800, 600); // zones: x 2..5 and 795..798, y 2..5 and 595..598

Qt::Edges at(int x, int y) {
    return edgesAt(QPoint(x, y), kFrame, false);
}

class TestWindow : public VeBasicWindow {
public:
    TestWindow() {
        setCentralWidget(new QWidget(this));
        initTitleBar();
    }
};

class TestDialog : public VeBasicDialog {
public:
    TestDialog() { initTitleBar(); }
};

QPushButton* button(VeTitleBar* bar, const char* name) {
    return bar->findChild<QPushButton*>(QLatin1String(name));
}

// The buttons the bar shows (explicitly, whether or not the window is on screen).
QStringList shownButtons(VeTitleBar* bar) {
    QStringList names;
    for (const char* name : {"ButtonMin", "ButtonRestore", "ButtonMax", "ButtonClose"})
        if (!button(bar, name)->isHidden())
            names << QLatin1String(name);
    return names;
}

// A mouse event at `local`; its screen position is `global`, or where `local` lies now.
void sendMouse(QWidget* w, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons,
               const QPoint& global = QPoint()) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, global.isNull() ? w->mapToGlobal(local) : global, button, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Press on the bar, move by delta in two steps, release.
void drag(VeTitleBar* bar, const QPoint& delta) {
    const QPoint local(100, 10);
    const QPoint global = bar->mapToGlobal(local); // the bar moves under the mouse
    sendMouse(bar, QEvent::MouseButtonPress, local, Qt::LeftButton, global);
    sendMouse(bar, QEvent::MouseMove, local + delta / 2, Qt::LeftButton, global + delta / 2);
    sendMouse(bar, QEvent::MouseMove, local + delta, Qt::LeftButton, global + delta);
    sendMouse(bar, QEvent::MouseButtonRelease, local + delta, Qt::NoButton, global + delta);
}

// Press on the label, the given number of moves with the button held, release.
void click(QWidget* w, int moves) {
    QPoint pos(10, 10);
    sendMouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    for (int i = 0; i < moves; ++i) {
        pos += QPoint(1, 0);
        sendMouse(w, QEvent::MouseMove, pos, Qt::LeftButton);
    }
    sendMouse(w, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

} // namespace

class TestTitleBar : public QObject {
    Q_OBJECT
private slots:
    void dialogShowsOnlyCloseDragsAndIgnoresDoubleClick();
    void maximiseDragAndDoubleClick();
    void zonesCodesAndCursors();
    void resizerFollowsTheBorderDrag();
    void labelClicks_data();
    void labelClicks();
};

void TestTitleBar::dialogShowsOnlyCloseDragsAndIgnoresDoubleClick() {
    auto* dialog = new TestDialog;
    QPointer<TestDialog> alive(dialog);
    dialog->setGeometry(400, 300, 360, 240);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    VeTitleBar* bar = dialog->titleBar();
    QCOMPARE(shownButtons(bar), QStringList({"ButtonClose"}));

    const QPoint start = dialog->pos();
    drag(bar, QPoint(40, 30));
    QTRY_COMPARE(dialog->pos(), start + QPoint(40, 30));
    // A move without a press is no drag; a double-click neither maximises nor restores.
    const QPoint local(100, 10);
    sendMouse(bar, QEvent::MouseMove, local + QPoint(50, 50), Qt::NoButton);
    QSignalSpy max(bar, &VeTitleBar::signalButtonMaxClicked);
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    QTest::qWait(50);
    QCOMPARE(max.count(), 0);
    QCOMPARE(dialog->geometry(), QRect(start + QPoint(40, 30), QSize(360, 240)));

    // Closing deletes the dialog.
    button(bar, "ButtonClose")->click();
    QTRY_VERIFY(alive.isNull());
}

void TestTitleBar::maximiseDragAndDoubleClick() {
    TestWindow window;
    const QRect normal(200, 150, 640, 400);
    window.setGeometry(normal);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    VeTitleBar* bar = window.titleBar();
    // A missing style sheet changes nothing.
    const QString sheet = bar->styleSheet();
    bar->loadStyleSheet(QStringLiteral("/nonexistent/titlebarSheet.css"));
    QCOMPARE(bar->styleSheet(), sheet);
    QSignalSpy max(bar, &VeTitleBar::signalButtonMaxClicked);
    QSignalSpy restore(bar, &VeTitleBar::signalButtonRestoreClicked);

    button(bar, "ButtonMax")->click();
    // The 3-pixel border goes off-screen.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect expected(available.x() - 3, available.y() - 3, available.width() + 6, available.height() + 6);
    QTRY_COMPARE(window.geometry(), expected);
    QCOMPARE(shownButtons(bar), QStringList({"ButtonMin", "ButtonRestore", "ButtonClose"}));
    QPoint savedPos;
    QSize savedSize;
    bar->getRestoreInfo(savedPos, savedSize);
    QCOMPARE(QRect(savedPos, savedSize), normal);

    // Dragging a maximised window leaves it where it is.
    drag(bar, QPoint(60, 45));
    QTest::qWait(50);
    QCOMPARE(window.geometry(), expected);

    button(bar, "ButtonRestore")->click();
    QTRY_COMPARE(window.geometry(), normal);
    drag(bar, QPoint(-20, 25));
    const QRect moved = normal.translated(-20, 25);
    QTRY_COMPARE(window.geometry(), moved);

    // A double-click on the bar maximises, a second one restores.
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(150, 12));
    QCOMPARE(max.count(), 2);
    QTRY_COMPARE(window.geometry(), expected);
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(150, 12));
    QCOMPARE(restore.count(), 2);
    QTRY_COMPARE(window.geometry(), moved);
}

void TestTitleBar::zonesCodesAndCursors() {
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

void TestTitleBar::resizerFollowsTheBorderDrag() {
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

void TestTitleBar::labelClicks_data() {
    // Gestures as moves per press (-1: a release without a press) and the clicks they make: a click
    // tolerates two moves; the count starts again with every press; a release ends the press.
    QTest::addColumn<QList<int>>("gestures");
    QTest::addColumn<int>("clicks");
    QTest::newRow("still") << QList<int>{0} << 1;
    QTest::newRow("two moves") << QList<int>{2} << 1;
    QTest::newRow("three moves") << QList<int>{3} << 0;
    QTest::newRow("a drag") << QList<int>{40} << 0;
    QTest::newRow("cancelled, then two clicks") << QList<int>{5, 2, 1} << 2;
    QTest::newRow("stray releases") << QList<int>{-1, 0, -1} << 1;
}

void TestTitleBar::labelClicks() {
    QFETCH(QList<int>, gestures);
    QFETCH(int, clicks);
    TvClickedLabel label;
    label.resize(100, 30);
    QSignalSpy spy(&label, &TvClickedLabel::clickedSignal);
    for (const int moves : gestures) {
        if (moves < 0)
            sendMouse(&label, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
        else
            click(&label, moves);
    }
    QCOMPARE(spy.count(), clicks);
}

QTEST_MAIN(TestTitleBar)
#include "test_titlebar.moc"
