// The library against a live simulator: discovery, login, status, records, calls, audio, alarms, survey, SD.
#include "CallbackLog.h"
#include "Md5.h"
#include "SimProcess.h"
#include "TestDecoder.h"
#include "pcQuorvane.h"

#include <QtTest>

#include <cstring>

namespace {
CallbackLog& L() {
    return CallbackLog::instance();
}

QString sysInfo(int selector, const char* id, int* rc = nullptr) {
    char buf[PCQ_RECORD_SIZE];
    std::memset(buf, 0x7F, sizeof buf);
    const int r = GetLanSysInfo(buf, selector, id);
    if (rc)
        *rc = r;
    if (r < 0)
        return QString();
    return QString::fromUtf8(buf, static_cast<int>(strnlen(buf, sizeof buf)));
}

bool keyFrameLayout(const QByteArray& d) {
    // SPS, PPS, then the IDR slice, each after a four-byte start code.
    const QByteArray sc("\0\0\0\1", 4);
    if (!d.startsWith(sc) || (d[4] & 0x1F) != 7)
        return false;
    const int pps = d.indexOf(sc, 4);
    const int idr = pps < 0 ? -1 : d.indexOf(sc, pps + 4);
    return pps > 0 && (d[pps + 4] & 0x1F) == 8 && idr > 0 && (d[idr + 4] & 0x1F) == 5;
}
} // namespace

class TestSdkIntegration : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discovery();
    void loginAndStatus();
    void passwords();
    void recordsReadAndWrite();
    void rebootAndReset();
    void dataChannelReports();
    void alarms();
    void wifiSurvey();
    void videoCalls();
    void listenAndTalk();
    void sdListingAndDownload();

private:
    int nxid(const char* id) {
        std::lock_guard<std::mutex> lock(L().mutex);
        return L().lastNxid(QString::fromUtf8(id));
    }
    SimProcess m_sim;
};

void TestSdkIntegration::initTestCase() {
    QVERIFY(m_sim.start({"--demo", "--reboot-ms", "800", "--clip-seconds", "4"}));
    L().registerAll();
}

void TestSdkIntegration::discovery() {
    QCOMPARE(nx_LanRefresh(), 0);
    QVERIFY(L().waitFor([] { return L().lan.size() >= 4; }, 5000));
    QSet<int> handles;
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        for (const auto& r : L().lan) {
            QVERIFY(r.id.startsWith("KV-LAN-"));
            QCOMPARE(r.audio, QString("G711"));
            QCOMPARE(r.flag, QString("IPC-Q1"));
            QVERIFY(r.nxid > 0);
            handles.insert(r.nxid);
        }
        for (auto t : L().threads)
            QVERIFY(t != std::this_thread::get_id()); // callbacks never run on the caller's thread
    }
    QCOMPARE(handles.size(), 4);
    // A second search reports the same cameras with the same handles.
    const int before = nxid("KV-LAN-01");
    L().clear();
    QCOMPARE(nx_LanRefresh(), 0);
    QVERIFY(L().waitFor([] { return L().lan.size() >= 4; }, 5000));
    QCOMPARE(nxid("KV-LAN-01"), before);
}

void TestSdkIntegration::loginAndStatus() {
    L().clear();
    // Cloud operations before login are refused.
    QVERIFY(vmoGetDevStatus("KV-CLD-01") < 0);
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QVERIFY(vmoWANCalling(1, 0, callId, "KV-CLD-01", "IPC-Q1", 0) < 0);
    QCOMPARE(callId[0], '\0');

    QCOMPARE(vmoLogin_EX("tarnveil", "wrong", "127.0.0.1", 8000), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(1); }, 3000));
    QCOMPARE(nx_RegionMonServer(), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(101, "0"); }, 3000));

    L().clear();
    QCOMPARE(vmoLogin_EX("tarnveil", "tarnveil", "127.0.0.1", 8000), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(0); }, 3000));
    QCOMPARE(nx_RegionMonServer(), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(101, "1"); }, 3000));

    L().clear();
    QCOMPARE(vmoGetDevStatus_EX("devid0=KV-CLD-01;devid1=KV-CLD-03;devid2=NO-SUCH;", 3), 0);
    QVERIFY(L().waitFor([] { return L().system.size() >= 6; }, 3000));
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QVERIFY(L().hasSystem(104, "KV-CLD-01"));
        QVERIFY(L().hasSystem(108, "KV-CLD-03"));
        QVERIFY(L().hasSystem(108, "NO-SUCH"));
        QStringList infos;
        for (const auto& s : L().system)
            if (s.command == 119) {
                infos << s.text;
                QCOMPARE(s.length, s.text.toUtf8().size());
            }
        QCOMPARE(infos.size(), 3);
        const QString md5 = QString::fromStdString(kvabwire::Md5::hex("123456"));
        QCOMPARE(infos[0], "devid=KV-CLD-01;pwd=" + md5 + ";status=1;devtype=IPC-Q1;audiotype=G711;count=1;");
        QVERIFY(infos[1].startsWith("devid=KV-CLD-03;pwd=" + md5 + ";status=0;"));
        QVERIFY(infos[2].startsWith("devid=NO-SUCH;pwd=;status=0;")); // unknown: no password
    }
    QVERIFY(vmoGetDevStatus_EX("devid0=KV-CLD-01;", 2) < 0); // count does not match the items
    QVERIFY(vmoGetDevStatus_EX(nullptr, 0) < 0);
    L().clear();
    QCOMPARE(vmoGetDevStatus("KV-CLD-02"), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(104, "KV-CLD-02"); }, 3000));
}

