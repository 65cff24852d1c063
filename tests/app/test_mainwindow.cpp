#include "MainWindow.h"
#include "TvDefaultSettings.h"
#include "TvDeviceTreeView.h"
#include "TvTipWidget.h"
#include "VeTitleBar.h"

#include <QApplication>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QtTest>

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

struct BoxSeen {
    bool shown = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
};

// Answers the next modal message box with the given button, remembering what it showed.
void answerNextBox(QMessageBox::StandardButton answer, BoxSeen* seen, int triesLeft = 200) {
    QTimer::singleShot(10, [=] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (triesLeft > 0)
                answerNextBox(answer, seen, triesLeft - 1);
            return;
        }
        seen->shown = true;
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        box->button(answer)->click();
    });
}

struct Toolbutton {
    const char* name;
    const char* tip;
    const char* normal;
    const char* pressed;
};

const Toolbutton kToolbar[] = {
    {"pushBtn_snap", "拍照", "btn_CapturePicStand.bmp", "btn_CapturePicSel.bmp"},
    {"pushBtn_record", "录像", "btn_RecordStand.bmp", "btn_RecordSel.bmp"},
    {"pushBtn_listen", "收听", "btn_ListenStand.bmp", "btn_ListenSel.bmp"},
    {"pushBtn_speak", "发言", "btn_TalkStand.bmp", "btn_TalkSel.bmp"},
    {"pushBtn_ptz_up", "向上", "btn_topStand.bmp", "btn_topSel.bmp"},
    {"pushBtn_ptz_down", "向下", "btn_bottonStand.bmp", "btn_bottonSel.bmp"},
    {"pushBtn_ptz_left", "向左", "btn_leftStand.bmp", "btn_leftSel.bmp"},
    {"pushBtn_ptz_right", "向右", "btn_rightStand.bmp", "btn_rightSel.bmp"},
    {"pushBtn_ptz_all", "全方位巡航(开/关)", "btn_centerStand.bmp", "btn_centerSel.bmp"},
    {"pushBtn_ptz_horizontal", "水平巡航(开/关)", "btn_LeveloopStand.bmp", "btn_LeveloopSel.bmp"},
    {"pushBtn_ptz_vertical", "垂直巡航(开/关)", "btn_VerticalLoopStand.bmp", "btn_VerticalLoopSel.bmp"},
    {"pushBtn_ptz_preset_set", "设置当前位置为预置位", "btn_SetPointsStand.bmp", "btn_SetPointsSel.bmp"},
    {"pushBtn_ptz_preset_do", "转动到预置位", "btn_MovePointStand.bmp", "btn_MovePointSel.bmp"},
    {"pushBtn_flip_v", "垂直翻转", "btn_VerFlipStand.bmp", "btn_VerFlipSel.bmp"},
    {"pushBtn_flip_h", "镜像", "btn_LevelFilpStand.bmp", "btn_LevelFilpSel.bmp"},
    {"pushBtn_optical_zoom_in", "拉近(光学变焦)", "btn_ZoomInStand.bmp", "btn_ZoomInSel.bmp"},
    {"pushBtn_optical_zoom_out", "拉远(光学变焦)", "btn_ZoomOutStand.bmp", "btn_ZoomOutSel.bmp"},
    {"pushBtn_digit_zoom_in", "拉近(数字变焦)", "btn_zoomAdd.bmp", "btn_zoomAdd_h.bmp"},
    {"pushBtn_digit_zoom_out", "拉远(数字变焦)", "btn_zoomMin.bmp", "btn_zoomMin_h.bmp"},
    {"pushBtn_wifi", "设置无线", "btn_MoveLocusStand.bmp", "btn_MoveLocusSel.bmp"},
    {"pushBtn_video_set", "Camera设置", "btn_MoreSetSetStand.bmp", "btn_MoreSetSel.bmp"},
    {"pushBtn_fullscreen", "全屏", "FullScreen_Stand.bmp", "FullScreen_Sel.bmp"},
    {"pushBtn_setting", "Software设置", "toolbar_SettingStand.bmp", "toolbar_SettingSel.bmp"},
    {"pushBtn_alarm_log", "日志", "btn_ClientLogStand.bmp", "btn_ClientLogSel.bmp"},
    {"pushBtn_help", "帮助", "toolbar_HelpStand.bmp", "toolbar_HelpSel.bmp"},
};

