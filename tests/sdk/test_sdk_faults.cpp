// The library against a simulator that dies, restarts, drops, stalls, delays and sends damaged data.
#include "CallbackLog.h"
#include "SimProcess.h"
#include "TestDecoder.h"
#include "pcQuorvane.h"

#include <QElapsedTimer>
#include <QtTest>

#include <cstring>

namespace {
CallbackLog& L() {
    return CallbackLog::instance();
}
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
    int handle(const char* id) {
        std::lock_guard<std::mutex> lock(L().mutex);
        return L().lastNxid(QString::fromUtf8(id));
    }
    bool discover() {
        L().clear();
        return nx_LanRefresh() == 0 && L().waitFor([] { return L().lan.size() >= 2; }, 5000);
    }
    bool login() {
        L().clear();
        return vmoLogin_EX("tarnveil", "tarnveil", "127.0.0.1", 0) == 0 &&
               L().waitFor([] { return L().hasSystem(0); }, 3000) && nx_RegionMonServer() == 0 &&
               L().waitFor([] { return L().hasSystem(101, "1"); }, 3000);
    }
    SimProcess m_sim;
};

void TestSdkFaults::initTestCase() {
    qputenv("KVAB_SDK_TIMEOUT_MS", "600");
    QVERIFY(m_sim.start({"--cameras", "lan:F-LAN-1,lan:F-LAN-2,cloud:F-CLD-1", "--clip-seconds", "2"}));
    L().registerAll();
    QVERIFY(discover());
    QVERIFY(login());
}

void TestSdkFaults::stallAndDamagedFrames() {
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(vmoLANCalling(1, 0, callId, handle("F-LAN-1"), "", 0), 0);
    QVERIFY(L().waitFor([] { return L().video.size() >= 5; }, 5000));
    // Stall: frames stop, then resume at a key frame.
    QVERIFY(m_sim.control("stall F-LAN-1").startsWith("ok"));
    QTest::qWait(200);
    const int atStall = L().video.size();
    QTest::qWait(800);
    QCOMPARE(L().video.size(), atStall);
    QVERIFY(m_sim.control("unstall F-LAN-1").startsWith("ok"));
    QVERIFY(L().waitFor([&] { return L().video.size() > atStall; }, 4000));
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        const QByteArray& resumed = L().video[atStall].data;
        QCOMPARE(resumed[4] & 0x1F, 7);
    }
    // Damaged units: corrupt, truncated, and garbage in front of the start code. Everything still arrives,
    // and a decoder recovers at the next key frame.
    L().clear();
    QVERIFY(m_sim.control("corrupt F-LAN-1 5").startsWith("ok"));
    QVERIFY(m_sim.control("truncate F-LAN-1 5").startsWith("ok"));
    QVERIFY(m_sim.control("garbage-frames F-LAN-1 3").startsWith("ok"));
    QTest::qWait(2600);
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QVERIFY(L().video.size() >= 50);
        int garbage = 0;
        TestDecoder dec;
        int lastKey = -1;
        for (int i = 0; i < L().video.size(); ++i) {
            const QByteArray& d = L().video[i].data;
            if (!d.startsWith(QByteArray("\0\0\0\1", 4)))
                ++garbage;
            if (d.size() > 5 && (d[4] & 0x1F) == 7)
                lastKey = i;
            dec.decode(d);
        }
        QCOMPARE(garbage, 3);
        QVERIFY(lastKey > 13);
        TestDecoder clean;
        for (int i = lastKey; i < L().video.size(); ++i)
            clean.decode(L().video[i].data);
        QCOMPARE(clean.errors, 0);
        QCOMPARE(clean.pictures, L().video.size() - lastKey);
    }
    QCOMPARE(vmoLANCloseCall(callId), 0);
}

void TestSdkFaults::delayedAndDroppedReplies() {
    char buf[PCQ_RECORD_SIZE];
    QVERIFY(m_sim.control("delay 1500").startsWith("ok"));
    QElapsedTimer t;
    t.start();
    std::memset(buf, 'q', sizeof buf);
    buf[0] = '\0';
    QCOMPARE(GetLanSysInfo(buf, 203, "F-LAN-1"), PCQ_ERR_TIMEOUT);
    QVERIFY(t.elapsed() < 1400);
    QCOMPARE(buf[0], '\0'); // nothing written on failure
    QVERIFY(m_sim.control("delay 0").startsWith("ok"));
    QTest::qWait(1200); // the late answer arrives and must be ignored
    QCOMPARE(GetLanSysInfo(buf, 209, "F-LAN-1"), 0);
    QCOMPARE(QByteArray(buf), QByteArray("onvif=0;onvifaudio=1;"));

    QVERIFY(m_sim.control("dropreplies 1").startsWith("ok"));
    QCOMPARE(GetLanSysInfo(buf, 203, "F-LAN-1"), PCQ_ERR_TIMEOUT);
    QCOMPARE(GetLanSysInfo(buf, 209, "F-LAN-1"), 0);
}