void TestSdkIntegration::passwords() {
    char out[PCQ_MD5_SIZE];
    std::memset(out, 'x', sizeof out);
    QCOMPARE(vmoConversionMD5("123456", out), 0);
    QCOMPARE(QByteArray(out), QByteArray("e10adc3949ba59abbe56e057f20f883e"));
    QCOMPARE(out[33], 'x'); // nothing written past the text
    QCOMPARE(vmoConversionMD5(nullptr, out), PCQ_ERR_ARGUMENT);
    QCOMPARE(vmoCheckAccessPwd("123456", "E10ADC3949BA59ABBE56E057F20F883E"), 1);
    QCOMPARE(vmoCheckAccessPwd("123457", "e10adc3949ba59abbe56e057f20f883e"), 0);
    QCOMPARE(vmoCheckAccessPwd("123456", ""), 0);

    L().clear();
    QCOMPARE(DoSetAccessPswd_EX(4, "KV-CLD-02", "n3wpass", 3, 0), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(115); }, 3000));
    QVERIFY(L().hasSystem(115, "1"));
    L().clear();
    QCOMPARE(vmoGetDevStatus("KV-CLD-02"), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(119); }, 3000));
    QVERIFY(L().system.first().text.contains(
        QString::fromStdString("pwd=" + kvabwire::Md5::hex("n3wpass") + ";")));
    L().clear();
    QCOMPARE(DoSetAccessPswd_EX(4, "KV-CLD-03", "x", 3, 0), 0); // offline camera: refused by the server
    QVERIFY(L().waitFor([] { return L().hasSystem(115); }, 3000));
    QVERIFY(L().hasSystem(115, "0"));
}

