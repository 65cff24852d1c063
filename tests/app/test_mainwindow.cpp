// The main window (geometry, status line under packet threads, full screen, tip link, exit question) and
// the frameless windows' frame: title bar, border zones and resizer, and the click-or-drag label.
#include "../liveview/LogLines.h"
#include "AppTestSupport.h"
#include "MainWindow.h"
#include "TvBorderHitTest.h"
#include "TvBorderResizer.h"
#include "TvClickedLabel.h"
#include "TvDefaultSettings.h"
#include "TvStreamRouter.h"
#include "TvTipWidget.h"
#include "VeBasicDialog.h"
#include "VeBasicWindow.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

using TvBorderHitTest::edgesAt;
using TvBorderHitTest::hitTestCode;

namespace {

template <typename T = QWidget> T* child(QWidget* w, const char* name) {
    return w->findChild<T*>(QLatin1String(name));
}

// Stands in for the desktop's file manager: remembers every folder handed to it.
class FolderCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

const QSize kFrame(800, 600); // zones: x 2..5 and 795..798, y 2..5 and 595..598

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

// The buttons the bar shows (explicitly, whether or not the window is on screen).
QStringList shownButtons(VeTitleBar* bar) {
    QStringList names;
    for (const char* name : {"ButtonMin", "ButtonRestore", "ButtonMax", "ButtonClose"})
        if (!child<QPushButton>(bar, name)->isHidden())
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

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void initialGeometryAndStatusText();
    void statusLineCountsBytesWhileWindowsComeAndGo();
    void escapeOnlyLeavesFullScreen();
    void tipLinkOpensTheMatchingFolder();
    void dialogShowsOnlyCloseDragsAndIgnoresDoubleClick();
    void maximiseDragAndDoubleClick();
    void zonesCodesAndCursors();
    void resizerFollowsTheBorderDrag();
    void labelClicks_data();
    void labelClicks();
    // Last: ending the event loop leaves the application quitting.
    void closeAsksUnlessConfirmationIsOff();
};

void TestMainWindow::tipLinkOpensTheMatchingFolder() {
    FolderCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    TvDefaultSettings::instance()->setSnapDir(QStringLiteral("/tmp/kvab snaps"));
    TvDefaultSettings::instance()->setVideoDir(QStringLiteral("/tmp/kvab videos"));
    MainWindow window;
    auto* tip = child<TvTipWidget>(&window, "widget_snapTip");
    QVERIFY(tip && tip->isHidden());
    for (TvTipWidgetType kind :
         {TvTipSnapOk, TvTipSnapFailed, TvTipRecordDone, TvTipRecordFailed, TvTipMessage})
        emit tip->clickedSignal(kind);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/kvab snaps")),
                                          QUrl::fromLocalFile(QStringLiteral("/tmp/kvab videos"))}));
}

void TestMainWindow::initTestCase() {
    LogLines::install();
    UnansweredBoxes::watch();
}

void TestMainWindow::init() {
    g_appExiting = false;
    TvDefaultSettings::instance()->setLogoutConfirm(true);
}

void TestMainWindow::initialGeometryAndStatusText() {
    // Below a 2:1 desktop the width decides, from 2:1 on the height; an empty desktop divides by nothing.
    const QList<QPair<QSize, QRect>> geometries = {{QSize(1920, 1080), QRect(320, 180, 1280, 720)},
                                                   {QSize(2560, 1080), QRect(640, 180, 1280, 720)},
                                                   {QSize(2160, 1080), QRect(440, 180, 1280, 720)},
                                                   {QSize(1366, 768), QRect(228, 128, 910, 511)},
                                                   {QSize(0, 0), QRect(0, 0, 0, 0)},
                                                   {QSize(1920, 0), QRect(960, 0, 0, 0)}};
    for (const auto& g : geometries)
        QCOMPARE(MainWindow::initialGeometry(g.first), g.second);
    const QString cpu = QStringLiteral("CPU : 7%");
    const QList<QPair<qint64, QString>> rates = {
        {0, "0"}, {1023, "0"}, {1024, "1"}, {2048000, "2000"}, {qint64(1) << 40, "1073741824"}};
    for (const auto& r : rates)
        QCOMPARE(MainWindow::statusText(r.first, cpu),
                 QStringLiteral("速率：%1 KBps  CPU : 7%").arg(r.second));
}