void TestSdkFaults::droppedAndBrokenConnections() {
    for (const char* fault : {"drop", "garbage", "cut"}) {
        char callId[PCQ_CALL_ID_SIZE] = {0};
        QCOMPARE(vmoLANCalling(1, 0, callId, handle("F-LAN-2"), "", 0), 0);
        QVERIFY(L().waitFor([] { return L().video.size() >= 3; }, 5000));
        L().clear();
        QVERIFY2(m_sim.control(fault).startsWith("ok"), fault);
        // The library notices, tells the client the cloud session is gone, reconnects by itself and
        // searches the LAN again.
        QVERIFY2(L().waitFor([] { return L().hasSystem(3); }, 3000), fault);
        QVERIFY2(L().waitFor([] { return L().lan.size() >= 2; }, 5000), fault);
        const int frames = L().video.size();
        QTest::qWait(300);
        QCOMPARE(L().video.size(), frames); // the old call is gone
        QVERIFY(vmoLANCloseCall(callId) < 0);
        QCOMPARE(handle("F-LAN-2") > 0, true);
        QVERIFY(login());
    }
}

void TestSdkFaults::cloudCameraComesAndGoes() {
    L().clear();
    QCOMPARE(vmoGetDevStatus("F-CLD-1"), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(104, "F-CLD-1"); }, 3000));
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(vmoWANCalling(1, 0, callId, "F-CLD-1", "", 0), 0);
    QVERIFY(L().waitFor([] { return L().video.size() >= 3; }, 5000));
    QVERIFY(m_sim.control("offline F-CLD-1").startsWith("ok"));
    QVERIFY(L().waitFor([] { return L().hasSystem(108, "F-CLD-1"); }, 3000));
    QVERIFY(L().waitFor([] { return L().hasSystem(106); }, 1000));
    char again[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(vmoWANCalling(1, 0, again, "F-CLD-1", "", 0) < 0);
    QCOMPARE(again[0], '\0');
    QVERIFY(m_sim.control("online F-CLD-1").startsWith("ok"));
    QVERIFY(L().waitFor([] { return L().hasSystem(104, "F-CLD-1"); }, 3000));
    QCOMPARE(vmoWANCalling(1, 0, again, "F-CLD-1", "", 0), 0);
    vmoWANCloseCall("F-CLD-1", again);
    vmoWANCloseCall("F-CLD-1", callId);
    // Added and removed cameras.
    L().clear();
    QVERIFY(m_sim.control("add F-NEW lan").startsWith("ok"));
    QVERIFY(L().waitFor([] { return L().handles.contains("F-NEW"); }, 3000));
    QVERIFY(m_sim.control("remove F-NEW").startsWith("ok"));
    QVERIFY(vmoSetLANInfo("F-NEW", handle("F-NEW"), 50, 10, 0) < 0);
}

void TestSdkFaults::registrationReplacedByNull() {
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(vmoLANCalling(1, 0, callId, handle("F-LAN-1"), "", 0), 0);
    QVERIFY(L().waitFor([] { return L().video.size() >= 3; }, 5000));
    QCOMPARE(nx_InitVideo(nullptr, nullptr), 0);
    const int frames = L().video.size(); // no callback after the replacing call returned
    QTest::qWait(500);
    QCOMPARE(L().video.size(), frames);
    L().registerAll();
    QVERIFY(L().waitFor([&] { return L().video.size() > frames; }, 3000));
    QCOMPARE(vmoLANCloseCall(callId), 0);
}

void TestSdkFaults::deadAndRestartedService() {
    const int port = m_sim.port();
    const int oldHandle = handle("F-LAN-1");
    m_sim.kill();
    L().clear();
    QElapsedTimer t;
    t.start();
    char buf[PCQ_RECORD_SIZE] = {0};
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(GetLanSysInfo(buf, 203, "F-LAN-1") < 0);
    QVERIFY(vmoLANCalling(1, 0, callId, oldHandle, "", 0) < 0);
    QVERIFY(nx_LanRefresh() < 0);
    QVERIFY(vmoLogin_EX("tarnveil", "tarnveil", "", 0) < 0);
    QVERIFY(t.elapsed() < 3000); // refused at once, no hang
    QCOMPARE(buf[0], '\0');
    QCOMPARE(callId[0], '\0');
    QTest::qWait(300);
    QVERIFY(L().video.isEmpty());

    // The service comes back on the same port: the library reconnects by itself, reports the cameras
    // again, with new handles because they restarted too.
    QVERIFY(m_sim.start({"--cameras", "lan:F-LAN-1,lan:F-LAN-2,cloud:F-CLD-1", "--clip-seconds", "2"}, port));
    QVERIFY(L().waitFor([] { return L().lan.size() >= 2; }, 6000));
    const int newHandle = handle("F-LAN-1");
    QVERIFY(newHandle != oldHandle);
    QCOMPARE(vmoLANCalling(1, 0, callId, newHandle, "", 0), 0);
    QVERIFY(L().waitFor([] { return L().video.size() >= 3; }, 5000));
    QCOMPARE(vmoLANCloseCall(callId), 0);
}

QTEST_GUILESS_MAIN(TestSdkFaults)
#include "test_sdk_faults.moc"
