// The live road end to end against the camera simulator: sixteen cameras play at once, one drops out and
// comes back, the menus run as a user runs them, and stop, restart and exit under frames leave nothing.
#include "../liveview/LogLines.h"
#include "AppTestSupport.h"
#include "MainWindow.h"
#include "NxAlarmLog.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "SimProcess.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDeviceTreeView.h"
#include "TvDisplayMangeView.h"
#include "TvPlayWidget.h"
#include "TvResolutionMap.h"
#include "TvTipWidget.h"
#include "TvYuvLayout.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"

#include <QApplication>
#include <QDir>
#include <QPointer>
#include <QScopeGuard>
#include <QSet>
#include <QStandardItemModel>
#include <QtTest>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <memory>
#include <mutex>

namespace {

// Seventeen LAN cameras whose tints (the simulator colours each camera's chroma by its id) lie at
// least 8 steps apart, so a picture in the wrong cell cannot pass for the right one.
const char* const kLanIds[] = {"LR-000", "LR-005", "LR-010", "LR-018", "LR-049", "LR-098",
                               "LR-100", "LR-104", "LR-110", "LR-118", "LR-148", "LR-198",
                               "LR-200", "LR-203", "LR-210", "LR-218", "LR-229"};
constexpr int kGrid = 16;
const char kBoth[] = "KV-BTH-01";     // on the LAN and in the cloud list
const char kCloud[] = "KV-CLD-01";    // cloud only, online
const char kOffline1[] = "KV-CLD-02"; // cloud only, offline
const char kOffline2[] = "KV-CLD-03"; // cloud only, offline

// The simulator's tint for a camera: constant U and V planes derived from the id.
QPair<int, int> tintOf(const QString& id) {
    unsigned hue = 0;
    for (const char c : id.toLatin1())
        hue = hue * 33 + static_cast<unsigned char>(c);
    return {int(96 + hue % 64), int(96 + (hue / 64) % 64)};
}

// Every alarm-log event the window records.
class AlarmRecorder : public NxAlarmLog {
public:
    void insertAlarm(const QString& devID, int type) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.append({devID, type});
    }
    int count(const QString& id, int type) {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int(std::count(m_events.cbegin(), m_events.cend(), qMakePair(id, type)));
    }

private:
    std::mutex m_mutex;
    QList<QPair<QString, int>> m_events;
};
AlarmRecorder g_alarms; // installed for the whole process

// The tree menu for a camera in each state ("+" enabled).
const QString kMenuNone =
    "主码流 播放- 子码流 播放- 关闭视频- 添加设备+ 删除设备- 修改设备别名- 修改访问密码- 设备设置- "
    "重启设备- SD卡录像查询- 刷新+";
const QString kMenuOfflineListed =
    "主码流 播放- 子码流 播放- 关闭视频- 添加设备+ 删除设备+ 修改设备别名+ 修改访问密码+ "
    "设备设置- 重启设备- SD卡录像查询- 刷新+";
const QString kMenuOnlineListed =
    "主码流 播放+ 子码流 播放+ 关闭视频- 添加设备+ 删除设备+ 修改设备别名+ 修改访问密码+ "
    "设备设置+ 重启设备+ SD卡录像查询+ 刷新+";
const QString kMenuOnline =
    "主码流 播放+ 子码流 播放+ 关闭视频- 添加设备+ 删除设备- 修改设备别名- 修改访问密码- "
    "设备设置+ 重启设备+ SD卡录像查询+ 刷新+";
const QString kMenuPlaying =
    "主码流 播放- 子码流 播放- 关闭视频+ 添加设备+ 删除设备- 修改设备别名- 修改访问密码- "
    "设备设置+ 重启设备+ SD卡录像查询+ 刷新+";

} // namespace

class TestLiveRoad : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void treeMergesAndOrders();
    void treeMenuFollowsTheCameraState();
    void stopWithoutPlayStillRecordsTheClose();
    void cellMenuAfterAClosedCellDeletedItself();
    void sixteenCellsPlayTheirOwnCameras();
    void offlineCameraTimesOutAndReconnects();
    // Last: it exits the window.
    void stopStartAllWhileStreamingThenExit();
    void cleanupTestCase();

