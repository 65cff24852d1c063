#include "../liveview/LogLines.h"
#include "AppTestSupport.h"
#include "MainWindow.h"
#include "TvDefaultSettings.h"
#include "TvStreamRouter.h"
#include "TvTipWidget.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

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
    QVERIFY(tip);
    QVERIFY(tip->isHidden());
    for (TvTipWidgetType kind :
         {TvTipSnapOk, TvTipSnapFailed, TvTipRecordDone, TvTipRecordFailed, TvTipMessage})
        emit tip->clickedSignal(kind);
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    QCOMPARE(catcher.opened, (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/kvab snaps")),
                                          QUrl::fromLocalFile(QStringLiteral("/tmp/kvab videos"))}));
}

void TestMainWindow::initTestCase() {
    LogLines::install();
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
    QVERIFY(asked.boxTitle == QStringLiteral("提示") && asked.boxIcon == QMessageBox::Warning);
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

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