void TestSdkIntegration::recordsReadAndWrite() {
    const int h = nxid("KV-LAN-01");
    QVERIFY(h > 0);
    int rc = 0;
    QVERIFY(sysInfo(201, "KV-LAN-01").startsWith("ip=192.168.1."));
    QVERIFY(sysInfo(202, "KV-LAN-01").startsWith("move=1;outmove=0;auto=1;loopwr=1;splite=20;"));
    QVERIFY(sysInfo(203, "KV-LAN-01").startsWith("stream=1024;sha=38;bri=32;sat=32;con=32;rate=25;"));
    QVERIFY(sysInfo(204, "KV-LAN-01").startsWith("open=0;ip="));
    QVERIFY(sysInfo(205, "KV-LAN-01").startsWith("model="));
    QVERIFY(sysInfo(208, "KV-LAN-01").startsWith("senc=0;port=25;count=1;"));
    QCOMPARE(sysInfo(209, "KV-LAN-01"), QString("onvif=0;onvifaudio=1;"));
    sysInfo(206, "KV-LAN-01", &rc);
    QVERIFY(rc < 0);
    sysInfo(203, "NO-SUCH", &rc);
    QVERIFY(rc < 0);
    QCOMPARE(GetLanSysInfo(nullptr, 203, "KV-LAN-01"), PCQ_ERR_ARGUMENT);
    // Cloud cameras answer the same reads by id; the offline one does not.
    QVERIFY(sysInfo(201, "KV-CLD-01").contains("status=200;"));
    sysInfo(203, "KV-CLD-03", &rc);
    QVERIFY(rc < 0);

    QCOMPARE(vmoSetLANInfo("KV-LAN-01", h, 50, 40, 0), 0);
    QCOMPARE(vmoSetLANInfo("KV-LAN-01", h, 50, 99, 0), -1);
    QCOMPARE(vmoSetLANInfo("KV-LAN-01", h, 114, 2, 1), 0);
    QCOMPARE(vmoSetLANInfo("KV-LAN-01", h, 57, 15, 0), 0);
    QCOMPARE(vmoSetLANInfo("KV-LAN-01", 12345, 50, 40, 0), -1); // unknown handle
    QString video = sysInfo(203, "KV-LAN-01");
    QVERIFY(video.contains("bri=40;") && video.contains("iropen=1;") && video.contains("rate=15;"));
    QCOMPARE(vmoSetLANInfo("KV-LAN-01", h, 115, 1, 0), 0);
    QCOMPARE(sysInfo(209, "KV-LAN-01"), QString("onvif=1;onvifaudio=0;"));
    QCOMPARE(SetLanSysInfo(h, 108,
                           "move=0;outmove=0;auto=0;loopwr=1;splite=60;audio=0;devid=KV-LAN-01;recqc=0;", 0),
             0);
    QVERIFY(sysInfo(202, "KV-LAN-01").contains("splite=60;"));
    QCOMPARE(SetLanSysInfo(h, 108, "move=0;", 0), -1);
    QCOMPARE(SetLanWifi(
                 1, 1, h,
                 "entype=auto;sid=Home;stype=wap2;option=;keytype=;pswd=pw;mac=;ip=;netmask=;netwet=;dns=;"),
             0);
    QVERIFY(sysInfo(204, "KV-LAN-01").contains("sid=Home;satype="));
    QCOMPARE(
        SetLanDevIP(2, h,
                    "ip=192.168.1.200;netwet=192.168.1.1;netmask=255.255.255.0;dns=1.1.1.1;mac=x;newmac=x;"),
        0);
    QVERIFY(sysInfo(201, "KV-LAN-01").startsWith("ip=192.168.1.200;"));
    QCOMPARE(nx_DoLocalMonSetAlarmEmail(
                 h, "KV-LAN-01",
                 "sedemail=a@k.v;reemail=b@k.v;smtpser=smtp.k.v;user=a;pwd=p;entype=2;port=587;count=3;", 0),
             0);
    QVERIFY(sysInfo(208, "KV-LAN-01").contains("entype=2;sedemail=a@k.v;"));
    QCOMPARE(vmoGetLANInfo("KV-LAN-01", h, 207, 0), 0);
    QCOMPARE(DoLocalMonFormatSD(h, 0), 0);

    // The cloud path writes the same state.
    QCOMPARE(vmoSetWANInfo("KV-CLD-01", 53, 10, 0), 0);
    QVERIFY(sysInfo(203, "KV-CLD-01").contains("sat=10;"));
    QCOMPARE(SetWanSysInfo(108, "KV-CLD-01",
                           "move=1;outmove=0;auto=1;loopwr=0;splite=5;audio=1;devid=KV-CLD-01;recqc=1;", 0),
             0);
    QVERIFY(sysInfo(202, "KV-CLD-01").contains("loopwr=0;splite=5;"));
    QCOMPARE(nx_DoMonSetAlarmEmail(
                 "KV-CLD-01", "sedemail=c@k.v;reemail=;smtpser=;user=;pwd=;entype=0;port=25;count=0;", 0),
             0);
    QVERIFY(sysInfo(208, "KV-CLD-01").contains("sedemail=c@k.v;"));
    QCOMPARE(vmoGetWANInfo("KV-CLD-01", 0, 0), 0);
    QCOMPARE(GetWanSysDevInfo("KV-CLD-01", 108), 0);
    QVERIFY(vmoSetWANInfo("KV-CLD-03", 53, 10, 0) < 0);
}