private:
    TvDisplayMangeView* display() const {
        return m_window->findChild<TvDisplayMangeView*>(QStringLiteral("widget_displayMan"));
    }
    TvDeviceTreeView* tree() const {
        return m_window->findChild<TvDeviceTreeView*>(QStringLiteral("treeView_lan"));
    }
    VeCameraModel* lan(const QString& id) const { return m_data->lanCenter->device(id); }
    QList<VeCameraModel*> gridCameras() const;
    // The menu's items joined by spaces, as in the constants above.
    QString menuAt(const QPoint& pos, const QString& choose = QString());
    QStringList cellMenu(TvPlayWidget* cell, const QString& choose = QString());
    QPoint pointOf(VeCameraModel* camera);
    // The cell's newest picture (at most 200 ms old) and whether its tint is the camera's.
    bool showsItsCamera(TvPlayWidget* cell, QString* why);
    bool allPlaying(const QList<VeCameraModel*>& cameras);

    SimProcess m_sim;
    std::unique_ptr<MainWindow> m_window;
    NxDataCenter* m_data = nullptr;
};

QList<VeCameraModel*> TestLiveRoad::gridCameras() const {
    QList<VeCameraModel*> cameras;
    for (int i = 0; i < kGrid; ++i)
        cameras << lan(QLatin1String(kLanIds[i]));
    return cameras;
}

QString TestLiveRoad::menuAt(const QPoint& pos, const QString& choose) {
    return answerPopup([&] { m_window->on_treeView_lan_customContextMenuRequested(pos); }, choose)
        .items.join(' ');
}

QStringList TestLiveRoad::cellMenu(TvPlayWidget* cell, const QString& choose) {
    return answerPopup(
               [&] {
                   const QPoint pos = cell->rect().center();
                   QContextMenuEvent event(QContextMenuEvent::Mouse, pos, cell->mapToGlobal(pos));
                   QApplication::sendEvent(cell, &event);
               },
               choose)
        .items;
}

QPoint TestLiveRoad::pointOf(VeCameraModel* camera) {
    m_window->updateDeviceListSlot();
    tree()->scrollTo(camera->modelIndex);
    return tree()->visualRect(camera->modelIndex).center();
}

bool TestLiveRoad::showsItsCamera(TvPlayWidget* cell, QString* why) {
    QByteArray picture;
    int w = 0, h = 0;
    if (!cell || !cell->camera() || !cell->renderer()->copyFrame(picture, w, h) || w != 640 || h != 360 ||
        picture.size() != TvYuvLayout::pictureSize(w, h)) {
        *why = QStringLiteral("no cell, camera or fresh 640x360 picture");
        return false;
    }
    // Mean of a 40 x 40 block of each chroma plane in the picture's middle.
    const auto* p = reinterpret_cast<const uint8_t*>(picture.constData());
    const int cw = TvYuvLayout::chromaWidth(w);
    long su = 0, sv = 0;
    for (int y = 70; y < 110; ++y)
        for (int x = 140; x < 180; ++x) {
            su += p[TvYuvLayout::uOffset(w, h) + y * cw + x];
            sv += p[TvYuvLayout::vOffset(w, h) + y * cw + x];
        }
    const int u = int(su / 1600), v = int(sv / 1600);
    const QPair<int, int> tint = tintOf(cell->camera()->deviceId);
    if (std::abs(u - tint.first) > 3 || std::abs(v - tint.second) > 3) {
        *why = cell->camera()->deviceId + QStringLiteral(" shows another camera's tint");
        return false;
    }
    return true;
}

bool TestLiveRoad::allPlaying(const QList<VeCameraModel*>& cameras) {
    for (VeCameraModel* c : cameras) {
        TvPlayWidget* cell = display()->cellForKey(c->deviceId);
        if (!cell || cell->state() != TvPlayStatePlaying || m_window->callIdFor(c->deviceId).isEmpty())
            return false;
    }
    return true;
}