bool onTopBar(const char* name) {
    for (const char* top : {"pushBtn_fullscreen", "pushBtn_setting", "pushBtn_alarm_log", "pushBtn_help"})
        if (QByteArray(name) == top)
            return true;
    return false;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void init();
    void initialGeometryRule();
    void statusTextRate();
    void formTitlesAndToolbar();
    void resizeLaysOutThePanels();
    void statusLineCountsBytesFromThreads();
    void escapeOnlyLeavesFullScreen();
    void tipLinkOpensTheMatchingFolder();
    void closeAsksUnlessConfirmationIsOff();
    // Last: ending the event loop leaves the application quitting.
    void titleBarCloseEndsTheEventLoop();
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

void TestMainWindow::init() {
    g_appExiting = false;
    TvDefaultSettings::instance()->setLogoutConfirm(true);
}

void TestMainWindow::initialGeometryRule() {
    QCOMPARE(MainWindow::initialGeometry(QSize(1920, 1080)), QRect(320, 180, 1280, 720));
    // Ratio 2 or wider: the height decides.
    QCOMPARE(MainWindow::initialGeometry(QSize(2560, 1080)), QRect(640, 180, 1280, 720));
    QCOMPARE(MainWindow::initialGeometry(QSize(2160, 1080)), QRect(440, 180, 1280, 720));
    const QRect small = MainWindow::initialGeometry(QSize(1366, 768));
    QCOMPARE(small.size(), QSize(910, 511));
    QCOMPARE(small.topLeft(), QPoint(228, 128));
    // Two screens side by side form one wide desktop.
    QCOMPARE(MainWindow::initialGeometry(QSize(3840, 1080)).size(), QSize(1280, 720));
    // An empty desktop gives an empty window instead of dividing by zero.
    QCOMPARE(MainWindow::initialGeometry(QSize(0, 0)).size(), QSize(0, 0));
    QCOMPARE(MainWindow::initialGeometry(QSize(1920, 0)).size(), QSize(0, 0));
}

void TestMainWindow::statusTextRate() {
    const QString cpu = QStringLiteral("CPU : 7%");
    QCOMPARE(MainWindow::statusText(0, cpu), QStringLiteral("速率：0 KBps  CPU : 7%"));
    QCOMPARE(MainWindow::statusText(2048000, cpu), QStringLiteral("速率：2000 KBps  CPU : 7%"));
    QCOMPARE(MainWindow::statusText(1023, cpu), QStringLiteral("速率：0 KBps  CPU : 7%"));
    QCOMPARE(MainWindow::statusText(1024, cpu), QStringLiteral("速率：1 KBps  CPU : 7%"));
    // Far beyond 32 bits of bytes in one second still counts.
    QCOMPARE(MainWindow::statusText(qint64(1) << 40, cpu), QStringLiteral("速率：1073741824 KBps  CPU : 7%"));
}

void TestMainWindow::formTitlesAndToolbar() {
    MainWindow w;
    QCOMPARE(g_mainWindow, &w);
    QCOMPARE(w.windowTitle(), QStringLiteral("KVAB V1.1.9"));
    QCOMPARE(w.titleBar()->titleContent(), QStringLiteral("KVAB V1.1.9"));
    QCOMPARE(w.titleBar()->pos(), QPoint(0, 0));
    QVERIFY(w.windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(child(&w, "widget_snapTip")->isHidden());
    QCOMPARE(w.geometry(),
             MainWindow::initialGeometry(QGuiApplication::primaryScreen()->virtualGeometry().size()));
    QVERIFY(child<TvDeviceTreeView>(&w, "treeView_lan"));
    QCOMPARE(child(&w, "treeView_lan")->parentWidget(), child(&w, "widget_righttool_top"));
    QCOMPARE(child<QPushButton>(&w, "pushBtn_addDev")->text(), QStringLiteral("添加设备"));

    // Every button's tip and pictures, its bar, and which ones toggle; enabling the live toolbar
    // enables exactly the right-hand buttons.
    for (const Toolbutton& b : kToolbar)
        child(&w, b.name)->setEnabled(false);
    w.enableLiveToolbar(nullptr);
    for (const Toolbutton& b : kToolbar) {
        auto* button = child<QPushButton>(&w, b.name);
        QVERIFY2(button, b.name);
        QVERIFY2(button->toolTip().contains(QStringLiteral("<p>%1</p>").arg(QString::fromUtf8(b.tip))),
                 b.name);
        for (const char* picture : {b.normal, b.pressed}) {
            const QString path = QStringLiteral(":/images/%1").arg(QLatin1String(picture));
            QVERIFY2(button->styleSheet().contains(path), b.name);
            QVERIFY2(!QPixmap(path).isNull(), picture);
        }
        const bool top = onTopBar(b.name);
        QCOMPARE(button->parentWidget(), child(&w, top ? "widget_toptool" : "widget_righttool_bottom"));
        QVERIFY2(button->isEnabled() != top, b.name);
        const bool checkable = QByteArray(b.name) == "pushBtn_record" ||
                               QByteArray(b.name) == "pushBtn_listen" ||
                               QByteArray(b.name) == "pushBtn_speak";
        QCOMPARE(button->isCheckable(), checkable);
    }
}

void TestMainWindow::resizeLaysOutThePanels() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    for (const QSize& size : {QSize(1280, 720), QSize(900, 560)}) {
        w.resize(size);
        QTRY_COMPARE(w.size(), size);
        const int W = size.width();
        const int H = size.height();
        const QRect top = child(&w, "widget_toptool")->geometry();
        const QRect bottom = child(&w, "widget_bottomtol")->geometry();
        const QRect right = child(&w, "widget_righttool")->geometry();
        const QRect display = child(&w, "widget_displayMan")->geometry();
        QCOMPARE(top.width(), W);
        QCOMPARE(child(&w, "label_toop_bg")->geometry(), QRect(0, 0, W, top.height()));
        QCOMPARE(bottom.bottom(), H - 1);
        QCOMPARE(bottom.width(), W);
        QCOMPARE(right.right(), W - 1);
        QCOMPARE(right.top(), top.bottom() + 1);
        QCOMPARE(right.bottom(), bottom.top() - 1);
        QCOMPARE(display, QRect(QPoint(0, top.bottom() + 1), QPoint(right.left() - 1, bottom.top() - 1)));
        const QRect toolbar = child(&w, "widget_righttool_bottom")->geometry();
        QCOMPARE(toolbar.bottom(), right.height() - 1);
        QCOMPARE(child(&w, "widget_righttool_top")->geometry(), QRect(0, 0, right.width(), toolbar.top()));
        QCOMPARE(child(&w, "treeView_lan")->geometry(), child(&w, "widget_righttool_top")->geometry());
        QCOMPARE(child(&w, "widget_snapTip")->geometry(), QRect(QPoint(W - 229, 0), QPoint(W, 29)));
        const QRect add = child(&w, "pushBtn_addDev")->geometry();
        QCOMPARE(add.topRight(), QPoint(W - 1, 0));
        QTRY_COMPARE(w.titleBar()->width(), W);
    }
}

void TestMainWindow::statusLineCountsBytesFromThreads() {
    MainWindow w;
    QSignalSpy spy(&w, &MainWindow::updateCPUInfoSignal);
    // Eight stream threads deliver 2,048,000 bytes between two ticks.
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
    const QString text = spy.takeFirst().at(0).toString();
    QVERIFY2(text.startsWith(QStringLiteral("速率：2000 KBps  CPU : ")), qPrintable(text));
    QTRY_COMPARE(child<QLabel>(&w, "label_cpu_info")->text(), text);
    // The counter starts again from zero after every tick.
    QVERIFY(spy.wait(3000));
    QVERIFY(spy.takeFirst().at(0).toString().startsWith(QStringLiteral("速率：0 KBps  CPU : ")));
}

void TestMainWindow::escapeOnlyLeavesFullScreen() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget* display = child(&w, "widget_displayMan");
    const QRect docked = display->geometry();

    QTest::keyClick(&w, Qt::Key_Escape);
    QCOMPARE(display->parentWidget(), child(&w, "centralWidget"));
    QVERIFY(!display->isWindow());
    QCOMPARE(display->geometry(), docked);

    child<QPushButton>(&w, "pushBtn_fullscreen")->click();
    QVERIFY(display->isWindow());
    QVERIFY(display->isFullScreen());
    QTest::keyClick(&w, Qt::Key_A);
    QVERIFY(display->isFullScreen());

    QTest::keyClick(&w, Qt::Key_Escape);
    QVERIFY(!display->isWindow());
    QVERIFY(!display->isFullScreen());
    QTRY_COMPARE(display->geometry(), docked);
    QVERIFY(display->isVisible());
}