void TestSdkIntegration::rebootAndReset() {
    const int h = nxid("KV-LAN-02");
    QCOMPARE(vmoSetLANInfo("KV-LAN-02", h, 50, 12, 0), 0);
    QCOMPARE(vmoSetLANInfo("KV-LAN-02", h, 109, 0, 0), 0);
    QVERIFY(sysInfo(203, "KV-LAN-02").contains("bri=32;"));

    L().clear();
    QCOMPARE(vmoSetLANInfo("00:1A:4B:00:00:01", h, 110, 0, 0), 0); // the MAC stands first for a reboot
    int rc = 0;
    sysInfo(203, "KV-LAN-02", &rc);
    QVERIFY(rc < 0); // away while it restarts
    QVERIFY(L().waitFor([] { return L().lan.size() >= 1; }, 5000));
    const int h2 = nxid("KV-LAN-02");
    QVERIFY(h2 > 0 && h2 != h);
    QCOMPARE(vmoSetLANInfo("KV-LAN-02", h, 50, 20, 0), -1); // the old handle is gone
    QCOMPARE(vmoSetLANInfo("KV-LAN-02", h2, 50, 20, 0), 0);

    // A cloud camera's reboot shows as offline, then online.
    L().clear();
    QCOMPARE(vmoSetWANInfo("KV-CLD-02", 110, 0, 0), 0);
    QVERIFY(L().waitFor([] { return L().hasSystem(108, "KV-CLD-02"); }, 3000));
    QVERIFY(L().waitFor([] { return L().hasSystem(104, "KV-CLD-02"); }, 5000));
}

void TestSdkIntegration::dataChannelReports() {
    const int h = nxid("KV-LAN-03");
    L().clear();
    QCOMPARE(vmoLanSendData_EX(h, "data=cmd-110;", 0), 0);
    QVERIFY(L().waitFor([] { return L().alarms.size() >= 4; }, 3000));
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QList<int> cmds;
        for (const auto& a : L().alarms)
            cmds << a.command;
        QCOMPARE(cmds, QList<int>({2003, 2004, 2005, 2006}));
        QCOMPARE(L().alarms[1].text, QString("KV-LAN-03;"));
    }
    L().clear();
    QCOMPARE(vmoLanSendData_EX(h, "data=cmd-2004-AP-1-ssid-MySpot-pwd-12345678;", 0), 0);
    QCOMPARE(vmoLanSendData_EX(h, "data=cmd-2006-1", 0), 0);
    QCOMPARE(vmoLanSendData_EX(h, "cmd=102;sid=Home;pswd=pw;", 0), 0);
    QCOMPARE(vmoLanSendData_EX(h, "cmd=101;url=http://127.0.0.1/fw.bin;", 0), 0);
    QVERIFY(L().waitFor([] { return L().alarms.size() >= 4; }, 3000));
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QCOMPARE(L().alarms[0].command, 2004);
        QCOMPARE(L().alarms[0].text, QString("KV-LAN-03;MySpot"));
        QCOMPARE(L().alarms[0].flag, 1);
        QCOMPARE(L().alarms[1].command, 2006);
        QCOMPARE(L().alarms[1].flag, 1);
        QCOMPARE(L().alarms[2].command, 2002);
        QCOMPARE(L().alarms[3].command, 2001);
    }
    QVERIFY(sysInfo(204, "KV-LAN-03").contains("sid=Home;"));
    QCOMPARE(vmoLanSendData_EX(h, "data=cmd-nonsense;", 0), -1);
    L().clear();
    QCOMPARE(vmoWanSendData_EX("KV-CLD-01", "data=cmd-2003-net-1;", 0), 0);
    QVERIFY(L().waitFor([] { return L().alarms.size() >= 1; }, 3000));
    QCOMPARE(L().alarms[0].command, 2003);
    QCOMPARE(L().alarms[0].flag, 1);
    QVERIFY(vmoWanSendData_EX("KV-CLD-03", "data=cmd-110;", 0) < 0);
}

void TestSdkIntegration::alarms() {
    L().clear();
    QVERIFY(m_sim.control("alarm KV-LAN-04 motion").startsWith("ok"));
    QVERIFY(m_sim.control("alarm KV-CLD-01 io").startsWith("ok"));
    QVERIFY(L().waitFor([] { return L().alarms.size() >= 2; }, 3000));
    std::lock_guard<std::mutex> lock(L().mutex);
    QCOMPARE(L().alarms[0].command, 107);
    QCOMPARE(L().alarms[0].flag, 0);
    QCOMPARE(L().alarms[0].text.split(';').first(), QString("KV-LAN-04"));
    QCOMPARE(L().alarms[1].command, 302);
    QCOMPARE(L().alarms[1].flag, 1);
    QCOMPARE(L().alarms[1].text.split(';').first(), QString("KV-CLD-01"));
}

