// The device service against the camera simulator through the real SDK: start-up to logged in, LAN
// discovery, calls on both paths, and every parameter record read, written and read back.
#include "NxAlarmCenter.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxVideoCenter.h"
#include "NxWiFiSSIDCenter.h"
#include "TvDefaultSettings.h"
#include "VeCameraModel.h"

#include <QMap>
#include <QMutex>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <cstring>

namespace {

QMutex g_framesMutex;
QMap<QString, int> g_videoFrames; // call identity -> frames
int g_audioBlocks = 0;

void countPacket(const char* callId, const unsigned char*, int length, bool isVideo) {
    QMutexLocker locker(&g_framesMutex);
    if (isVideo && length > 0)
        ++g_videoFrames[QString::fromUtf8(callId)];
    else if (!isVideo && !callId && length > 0)
        ++g_audioBlocks;
}

int framesOf(const QString& callId) {
    QMutexLocker locker(&g_framesMutex);
    return g_videoFrames.value(callId);
}

const char kLan[] = "KV-LAN-01";
const char kBoth[] = "KV-BTH-01";
const char kCloud[] = "KV-CLD-01";

} // namespace

class TestSimulator : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startsUpToLoggedIn();
    void callsOnBothPaths();
    void recordsRoundTrip();
    void surveyAndAlarms();
    void cleanupTestCase();

private:
    QString control(const QString& command);

    QProcess m_sim;
    int m_controlPort = 0;
    NxDataCenter* m_data = nullptr;
};