void TestLiveRoad::initTestCase() {
    LogLines::install();
    UnansweredBoxes::watch();
    NxAlarmLog::install(&g_alarms);
    // Recordings start from the cell menu: a folder that an interrupted run left behind may be gone,
    // and its "folder does not exist" box would wait for a click.
    const QString videos = QDir(QDir::homePath()).filePath(QStringLiteral("videos"));
    QVERIFY(QDir().mkpath(videos));
    TvDefaultSettings::instance()->setVideoDir(videos);
    QStringList cameras;
    for (const char* id : kLanIds)
        cameras << QStringLiteral("lan:%1").arg(QLatin1String(id));
    cameras << QStringLiteral("both:%1").arg(kBoth) << QStringLiteral("cloud:%1").arg(kCloud)
            << QStringLiteral("cloud-offline:%1").arg(kOffline1)
            << QStringLiteral("cloud-offline:%1").arg(kOffline2);
    // Points the SDK at the simulator before the window makes the first SDK call.
    QVERIFY2(m_sim.start({"--clip-seconds", "2", "--cameras", cameras.join(',')}), "simulator did not start");

    // The user's saved cloud list; aliases chosen so that sorting and the offline move both show.
    VeCameraModel both(kBoth, "zz-both", "", "G711", 0, 0, "", "");
    VeCameraModel cloud(kCloud, "m-cloud", "", "G711", 0, 0, "", "");
    VeCameraModel off1(kOffline1, "a-offline", "", "G711", 0, 0, "", "");
    VeCameraModel off2(kOffline2, "0-offline", "", "G711", 0, 0, "", "");
    TvDefaultSettings::instance()->saveDeviceInfo({&both, &cloud, &off1, &off2});
    TvDefaultSettings::instance()->setLogoutConfirm(false);

    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QVERIFY(display() && tree());
    m_data = NxDataCenter::instance();
    QTRY_VERIFY_WITH_TIMEOUT(m_data->loginCenter->isLoggedIn(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(NxDeviceStateCenter::instance()->isWanOnline(kCloud), 10000);
    const auto allFound = [this] {
        for (const char* id : kLanIds)
            if (!m_data->lanCenter->contains(QLatin1String(id)))
                return false;
        return m_data->lanCenter->contains(kBoth);
    };
    QTRY_VERIFY_WITH_TIMEOUT(allFound(), 20000);
}

void TestLiveRoad::treeMergesAndOrders() {
    m_window->updateDeviceListSlot();
    const QList<VeCameraModel*> list = m_window->devices();
    QStringList aliases;
    for (VeCameraModel* c : list)
        aliases << c->alias;
    // Every LAN-only camera once; the camera in both lists once, as the cloud record (the lookup adds
    // nothing to the cloud table); sorted by alias, the offline ones last in their own sorted order.
    QStringList expected = {"m-cloud", "zz-both"};
    for (const char* id : kLanIds)
        expected << QLatin1String(id);
    std::sort(expected.begin(), expected.end());
    expected << "0-offline"
             << "a-offline";
    QCOMPARE(aliases, expected);
    QCOMPARE(list.at(aliases.indexOf("zz-both")), m_data->loginCenter->cloudDevice(kBoth));
    QCOMPARE(m_data->loginCenter->cloudDevicesSnapshot().size(), 4);

    QCOMPARE(tree()->itemModel()->rowCount(), list.size());

    // A camera that appears on the LAN later is listed at its place without being asked.
    QCOMPARE(m_sim.control("add AA-NEW-01 lan"), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->devices().isEmpty() &&
                                 m_window->devices().first()->deviceId == QLatin1String("AA-NEW-01"),
                             10000);
    // Gone from the simulator, it leaves the list with the next refresh; the others are found again.
    QCOMPARE(m_sim.control("remove AA-NEW-01"), QStringLiteral("ok"));
    m_window->refreshLanMenuSlot();
    QTRY_VERIFY_WITH_TIMEOUT(m_window->devices().size() == int(std::size(kLanIds)) + 4, 15000);
}

void TestLiveRoad::treeMenuFollowsTheCameraState() {
    m_window->updateDeviceListSlot();
    // Empty space: below the last row (the window is made tall enough for one).
    m_window->resize(m_window->width(), 1060);
    QTest::qWait(50);
    tree()->scrollToTop();
    QWidget* viewport = tree()->viewport();
    const QPoint empty(10, viewport->height() - 3);
    QVERIFY2(!tree()->indexAt(empty).isValid(), "no empty space below the rows");
    QCOMPARE(menuAt(empty), kMenuNone);

    for (const auto& [id, menu] : {std::pair{kOffline1, kMenuOfflineListed}, {kCloud, kMenuOnlineListed}}) {
        VeCameraModel* listed = m_data->loginCenter->cloudDevice(id);
        QVERIFY(listed);
        QCOMPARE(menuAt(pointOf(listed)), menu);
    }

    // A LAN-only camera: online, not cloud-listed. Its sub-stream item plays it.
    const QString id = QLatin1String(kLanIds[16]);
    VeCameraModel* camera = lan(id);
    QVERIFY(camera && camera->isOnline());
    camera->mainStream = true;
    const int opened = g_alarms.count(id, NxAlarmLog::VideoOpened);
    QCOMPARE(menuAt(pointOf(camera), QStringLiteral("子码流 播放")), kMenuOnline);
    QVERIFY(!camera->mainStream);
    QCOMPARE(g_alarms.count(id, NxAlarmLog::VideoOpened), opened + 1);
    QTRY_VERIFY_WITH_TIMEOUT(allPlaying({camera}), 30000);
    QTRY_COMPARE_WITH_TIMEOUT(TvResolutionMap::instance()->value(id), QStringLiteral("640x360"), 5000);

    // Playing: its close item stops it.
    const QPointer<TvPlayWidget> cell = display()->cellForKey(id);
    QCOMPARE(menuAt(pointOf(camera), QStringLiteral("关闭视频")), kMenuPlaying);
    QVERIFY(!camera->playing && display()->cells().isEmpty() && m_window->callIdFor(id).isEmpty());
    QCOMPARE(g_alarms.count(id, NxAlarmLog::VideoClosed), 1);
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.control("calls " + id), QStringLiteral("ok 0"), 10000);
}

void TestLiveRoad::stopWithoutPlayStillRecordsTheClose() {
    const QString id = QLatin1String(kLanIds[3]);
    QSignalSpy rebuilt(tree()->itemModel(), &QAbstractItemModel::modelReset);
    m_window->stopWithCamera(lan(id));
    QCOMPARE(g_alarms.count(id, NxAlarmLog::VideoClosed), 1);
    QCOMPARE(g_alarms.count(id, NxAlarmLog::VideoOpened), 0);
    QVERIFY(rebuilt.count() >= 1 && display()->cells().isEmpty());
    m_window->stopWithCamera(nullptr); // a null camera is ignored
    QCOMPARE(m_window->playWithCamera(nullptr), 0);
}

void TestLiveRoad::cellMenuAfterAClosedCellDeletedItself() {
    // Two cameras play; A is closed through its own menu; once A's cell has deleted itself, B's menu
    // opens and works.
    VeCameraModel* a = lan(QLatin1String(kLanIds[0]));
    VeCameraModel* b = lan(QLatin1String(kLanIds[1]));
    for (VeCameraModel* c : {a, b})
        QCOMPARE(m_window->playWithCamera(c), 0);
    const auto stopB = qScopeGuard([&] {
        if (b->playing)
            m_window->stopWithCamera(b);
    });
    QTRY_VERIFY_WITH_TIMEOUT(allPlaying({a, b}), 30000);
    const QPointer<TvPlayWidget> cellA = display()->cellForKey(a->deviceId);
    QCOMPARE(cellMenu(cellA, QStringLiteral("关闭视频")).size(), 5);
    QVERIFY(!a->playing);
    QTRY_VERIFY_WITH_TIMEOUT(cellA.isNull(), 5000); // past the cell's end pause
    QTest::qWait(100);
    TvPlayWidget* cellB = display()->cellForKey(b->deviceId);
    QCOMPARE(cellMenu(cellB).size(), 5);
    QVERIFY(b->playing);
    // Recording from the menu, and its end reported in the status bar.
    auto* tip = m_window->findChild<TvTipWidget*>(QStringLiteral("widget_snapTip"));
    QCOMPARE(cellMenu(cellB, QStringLiteral("开始录像")).join(' '),
             QStringLiteral("关闭视频+ 开始录像+ 停止录像- Camera设置+ 全屏+"));
    QVERIFY(cellB->isRecording());
    QTest::qWait(500);
    QCOMPARE(cellMenu(cellB, QStringLiteral("停止录像")).join(' '),
             QStringLiteral("关闭视频+ 开始录像- 停止录像+ Camera设置+ 全屏+"));
    QTRY_VERIFY_WITH_TIMEOUT(tip->isShown() && tip->kind() == TvTipRecordDone, 5000);
}

void TestLiveRoad::sixteenCellsPlayTheirOwnCameras() {
    const QList<VeCameraModel*> cameras = gridCameras();
    // A box here is a failure, not a hang.
    const QString box =
        answerPopup([&] {
            for (VeCameraModel* c : cameras) {
                const int opened = g_alarms.count(c->deviceId, NxAlarmLog::VideoOpened);
                c->mainStream = false;
                QCOMPARE(m_window->playWithCamera(c), 0);
                QCOMPARE(g_alarms.count(c->deviceId, NxAlarmLog::VideoOpened), opened + 1);
            }
            QTRY_VERIFY_WITH_TIMEOUT(allPlaying(cameras), 60000);
            // A playing camera asked again: nothing changes, nothing is shown or recorded.
            const int opened = g_alarms.count(cameras.first()->deviceId, NxAlarmLog::VideoOpened);
            QCOMPARE(m_window->playWithCamera(cameras.first()), 0);
            QTest::qWait(50);
            QCOMPARE(g_alarms.count(cameras.first()->deviceId, NxAlarmLog::VideoOpened), opened);
        }).boxText;
    QVERIFY2(box.isEmpty(), qPrintable(box));

    // The 4 x 4 grid, in the order the cameras were started.
    TvDisplayMangeView* view = display();
    QCOMPARE(view->cells().size(), kGrid);
    QSet<QString> calls;
    for (int i = 0; i < kGrid; ++i) {
        TvPlayWidget* cell = view->cells().at(i);
        VeCameraModel* c = cameras.at(i);
        // The cell's camera is the call's camera, and the picture (640 x 360) is that camera's own.
        QVERIFY(cell == view->cellForKey(c->deviceId) && cell->camera() == c);
        QCOMPARE(m_window->callIdFor(c->playKey), c->callId);
        calls.insert(c->callId);
        QString why;
        QTRY_VERIFY2_WITH_TIMEOUT(showsItsCamera(cell, &why), qPrintable(why), 5000);
        QCOMPARE(m_sim.control("calls " + c->deviceId), QStringLiteral("ok 1"));
    }
    QCOMPARE(calls.size(), kGrid);

    // The 17th: the 16-stream warning, no cell, no record.
    VeCameraModel* extra = lan(QLatin1String(kLanIds[16]));
    const int extraOpened = g_alarms.count(extra->deviceId, NxAlarmLog::VideoOpened);
    const Popup warning = answerPopup([&] { QCOMPARE(m_window->playWithCamera(extra), 0); });
    QCOMPARE(warning.boxText, QStringLiteral("播放失败，目前只支持同时播放 16 路视频"));
    QCOMPARE(g_alarms.count(extra->deviceId, NxAlarmLog::VideoOpened), extraOpened);
    QCOMPARE(view->cells().size(), kGrid);
    QVERIFY(!extra->playing && m_window->callIdFor(extra->deviceId).isEmpty());
    // The tree menu of a playing camera.
    QCOMPARE(menuAt(pointOf(cameras.first())), kMenuPlaying);
}

void TestLiveRoad::offlineCameraTimesOutAndReconnects() {
    const QList<VeCameraModel*> cameras = gridCameras();
    QVERIFY(allPlaying(cameras));
    VeCameraModel* camera = cameras.at(4);
    const QString id = camera->deviceId;
    TvPlayWidget* cell = display()->cellForKey(id);
    const QString call = m_window->callIdFor(id);
    QString why;

    QCOMPARE(m_sim.control("offline " + id), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(!showsItsCamera(cell, &why), 5000);
    QTest::qWait(300); // the queue has drained: no picture resets the count any more
    // A playing LAN camera stays in the LAN table, so its limit is 8 ticks (driven by hand).
    QVERIFY(camera->isLanOnline());
    for (int n = cell->timeoutCount() + 1; n < TvPlayWidget::kLanTimeout; ++n)
        cell->globalTimeOut();
    QCOMPARE(m_window->callIdFor(id), call);
    cell->globalTimeOut();                      // the 8th second
    QVERIFY(m_window->callIdFor(id).isEmpty()); // the reconnect has begun

    // The cell reconnects; the tree shows the camera away, not playing.
    QCOMPARE(cell->state(), TvPlayStateReconnecting);
    QVERIFY(tree()->itemModel()->index(camera->modelIndex.row(), 0).data().toString().contains("正在重连"));
    // The camera is away, so the new call fails and the cell waits for the camera.
    QTRY_VERIFY_WITH_TIMEOUT(cell->needsReconnect(), 20000);
    QCOMPARE(display()->cellForKey(id), cell);

    // Back: its LAN report makes the next tick reconnect; pictures flow again.
    const int forced = LogLines::count("强制重连");
    QCOMPARE(m_sim.control("online " + id), QStringLiteral("ok"));
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->callIdFor(id).isEmpty(), 15000);
    QVERIFY(LogLines::count("强制重连") > forced && m_window->callIdFor(id) != call);
    QTRY_VERIFY2_WITH_TIMEOUT(showsItsCamera(cell, &why), qPrintable(why), 10000);
    QCOMPARE(cell->state(), TvPlayStatePlaying);
    // The first picture's state change itself clears the mark (it once waited for an unrelated refresh).
    QTRY_VERIFY_WITH_TIMEOUT(
        !tree()->itemModel()->index(camera->modelIndex.row(), 0).data().toString().contains("正在重连"),
        1000);
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.control("calls " + id), QStringLiteral("ok 1"), 10000);
    // The other cells played on.
    for (VeCameraModel* c : cameras)
        QTRY_VERIFY2_WITH_TIMEOUT(showsItsCamera(display()->cellForKey(c->deviceId), &why), qPrintable(why),
                                  5000);
}