void TestSdkIntegration::wifiSurvey() {
    const int h = nxid("KV-LAN-01");
    L().clear();
    QCOMPARE(DoLanGetWifiSid(h, "00:1A:4B:01:00:71", 0), 0);
    QVERIFY(L().waitFor([] { return L().wifi.size() >= 1; }, 3000));
    const auto reply = L().wifi.first();
    QCOMPARE(reply.second, reply.first.size());
    int networks = 0;
    for (const QByteArray& entry : reply.first.split(':')) {
        if (entry.isEmpty())
            continue;
        ++networks;
        QVERIFY(entry.startsWith("sid="));
        bool ok = false;
        const int signal = entry.split('=').last().toInt(&ok);
        QVERIFY(ok && signal >= 0 && signal <= 100);
    }
    QCOMPARE(networks, 3);
    QVERIFY(DoLanGetWifiSid(999999, "", 0) < 0);
    L().clear();
    QVERIFY(m_sim.control("surveyfail KV-LAN-01").startsWith("ok"));
    QCOMPARE(DoLanGetWifiSid(h, "", 0), 0);
    QVERIFY(L().waitFor([] { return L().wifi.size() >= 1; }, 3000));
    QCOMPARE(L().wifi.first().second, -1);
    m_sim.control("surveyfail KV-LAN-01 off");
}

void TestSdkIntegration::videoCalls() {
    // Sub stream over the LAN.
    L().clear();
    char callId[PCQ_CALL_ID_SIZE];
    std::memset(callId, 0x7F, sizeof callId);
    const int h = nxid("KV-LAN-04");
    QCOMPARE(vmoLANCalling(1, 0, callId, h, "IPC-Q1", 0), 0);
    QVERIFY(strnlen(callId, sizeof callId) < sizeof callId);
    const QString id = QString::fromUtf8(callId);
    QVERIFY(!id.isEmpty());
    QTest::qWait(2200);
    QCOMPARE(vmoLANCloseCall(callId), 0);
    QTest::qWait(300);
    int frames;
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        frames = L().video.size();
        TestDecoder dec;
        QVERIFY(dec.ok());
        int keys = 0;
        for (const auto& v : L().video) {
            QCOMPARE(v.callId, id);
            if (v.data.contains(QByteArray("\0\0\0\1\x65", 5))) {
                QVERIFY(keyFrameLayout(v.data));
                ++keys;
            }
            dec.decode(v.data);
        }
        QVERIFY(keyFrameLayout(L().video.first().data)); // a call starts at a key frame
        QCOMPARE(dec.errors, 0);
        QCOMPARE(dec.width, 640);
        QCOMPARE(dec.height, 360);
        QVERIFY2(frames >= 45 && frames <= 56,
                 qPrintable(QString("frames %1 in ~2 s at 25 fps").arg(frames)));
        QVERIFY(keys >= 1 && keys <= 2); // every two seconds
        QCOMPARE(dec.pictures, frames);
    }
    QTest::qWait(300);
    QCOMPARE(L().video.size(), frames);   // closing stops the frames
    QVERIFY(vmoLANCloseCall(callId) < 0); // a second close is refused harmlessly

    // Main stream over the cloud path: 1920x1080.
    L().clear();
    char wanId[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(vmoWANCalling(1, 1, wanId, "KV-CLD-01", "IPC-Q1", 0), 0);
    QVERIFY(L().waitFor([] { return L().video.size() >= 10; }, 15000));
    QVERIFY(L().waitFor([] { return L().hasSystem(105); }, 1000));
    QCOMPARE(vmoWANCloseCall("KV-CLD-01", wanId), 0);
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        TestDecoder dec;
        for (const auto& v : L().video)
            dec.decode(v.data);
        QCOMPARE(dec.width, 1920);
        QCOMPARE(dec.height, 1080);
        QCOMPARE(dec.errors, 0);
    }
    // Refusals: bad kind, unknown handle, offline camera, null buffer.
    QCOMPARE(vmoLANCalling(7, 0, callId, h, "", 0), PCQ_ERR_ARGUMENT);
    QCOMPARE(vmoLANCalling(1, 0, nullptr, h, "", 0), PCQ_ERR_ARGUMENT);
    QCOMPARE(vmoLANCalling(1, 0, callId, 424242, "", 0), PCQ_ERR_FAILED);
    QVERIFY(vmoWANCalling(1, 0, callId, "KV-CLD-03", "", 0) < 0);
}

