// The library against a simulator that dies, restarts, drops, stalls, delays and sends damaged data.
#include "CallbackLog.h"
#include "SimProcess.h"
#include "TestDecoder.h"
#include "pcQuorvane.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cstring>

namespace {
const QStringList kCameras{"--cameras", "lan:F-LAN-1,lan:F-LAN-2,cloud:F-CLD-1", "--clip-seconds", "2"};
} // namespace

class TestSdkFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stallAndDamagedFrames();
    void delayedAndDroppedReplies();
    void droppedAndBrokenConnections();
    void cloudCameraComesAndGoes();
    void registrationReplacedByNull();
    void deadAndRestartedService();

private:
    bool sim(const QString& command) { return m_sim.control(command).startsWith("ok"); }
    // Opens a LAN video call and waits for its first frames.
    bool call(char* callId, const char* id, int frames) {
        return vmoLANCalling(1, 0, callId, L().nxid(id), "", 0) == 0 && L().waitSize(L().video, frames, 5000);
    }
    // True when no video frame arrives for ms.
    static bool noFrames(int ms) {
        const int before = L().video.size();
        QTest::qWait(ms);
        return L().video.size() == before;
    }
    bool login() {
        L().clear();
        return vmoLogin_EX("tarnveil", "tarnveil", "127.0.0.1", m_sim.cloudPort()) == 0 &&
               L().waitSystem(0) && nx_RegionMonServer() == 0 && L().waitSystem(101, "1");
    }
    SimProcess m_sim;
};

void TestSdkFaults::initTestCase() {
    qputenv("KVAB_SDK_TIMEOUT_MS", "600");
    QVERIFY(m_sim.start(kCameras));
    L().registerAll();
    QVERIFY(nx_LanRefresh() == 0 && L().waitSize(L().lan, 2, 5000));
    QVERIFY(login());
}

void TestSdkFaults::stallAndDamagedFrames() {
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(call(callId, "F-LAN-1", 5));
    // Stall: frames stop, then resume at a key frame.
    QVERIFY(sim("stall F-LAN-1"));
    QTest::qWait(200);
    QVERIFY(noFrames(800));
    const int atStall = L().video.size();
    QVERIFY(sim("unstall F-LAN-1"));
    QVERIFY(L().waitFor(
        [&] { return L().video.size() > atStall && (L().video[atStall].data[4] & 0x1F) == 7; }, 4000));
    // Damaged units: corrupt, truncated, and garbage in front of the start code. Everything still arrives,
    // and a decoder recovers at the next key frame.
    L().clear();
    QVERIFY(sim("corrupt F-LAN-1 5") && sim("truncate F-LAN-1 5") && sim("garbage-frames F-LAN-1 3"));
    QTest::qWait(2600);
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QVERIFY(L().video.size() >= 50);
        int garbage = 0, lastKey = -1;
        TestDecoder dec;
        for (int i = 0; i < L().video.size(); ++i) {
            const QByteArray& d = L().video[i].data;
            garbage += !d.startsWith(QByteArray("\0\0\0\1", 4));
            if (d.size() > 5 && (d[4] & 0x1F) == 7)
                lastKey = i;
            dec.decode(d);
        }
        QVERIFY(garbage == 3 && lastKey > 13);
        TestDecoder clean;
        for (int i = lastKey; i < L().video.size(); ++i)
            clean.decode(L().video[i].data);
        QVERIFY(clean.errors == 0 && clean.pictures == L().video.size() - lastKey);
    }
    QCOMPARE(vmoLANCloseCall(callId), 0);
}

void TestSdkFaults::delayedAndDroppedReplies() {
    char buf[PCQ_RECORD_SIZE];
    std::memset(buf, 'q', sizeof buf);
    buf[0] = '\0';
    QVERIFY(sim("delay 1500"));
    QElapsedTimer t;
    t.start();
    QCOMPARE(GetLanSysInfo(buf, 203, "F-LAN-1"), PCQ_ERR_TIMEOUT);
    QVERIFY(t.elapsed() < 1400);
    QCOMPARE(buf[0], '\0'); // nothing written on failure
    QVERIFY(sim("delay 0"));
    QTest::qWait(1200); // the late answer arrives and must be ignored
    QCOMPARE(GetLanSysInfo(buf, 209, "F-LAN-1"), 0);
    QCOMPARE(QByteArray(buf), QByteArray("onvif=0;onvifaudio=1;"));
    QVERIFY(sim("dropreplies 1"));
    QCOMPARE(GetLanSysInfo(buf, 203, "F-LAN-1"), PCQ_ERR_TIMEOUT);
    QCOMPARE(GetLanSysInfo(buf, 209, "F-LAN-1"), 0);
}