void TestMainWindow::closeAsksUnlessConfirmationIsOff() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));

    BoxSeen seen;
    answerNextBox(QMessageBox::Cancel, &seen);
    QVERIFY(!w.close());
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("提示"));
    QCOMPARE(seen.text, QStringLiteral("确定要退出程序吗？"));
    QCOMPARE(seen.icon, QMessageBox::Warning);
    QVERIFY(!g_appExiting);
    QVERIFY(w.isVisible());

    BoxSeen again;
    answerNextBox(QMessageBox::Ok, &again);
    QVERIFY(w.close());
    QVERIFY(again.shown);
    QVERIFY(g_appExiting);

    // Without confirmation the exit needs no box.
    g_appExiting = false;
    TvDefaultSettings::instance()->setLogoutConfirm(false);
    BoxSeen none;
    answerNextBox(QMessageBox::Cancel, &none, 5);
    QVERIFY(w.confirmExit());
    QVERIFY(g_appExiting);
    QTest::qWait(150);
    QVERIFY(!none.shown);
}

void TestMainWindow::titleBarCloseEndsTheEventLoop() {
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* close = w.titleBar()->findChild<QPushButton*>(QStringLiteral("ButtonClose"));
    QVERIFY(close);

    // Cancel: the loop keeps running until the test ends it (code 7). OK: it ends with code 0.
    for (const auto answer : {QMessageBox::Cancel, QMessageBox::Ok}) {
        const bool ok = answer == QMessageBox::Ok;
        QEventLoop loop;
        BoxSeen seen;
        answerNextBox(answer, &seen);
        QTimer::singleShot(0, close, &QPushButton::click);
        QTimer::singleShot(ok ? 5000 : 1500, &loop, [&loop] { loop.exit(7); });
        QCOMPARE(loop.exec(), ok ? 0 : 7);
        QVERIFY(seen.shown);
        QCOMPARE(g_appExiting, ok);
    }
}

QTEST_MAIN(TestMainWindow)
#include "test_mainwindow.moc"