void TestSdkIntegration::listenAndTalk() {
    const int h = nxid("KV-LAN-03");
    const unsigned char block[320] = {0xD5};
    QCOMPARE(nx_AudioData(block, 320, 0), PCQ_ERR_FAILED); // no talking call open
    L().clear();
    char listen[PCQ_CALL_ID_SIZE] = {0}, talk[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(vmoLANCalling(2, 0, listen, h, "IPC-Q1", 0), 0);
    QVERIFY(L().waitFor([] { return L().audio.size() >= 10; }, 3000));
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        for (const auto& a : L().audio)
            QCOMPARE(a.size(), 320);
        QVERIFY(L().video.isEmpty());
    }
    QCOMPARE(vmoLANCalling(3, 0, talk, h, "IPC-Q1", 0), 0);
    QVERIFY(QByteArray(listen) != QByteArray(talk));
    QCOMPARE(vmoLANCloseCall(listen), 0); // closing one leaves the other open
    const QString before = m_sim.control("talkcount KV-LAN-03");
    QCOMPARE(before, QString("ok blocks=0 bytes=0"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(nx_AudioData(block, 320, 0), 0);
    QCOMPARE(m_sim.control("talkcount KV-LAN-03"), QString("ok blocks=10 bytes=3200"));
    QCOMPARE(nx_AudioData(nullptr, 320, 0), PCQ_ERR_ARGUMENT);
    QCOMPARE(vmoLANCloseCall(talk), 0);
    QCOMPARE(nx_AudioData(block, 320, 0), PCQ_ERR_FAILED);
    QTest::qWait(200);
    const int blocks = L().audio.size();
    QTest::qWait(300);
    QCOMPARE(L().audio.size(), blocks); // listening stopped
}

void TestSdkIntegration::sdListingAndDownload() {
    const int h = nxid("KV-LAN-04");
    L().clear();
    QCOMPARE(DoLanReadSdData(h, 1, 25, 0), 0);
    QVERIFY(L().waitFor([] { return L().sdFiles.size() >= 25; }, 3000));
    QTest::qWait(100);
    QString firstName;
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QCOMPARE(L().sdFiles.size(), 25);
        const QStringList first = L().sdFiles.first().first.split(';');
        QCOMPARE(first.size(), 4);             // three pairs and the empty tail
        QCOMPARE(first[1], QString("fid=30")); // highest id first: the total count
        firstName = first[0].section('=', 1);
        QVERIFY(firstName.endsWith(".nxv") && firstName.left(14).toLongLong() > 20240101000000LL);
        for (int i = 0; i < 24; ++i)
            QCOMPARE(L().sdFiles[i].second, 1);
        QCOMPARE(L().sdFiles.last().second, 0); // the page's final entry
    }
    L().clear();
    QCOMPARE(DoLanReadSdData(h, 2, 25, 0), 0);
    QVERIFY(L().waitFor([] { return L().sdFiles.size() >= 5; }, 3000));
    QTest::qWait(100);
    QCOMPARE(L().sdFiles.size(), 5);
    QVERIFY(L().sdFiles.last().first.contains("fid=1;"));
    QVERIFY(DoLanReadSdData(h, 0, 25, 0) < 0);

    L().clear();
    char callId[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(DoLanDowSdData(callId, h, firstName.toUtf8().constData(), 0), 0);
    QVERIFY(callId[0] != '\0');
    QVERIFY(L().waitFor(
        [] { return !L().sdData.isEmpty() && L().sdData.last().length == PCQ_SD_END_OF_FILE; }, 15000));
    {
        std::lock_guard<std::mutex> lock(L().mutex);
        QCOMPARE(L().sdData.first().frameType, 2);
        QCOMPARE(L().sdData.first().resolution, 4);
        TestDecoder dec;
        for (int i = 0; i + 1 < L().sdData.size(); ++i) {
            QCOMPARE(L().sdData[i].length, L().sdData[i].data.size());
            dec.decode(L().sdData[i].data);
        }
        QCOMPARE(dec.errors, 0);
        QCOMPARE(dec.width, 640);
        QCOMPARE(L().sdData.size(), 8 * 25 + 1);
    }
    QCOMPARE(vmoLANCloseCall(callId), 0);
    QVERIFY(DoLanDowSdData(callId, h, "19990101000000.nxv", 0) < 0);
    // Cloud path listing.
    L().clear();
    QCOMPARE(DoMonSDReadData("KV-CLD-01", 1, 10, 0), 0);
    QVERIFY(L().waitFor([] { return L().sdFiles.size() >= 10; }, 3000));
    char wanCall[PCQ_CALL_ID_SIZE] = {0};
    QCOMPARE(DoMonDowSdData(wanCall, "KV-CLD-01", "20240101120000.nxv", 0), 0);
    QCOMPARE(vmoWANCloseCall("KV-CLD-01", wanCall), 0);
}

QTEST_GUILESS_MAIN(TestSdkIntegration)
#include "test_sdk_integration.moc"