void TestMainWindow::statusLineCountsBytesWhileWindowsComeAndGo() {
    // Stream threads deliver packets all the time, also while windows are torn down and built again:
    // no packet may reach a destroyed window or grid.
    std::atomic<bool> streaming{true};
    std::vector<std::unique_ptr<QThread>> sdk;
    for (int t = 0; t < 4; ++t) {
        sdk.emplace_back(QThread::create([&streaming] {
            static const unsigned char block[160] = {0xD5};
            while (streaming.load()) {
                TvStreamRouter::deliverStream(nullptr, block, int(sizeof block), false);
                TvStreamRouter::deliverStream("no-such-call", block, int(sizeof block), true);
            }
        }));
        sdk.back()->start();
    }
    for (int round = 0; round < 3; ++round) {
        auto w = std::make_unique<MainWindow>();
        QTest::qWait(50);
        w.reset();
    }
    streaming = false;
    for (auto& thread : sdk)
        QVERIFY(thread->wait(10000));

    // Eight threads add 2,048,000 bytes between two ticks; the count starts again after every tick.
    MainWindow w;
    QCOMPARE(g_mainWindow, &w);
    QSignalSpy spy(&w, &MainWindow::updateCPUInfoSignal);
    QVERIFY(spy.wait(3000)); // a tick boundary
    std::vector<std::unique_ptr<QThread>> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back(QThread::create([&w] {
            for (int i = 0; i < 256; ++i)
                w.addReceivedBytes(1000);
        }));
        threads.back()->start();
    }
    for (auto& thread : threads)
        QVERIFY(thread->wait(10000));
    QVERIFY(spy.wait(3000));
    const QString text = spy.takeLast().at(0).toString();
    QVERIFY2(text.startsWith(QStringLiteral("速率：2000 KBps  CPU : ")), qPrintable(text));
    QTRY_COMPARE(child<QLabel>(&w, "label_cpu_info")->text(), text);
    // A camera offline on both paths is not reconnected.
    VeCameraModel away(QStringLiteral("AWAY-1"), QString(), QString(), QString(), 0, 0, QString(), QString());
    const int lines = LogLines::count(QStringLiteral("设备不在线，不用重连"));
    w.autoReconnectCamera(&away);
    QCOMPARE(LogLines::count(QStringLiteral("设备不在线，不用重连")), lines + 1);
    QVERIFY(spy.wait(3000));
    QVERIFY(spy.takeLast().at(0).toString().startsWith(QStringLiteral("速率：0 KBps  CPU : ")));
}

void TestMainWindow::escapeOnlyLeavesFullScreen() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* display = child(&w, "widget_displayMan");
    const QRect docked = display->geometry();

    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!display->isWindow() && display->geometry() == docked);
    child<QPushButton>(&w, "pushBtn_fullscreen")->click();
    QTest::keyClick(&w, Qt::Key_A);
    QVERIFY(display->isWindow() && display->isFullScreen());
    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!display->isWindow() && !display->isFullScreen());
    QTRY_COMPARE(display->geometry(), docked);
    QVERIFY(display->isVisible());
}

void TestMainWindow::closeAsksUnlessConfirmationIsOff() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* close = w.titleBar()->findChild<QPushButton*>(QStringLiteral("ButtonClose"));
    // The window's close asks first: Cancel keeps it.
    const Popup asked = answerPopup([&] { QVERIFY(!w.close()); }, QVariant(), QMessageBox::Cancel);
    QCOMPARE(asked.boxText, QStringLiteral("确定要退出程序吗？"));
    QVERIFY(!g_appExiting && w.isVisible());

    // The title bar's close: Cancel keeps the loop running until the test ends it (code 7); OK ends it
    // with code 0.
    for (const auto answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
        const bool ok = answer == QMessageBox::Ok;
        QEventLoop loop;
        QTimer::singleShot(0, close, &QPushButton::click);
        QTimer::singleShot(ok ? 5000 : 1500, &loop, [&loop] { loop.exit(7); });
        QVERIFY(
            !answerPopup([&] { QCOMPARE(loop.exec(), ok ? 0 : 7); }, QVariant(), answer).boxText.isEmpty());
        QCOMPARE(g_appExiting, ok);
    }

    // Without confirmation the exit needs no box.
    g_appExiting = false;
    TvDefaultSettings::instance()->setLogoutConfirm(false);
    QVERIFY(answerPopup([&] { QVERIFY(w.confirmExit() && g_appExiting); }).boxText.isEmpty());
}

void TestMainWindow::dialogShowsOnlyCloseDragsAndIgnoresDoubleClick() {
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
    child<QPushButton>(bar, "ButtonClose")->click();
    QTRY_VERIFY(alive.isNull());
}

void TestMainWindow::maximiseDragAndDoubleClick() {
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

    child<QPushButton>(bar, "ButtonMax")->click();
    // The 3-pixel border goes off-screen.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect expected(available.x() - 3, available.y() - 3, available.width() + 6, available.height() + 6);
    QTRY_COMPARE(window.geometry(), expected);
    QCOMPARE(shownButtons(bar), QStringList({"ButtonMin", "ButtonRestore", "ButtonClose"}));

    // Dragging a maximised window leaves it where it is.
    drag(bar, QPoint(60, 45));
    QTest::qWait(50);
    QCOMPARE(window.geometry(), expected);

    child<QPushButton>(bar, "ButtonRestore")->click();
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

void TestMainWindow::zonesCodesAndCursors() {
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
        QCOMPARE(hitTestCode(edgesAt(c.at, kFrame, false)), c.code);
        // Over the bar the border is no border.
        QCOMPARE(edgesAt(c.at, kFrame, true), Qt::Edges());
    }
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::BottomEdge | Qt::RightEdge), Qt::SizeFDiagCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::TopEdge | Qt::RightEdge), Qt::SizeBDiagCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::LeftEdge), Qt::SizeHorCursor);
    QCOMPARE(TvBorderHitTest::cursorFor(Qt::BottomEdge), Qt::SizeVerCursor);
    QCOMPARE(TvBorderHitTest::cursorFor({}), Qt::ArrowCursor);
}

void TestMainWindow::resizerFollowsTheBorderDrag() {
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

void TestMainWindow::labelClicks_data() {
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

void TestMainWindow::labelClicks() {
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

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