QString TestSimulator::control(const QString& command) {
    QProcess p;
    p.start(QStringLiteral(KVAB_CAMSIM),
            {"--control-port", QString::number(m_controlPort), "--send", command});
    p.waitForFinished(10000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

void TestSimulator::initTestCase() {
    m_sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_sim.start(QStringLiteral(KVAB_CAMSIM),
                {"--port", "0", "--control-port", "0", "--clip-seconds", "2", "--cameras",
                 QStringLiteral("lan:%1,both:%2,cloud:%3").arg(kLan, kBoth, kCloud)});
    QVERIFY2(m_sim.waitForStarted(10000), "simulator did not start");
    QByteArray banner;
    while (!banner.contains('\n') && m_sim.waitForReadyRead(20000))
        banner += m_sim.readAllStandardOutput();
    const QRegularExpressionMatch m =
        QRegularExpression("sdk port (\\d+) control port (\\d+)").match(QString::fromUtf8(banner));
    QVERIFY2(m.hasMatch(), banner.constData());
    m_controlPort = m.captured(2).toInt();
    qputenv("KVAB_SDK_ENDPOINT", ("127.0.0.1:" + m.captured(1)).toUtf8());

    // The user's saved list: one cloud camera and one that is on the LAN as well.
    VeCameraModel cloud(kCloud, "cloud", "", "G711", 0, 0, "", "");
    VeCameraModel both(kBoth, "both", "", "G711", 0, 0, "", "");
    TvDefaultSettings::instance()->saveDeviceInfo({&cloud, &both});

    m_data = NxDataCenter::instance();
    m_data->videoCenter->streamHandler = &countPacket;
}

void TestSimulator::startsUpToLoggedIn() {
    QSignalSpy login(m_data->loginCenter, &NxLoginCenter::loginResultSignal);
    QTRY_VERIFY_WITH_TIMEOUT(m_data->loginCenter->isLoggedIn(), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(NxDeviceStateCenter::instance()->isWanOnline(kCloud), 10000);
    QVERIFY(!NxDeviceStateCenter::instance()->isWanOnline(kLan));
    // The status answers (119) filled the listed records.
    QTRY_VERIFY_WITH_TIMEOUT(!m_data->loginCenter->cloudDevice(kCloud)->devAccess.isEmpty(), 5000);

    QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan) && m_data->lanCenter->contains(kBoth), 10000);
    QVERIFY(!m_data->lanCenter->contains(kCloud));
    QVERIFY(m_data->lanCenter->device(kLan)->nxid != 0);
    QVERIFY(m_data->lanCenter->device(kLan)->isLanOnline());

    // A refresh forgets the idle cameras and finds them again as new.
    QSignalSpy found(m_data->lanCenter, &NxLanCenter::findNewDeviceSignal);
    m_data->lanCenter->refreshLan(3);
    QTRY_VERIFY_WITH_TIMEOUT(found.count() >= 2, 10000);
    QTRY_VERIFY(m_data->lanCenter->contains(kLan));
}

void TestSimulator::callsOnBothPaths() {
    // A LAN camera, the cloud record of a camera that is on the LAN too (the LAN path with the LAN
    // handle) and a cloud camera: frames arrive for each call identity, and stop once it is closed.
    VeCameraModel* both = m_data->loginCenter->cloudDevice(kBoth);
    for (VeCameraModel* cam :
         {m_data->lanCenter->device(kLan), both, m_data->loginCenter->cloudDevice(kCloud)}) {
        QVERIFY(cam);
        QVERIFY(m_data->videoCenter->openVideo(cam, cam == both) >= 0);
        const QString call = cam->callId;
        QVERIFY(!call.isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(framesOf(call) > 3, 10000);
        if (cam == both)
            QCOMPARE(both->nxid, m_data->lanCenter->device(kBoth)->nxid);
        QVERIFY(m_data->videoCenter->openAudioListen(cam) >= 0);
        QVERIFY(!cam->listenCallId.isEmpty() && cam->listenCallId != call);
        m_data->videoCenter->closeAudioListen(cam);
        QVERIFY(cam->listenCallId.isEmpty() && !cam->callId.isEmpty());
        m_data->videoCenter->closeCameraVideo(cam);
        QVERIFY(cam->callId.isEmpty());
        const int settled = framesOf(call);
        QTest::qWait(300);
        QVERIFY(framesOf(call) <= settled + 1);
    }
}

void TestSimulator::recordsRoundTrip() {
    // Records written through the real library read back changed.
    VeCameraModel* cam = m_data->lanCenter->device(kLan);
    QVERIFY(cam);
    VideoParam v;
    QVERIFY(m_data->getVideoParam(cam, &v) >= 0);
    QVERIFY(v.bri >= 1 && v.bri <= 63);
    const int bri = v.bri % 63 + 1, ir = v.iropen ? 0 : 1;
    QVERIFY(m_data->setVideoParam(cam, 50, bri) >= 0);
    QVERIFY(m_data->setVideoParam(cam, 114, ir) >= 0);
    QVERIFY(m_data->getVideoParam(cam, &v) >= 0);
    QCOMPARE(v.bri, bri);
    QCOMPARE(v.iropen, ir);

    IPInfo ip;
    QVERIFY(m_data->getIPInfo(cam, &ip) >= 0);
    QVERIFY(std::strlen(ip.mac) > 0);
    std::strcpy(ip.dns, "10.9.8.7");
    QVERIFY(m_data->setIPInfo(cam, 2, ip) >= 0);
    QVERIFY(m_data->getIPInfo(cam, &ip) >= 0);
    QCOMPARE(QByteArray(ip.dns), QByteArray("10.9.8.7"));
    QCOMPARE(ip.flag, 0);

    WiFiInfo w;
    QVERIFY(m_data->getWiFiInfo(cam, &w) >= 0);
    WiFiConfig c{};
    std::strcpy(c.sid, "KVAB-Test");
    std::strcpy(c.pswd, "pw-123456");
    std::memcpy(c.mac, w.mac, sizeof c.mac);
    QVERIFY(m_data->setWiFiInfo(cam, 1, 1, c) >= 0);
    QVERIFY(m_data->getWiFiInfo(cam, &w) >= 0);
    QCOMPARE(QByteArray(w.sid), QByteArray("KVAB-Test"));
    QVERIFY(w.open == 1 && w.flag == 1);
    QCOMPARE(QByteArray(w.pswd), QByteArray()); // never read back

    EmailInfo e;
    QVERIFY(m_data->getEmailInfo(cam, &e) >= 0);
    std::strcpy(e.user, "alarm-user");
    e.count = (e.count + 1) % 4;
    const int count = e.count;
    QVERIFY(m_data->setEmailInfo(cam, e) >= 0);
    QVERIFY(m_data->getEmailInfo(cam, &e) >= 0);
    QCOMPARE(QByteArray(e.user), QByteArray("alarm-user"));
    QCOMPARE(e.count, count);

    SDInfo sd;
    QVERIFY(m_data->getSDInfo(cam, &sd) >= 0);
    const int splite = sd.splite == 40 ? 60 : 40, stream = sd.stream ? 0 : 1;
    sd.splite = splite;
    sd.stream = stream;
    QVERIFY(m_data->setSDInfo(cam, sd) >= 0);
    QVERIFY(m_data->getSDInfo(cam, &sd) >= 0);
    QVERIFY(sd.splite == splite && sd.stream == stream);

    qint32 onvif = -1, audio = -1;
    QVERIFY(m_data->getOnvifState(cam, &onvif, &audio) >= 0);
    QVERIFY(m_data->setOnvif(cam, !onvif, !audio) >= 0);
    qint32 onvif2 = -1, audio2 = -1;
    QVERIFY(m_data->getOnvifState(cam, &onvif2, &audio2) >= 0);
    QVERIFY(onvif2 == !onvif && audio2 == !audio);
    QVERIFY(m_data->setVideoParam(m_data->loginCenter->cloudDevice(kCloud), 53, 20) >= 0); // the cloud path
}

void TestSimulator::surveyAndAlarms() {
    VeCameraModel* cam = m_data->lanCenter->device(kLan);
    WiFiInfo w;
    QVERIFY(m_data->getWiFiInfo(cam, &w) >= 0);
    QSignalSpy ok(m_data->wifiSsidCenter, &NxWiFiSSIDCenter::searchSucceedSignal);
    QSignalSpy failed(m_data->wifiSsidCenter, &NxWiFiSSIDCenter::searchFailedSignal);
    QVERIFY(m_data->wifiSsidCenter->search(cam, QString::fromUtf8(w.mac)));
    QTRY_COMPARE_WITH_TIMEOUT(ok.count(), 1, 8000);
    QCOMPARE(failed.count(), 0);
    const auto networks = ok.at(0).at(0).value<QList<VeSSIDInfoObject*>>();
    QCOMPARE(networks.size(), 3);
    QCOMPARE(networks.at(0)->name, QStringLiteral("KVAB-Office"));
    QVERIFY(networks.at(0)->signal > 0);
    qDeleteAll(networks);

    QSignalSpy data(m_data->alarmCenter, &NxAlarmCenter::alarmDataSignal);
    QVERIFY(m_data->setNetworkOptions(cam, true, true, "Spot", "pw", false, true) >= 0);
    QTRY_VERIFY_WITH_TIMEOUT(data.count() >= 4, 5000);

    QSignalSpy alarm(m_data->alarmCenter, &NxAlarmCenter::alarmSignal);
    QCOMPARE(control(QStringLiteral("alarm %1 io").arg(kLan)), QStringLiteral("ok"));
    QTRY_COMPARE_WITH_TIMEOUT(alarm.count(), 1, 5000);
    QCOMPARE(alarm.at(0).at(0).toString(), QString::fromLatin1(kLan));
}

void TestSimulator::cleanupTestCase() {
    m_sim.terminate();
    if (!m_sim.waitForFinished(5000))
        m_sim.kill();
}

QTEST_GUILESS_MAIN(TestSimulator)
#include "test_simulator.moc"