void TestLiveRoad::stopStartAllWhileStreamingThenExit() {
    const QList<VeCameraModel*> cameras = gridCameras();
    QList<QPointer<TvPlayWidget>> cells;
    for (int round = 0; round < 4; ++round) {
        for (TvPlayWidget* c : display()->cells())
            cells << c;
        for (VeCameraModel* c : cameras)
            m_window->stopWithCamera(c);
        QVERIFY(display()->cells().isEmpty());
        QTest::qWait(round * 100);
        for (VeCameraModel* c : cameras) {
            c->mainStream = false;
            QCOMPARE(m_window->playWithCamera(c), 0);
        }
        if (round % 2 == 1) {
            // Every other camera stops again while its call is still being made.
            for (int i = 0; i < cameras.size(); i += 2)
                m_window->stopWithCamera(cameras.at(i));
            QTest::qWait(50);
            for (int i = 0; i < cameras.size(); i += 2)
                QCOMPARE(m_window->playWithCamera(cameras.at(i)), 0);
        }
        QTest::qWait(200 + round * 500);
    }
    QTRY_VERIFY_WITH_TIMEOUT(allPlaying(cameras), 60000);
    QCOMPARE(display()->cells().size(), kGrid);
    for (TvPlayWidget* c : display()->cells())
        cells << c;

    // Exit while the pictures are still arriving.
    QVERIFY(m_window->confirmExit());
    QVERIFY(display()->cells().isEmpty());
    for (VeCameraModel* c : cameras)
        QVERIFY(!c->playing && m_window->callIdFor(c->deviceId).isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(cells.cbegin(), cells.cend(), [](auto& c) { return c.isNull(); }),
                             20000);
    QVERIFY(TvCallWorker::instance()->waitForIdle(20000));
    QTRY_COMPARE_WITH_TIMEOUT(m_sim.control("calls"), QStringLiteral("ok 0"), 15000);
}

void TestLiveRoad::cleanupTestCase() {
    if (m_window) {
        m_window->confirmExit();
        TvCallWorker::instance()->waitForIdle(20000);
        QTest::qWait(1500); // cells delete themselves a moment after their loops end
        m_window.reset();
    }
    m_sim.kill();
}

QTEST_MAIN(TestLiveRoad)
#include "test_liveroad.moc"