void TestSdkFaults::droppedAndBrokenConnections() {
    for (const char* fault : {"drop", "garbage", "cut"}) {
        char callId[PCQ_CALL_ID_SIZE] = {0};
        QVERIFY2(call(callId, "F-LAN-2", 3), fault);
        L().clear();
        QVERIFY2(sim(fault), fault);
        // The library notices, tells the client the cloud session is gone, reconnects by itself and
        // searches the LAN again.
        QVERIFY2(L().waitSystem(3) && L().waitSize(L().lan, 2, 5000), fault);
        QVERIFY(noFrames(300) && vmoLANCloseCall(callId) < 0); // the old call is gone
        QVERIFY(L().nxid("F-LAN-2") > 0 && login());
    }
}

void TestSdkFaults::cloudCameraComesAndGoes() {
    L().clear();
    QVERIFY(vmoGetDevStatus("F-CLD-1") == 0 && L().waitSystem(104, "F-CLD-1"));
    char callId[PCQ_CALL_ID_SIZE] = {0}, again[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(vmoWANCalling(1, 0, callId, "F-CLD-1", "", 0) == 0 && L().waitSize(L().video, 3, 5000));
    QVERIFY(sim("offline F-CLD-1") && L().waitSystem(108, "F-CLD-1") && L().waitSystem(106, QString(), 1000));
    QVERIFY(vmoWANCalling(1, 0, again, "F-CLD-1", "", 0) < 0 && again[0] == '\0');
    QVERIFY(sim("online F-CLD-1") && L().waitSystem(104, "F-CLD-1"));
    QCOMPARE(vmoWANCalling(1, 0, again, "F-CLD-1", "", 0), 0);
    vmoWANCloseCall("F-CLD-1", again);
    vmoWANCloseCall("F-CLD-1", callId);
    // Added and removed cameras.
    L().clear();
    QVERIFY(sim("add F-NEW lan") && L().waitFor([] { return L().handles.contains("F-NEW"); }, 3000));
    QVERIFY(sim("remove F-NEW"));
    QVERIFY(vmoSetLANInfo("F-NEW", L().nxid("F-NEW"), 50, 10, 0) < 0);
}

void TestSdkFaults::registrationReplacedByNull() {
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(call(callId, "F-LAN-1", 3));
    QCOMPARE(nx_InitVideo(nullptr, nullptr), 0);
    QVERIFY(noFrames(500)); // no callback after the replacing call returned
    const int frames = L().video.size();
    L().registerAll();
    QVERIFY(L().waitFor([&] { return L().video.size() > frames; }, 3000));
    QCOMPARE(vmoLANCloseCall(callId), 0);
}

void TestSdkFaults::deadAndRestartedService() {
    const int port = m_sim.port();
    const int cloudPort = m_sim.cloudPort();
    const int oldHandle = L().nxid("F-LAN-1");
    m_sim.kill();
    L().clear();
    QElapsedTimer t;
    t.start();
    char buf[PCQ_RECORD_SIZE] = {0}, callId[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(GetLanSysInfo(buf, 203, "F-LAN-1") < 0 && vmoLANCalling(1, 0, callId, oldHandle, "", 0) < 0);
    QVERIFY(nx_LanRefresh() < 0 && vmoLogin_EX("tarnveil", "tarnveil", "127.0.0.1", cloudPort) < 0);
    QVERIFY(t.elapsed() < 3000); // refused at once, no hang
    QVERIFY(buf[0] == '\0' && callId[0] == '\0');
    QTest::qWait(300);
    QVERIFY(L().video.isEmpty());
    // The service comes back on the same port: the library reconnects by itself, reports the cameras
    // again, with new handles because they restarted too.
    QVERIFY(m_sim.start(kCameras, port) && L().waitSize(L().lan, 2, 6000));
    QVERIFY(L().nxid("F-LAN-1") != oldHandle);
    QVERIFY(call(callId, "F-LAN-1", 3));
    QCOMPARE(vmoLANCloseCall(callId), 0);
}

QTEST_GUILESS_MAIN(TestSdkFaults)
#include "test_sdk_faults.moc"
