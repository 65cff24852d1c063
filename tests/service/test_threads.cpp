// SDK callbacks from several threads while the GUI thread reads and changes the tables (the centers' last
// case). Meant for ThreadSanitizer; without it, it still catches crashes and lost updates.
#include "NxAlarmCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxVideoCenter.h"
#include "NxWiFiSSIDCenter.h"
#include "ServiceTestSupport.h"

#include <QElapsedTimer>

#include <random>
#include <thread>

namespace {

std::atomic<long> g_packets{0};
void countPacket(const char*, const unsigned char*, int length, bool) {
    g_packets += length > 0 ? 1 : 0;
}
void otherHandler(const char*, const unsigned char*, int, bool) {}

QByteArray idOf(int i) {
    return "S" + QByteArray::number(i % 24);
}

} // namespace

void raceCallbacksAgainstTheGuiThread(NxDataCenter* d) {
    NxDeviceStateCenter* state = NxDeviceStateCenter::instance();
    drainAndReset(d);
    d->videoCenter->streamHandler = &countPacket;
    NxAlarmCenter::setClock(nullptr); // the real clock: one alarm a camera a second gets through
    std::atomic<bool> stop{false};

    int found = 0, alarms = 0, results = 0;
    QObject receiver; // ends the connections with this function
    QObject::connect(d->lanCenter, &NxLanCenter::findNewDeviceSignal, &receiver, [&] { ++found; });
    QObject::connect(d->alarmCenter, &NxAlarmCenter::alarmSignal, &receiver, [&] { ++alarms; });
    QObject::connect(d->wifiSsidCenter, &NxWiFiSSIDCenter::searchSucceedSignal, &receiver,
                     [&](QList<VeSSIDInfoObject*> networks) {
                         ++results;
                         qDeleteAll(networks);
                     });
    QObject::connect(d->wifiSsidCenter, &NxWiFiSSIDCenter::searchFailedSignal, &receiver, [&] { ++results; });

    auto worker = [&](int seed) {
        std::mt19937 rng(seed);
        const std::string frame("\0\0\0\1\x65\1\2\3", 8);
        while (!stop.load()) {
            const int i = static_cast<int>(rng() % 1000);
            const QByteArray id = idOf(i);
            switch (i % 8) {
            case 0:
            case 1:
                Sdk::fireLan(id.constData(), "F", 1000 + i, "G711");
                break;
            case 2:
                Sdk::fireSystem(i % 16 < 8 ? 104 : 108, id);
                break;
            case 3: // listed cameras are updated in place and the list saved, the others are new records
                Sdk::fireSystem(119, "devid=" + (i % 16 < 8 ? id : QByteArray(1, "abc"[i % 3])) + ";pwd=p" +
                                         QByteArray::number(i) +
                                         ";status=1;devtype=T;audiotype=G726;count=1;");
                break;
            case 4:
                Sdk::fireAlarm(i % 2 ? 107 : 302, id + ";motion", i % 2, 0);
                break;
            case 5:
                Sdk::fireVideo("call-1", frame);
                Sdk::fireAudio(frame.substr(0, 4));
                break;
            case 6:
                Sdk::fireWifi("sid=A;signal=5:sid=B;signal=7", 28);
                break;
            default:
                Sdk::fireSystem(i % 3 == 0 ? 0 : 101, i % 3 == 0 ? "" : "1");
                Sdk::fireAlarm(2004, id + ";AP", 1, 0);
                break;
            }
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back(worker, 17 + t);

    QElapsedTimer timer;
    timer.start();
    long reads = 0;
    int searches = 0;
    while (timer.elapsed() < 1500) {
        // What the device panel, the play cells and the dialogs do on the GUI thread.
        for (VeCameraModel* cam : d->lanCenter->lanDeviceList()) {
            QVERIFY(cam && !cam->deviceId.isEmpty() &&
                    d->lanCenter->lanDevicesSnapshot().value(cam->deviceId, cam));
            d->sendData(cam, "data=cmd-110;");
            state->isWanOnline(cam->deviceId);
            ++reads;
        }
        for (VeCameraModel* cam : d->loginCenter->cloudDeviceList()) {
            state->isLanDevice(cam->deviceId);
            d->sendSelector(61, 1, cam);
            ++reads;
        }
        if (VeCameraModel* cam = d->lanCenter->device(idOf(0))) {
            if (d->wifiSsidCenter->search(cam, "MAC"))
                ++searches;
            d->videoCenter->openVideo(cam, false);
            d->videoCenter->closeCameraVideo(cam);
        }
        d->videoCenter->streamHandler = (reads % 2) ? &otherHandler : &countPacket;
        if (reads % 7 == 0)
            d->lanCenter->refreshLan(3);
        if (reads % 11 == 0)
            d->loginCenter->queryAllDeviceStatus();
        QCoreApplication::processEvents();
    }
    stop = true;
    for (std::thread& t : threads)
        t.join();
    d->wifiSsidCenter->stopSearch();
    d->videoCenter->streamHandler = nullptr;
    QTest::qWait(50);

    // Every table entry is filed under its own id; one result at most per survey.
    const auto lan = d->lanCenter->lanDevicesSnapshot();
    for (auto it = lan.cbegin(); it != lan.cend(); ++it)
        QCOMPARE(it.value()->deviceId, it.key());
    QVERIFY(results <= searches && found > 0 && alarms > 0 && g_packets.load() > 0);
}
