// The device service centers against a recording SDK: the exact calls of every operation on both
// paths, the registration order, the login state machine, the LAN table rules, alarms, the survey
// and the video center's identities.
#include "NxAlarmCenter.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxVideoCenter.h"
#include "NxWiFiSSIDCenter.h"
#include "SdkRecorder.h"
#include "ServiceTestSupport.h"
#include "TvDefaultSettings.h"
#include "VeCameraModel.h"

#include <QtTest>

#include <cstring>
#include <memory>

namespace R = SdkRecorder;

namespace {

RecordingAlarmLog g_alarmLog;
QDateTime g_now = QDateTime(QDate(2024, 6, 1), QTime(12, 0, 0));
QDateTime testClock() {
    return g_now;
}

QMutex g_packetMutex;
QStringList g_packets;
void recordPacket(const char* callId, const unsigned char* data, int length, bool isVideo) {
    QMutexLocker locker(&g_packetMutex);
    g_packets << QStringLiteral("%1|%2|%3|%4")
                     .arg(callId ? QString::fromUtf8(callId) : QStringLiteral("<null>"))
                     .arg(QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(data), length)))
                     .arg(length)
                     .arg(isVideo);
}

LoginCenterResultType resultOf(const QSignalSpy& spy, int i) {
    return spy.at(i).at(0).value<LoginCenterResultType>();
}

// A cloud record the way the saved list holds it: no handle until synced.
std::unique_ptr<VeCameraModel> cloudRecord(const QString& id, const QString& flag = QString()) {
    return std::make_unique<VeCameraModel>(id, id, flag, QStringLiteral("G711"), 0, 0, QString(), QString());
}

} // namespace

class TestCenters : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startsInOrder();
    void loginStateMachine();
    void loginTimeouts();
    void logoutAndIdleQuery();
    void statusAnswers();
    void lanTableRules();
    void dataChannelRouting();
    void parameterOperations();
    void accessPasswordCheck();
    void alarms();
    void survey();
    void videoIdentities();
    void streamHandler();

private:
    NxDataCenter* d = nullptr;
    NxLoginCenter* login = nullptr;
};

void TestCenters::initTestCase() {
    LogCapture::install();
    NxAlarmLog::install(&g_alarmLog);
    NxAlarmCenter::setClock(&testClock);
    NxLoginCenter::setTimerUnitMs(10); // the 20-second wait takes 200 ms

    auto a = cloudRecord("a"), c = cloudRecord("c"), b = cloudRecord("b");
    TvDefaultSettings::instance()->saveDeviceInfo({a.get(), c.get(), b.get()});

    d = NxDataCenter::instance();
    login = d->loginCenter;
    QVERIFY(LogCapture::contains("Is it double init data center ?"));
    QCOMPARE(NxDataCenter::instance(), d);
    QTRY_COMPARE(R::count("vmoLogin_EX"), 1);
}

void TestCenters::startsInOrder() {
    QCOMPARE(R::registrations(), QStringList({"nx_InitLAN", "vmoInitModel", "nx_InitVideo", "nx_InitAudio",
                                              "InitGetWifiSid", "InitAlarmInfo"}));
    QCOMPARE(R::count("nx_LanRefresh"), 1);
    QVERIFY(LogCapture::contains(QString::fromUtf8("局域网刷新方式 1")));
    const QString call = R::callsNamed({"vmoLogin_EX"}).value(0);
    QVERIFY2(call.startsWith("vmoLogin_EX(tarnveil, tarnveil, "), qPrintable(call));
    QVERIFY(call.endsWith(", 8080)"));
    QCOMPARE(login->cloudDevicesSnapshot().keys(), QStringList({"a", "b", "c"}));
    QCOMPARE(login->pendingOperation(), 1);
}

void TestCenters::loginStateMachine() {
    QSignalSpy result(login, &NxLoginCenter::loginResultSignal);
    R::reset();
    // A login under way refuses a second one, before and after command 0.
    QVERIFY(!login->login("x", "y"));
    R::fireSystem(0, "");
    QCOMPARE(R::calls(), QStringList({"nx_RegionMonServer()"}));
    QCOMPARE(login->pendingOperation(), 2);
    QVERIFY(!login->login("x", "y"));
    QCOMPARE(R::count("vmoLogin_EX"), 0);

    // Only exactly "1" is a successful registration.
    R::fireSystem(101, "1x");
    QTRY_COMPARE(result.count(), 1);
    QCOMPARE(resultOf(result, 0), LoginCenterResultFailure);
    QCOMPARE(R::count("vmoLogOut"), 1);
    QCOMPARE(login->pendingOperation(), 0);
    QVERIFY(!login->isLoggedIn());

    // A refused send stops the wait at once.
    R::setResult("vmoLogin_EX", -2);
    QVERIFY(!login->login("u", "p"));
    QCOMPARE(login->pendingOperation(), 0);
    R::setResult("vmoLogin_EX", 0);

    LogCapture::clear();
    R::reset();
    QVERIFY(login->login("u", "s3cr3t"));
    QCOMPARE(R::callsNamed({"vmoLogin_EX"}).value(0).left(22), QStringLiteral("vmoLogin_EX(u, s3cr3t,"));
    QVERIFY(LogCapture::contains(QString::fromUtf8("正在登录:")));
    QVERIFY(!LogCapture::contains("s3cr3t"));
    R::fireSystem(1, ""); // wrong password: only logged
    QCOMPARE(login->pendingOperation(), 1);
    R::fireSystem(0, "");
    R::fireSystem(101, "1");
    QTRY_COMPARE(result.count(), 2);
    QCOMPARE(resultOf(result, 1), LoginCenterResultSuccess);
    QVERIFY(login->isLoggedIn());
    // The status request over the listed ids, in id order.
    QCOMPARE(R::callsNamed({"vmoGetDevStatus_EX"}),
             QStringList({"vmoGetDevStatus_EX(devid0=a;devid1=b;devid2=c;, 3)"}));
    // No time-out follows a completed login.
    QTest::qWait(400);
    QCOMPARE(result.count(), 2);
}

void TestCenters::loginTimeouts() {
    QSignalSpy result(login, &NxLoginCenter::loginResultSignal);
    QSignalSpy pwd(login, &NxLoginCenter::updateAccessPwdResultSignal);

    QVERIFY(login->login("u", "p")); // waits for command 0
    QTRY_COMPARE(result.count(), 1);
    QCOMPARE(resultOf(result, 0), LoginCenterResultTimeout);
    QCOMPARE(login->pendingOperation(), 0);

    QVERIFY(login->login("u", "p"));
    R::fireSystem(0, ""); // waits for command 101
    QTRY_COMPARE(result.count(), 2);
    QCOMPARE(resultOf(result, 1), LoginCenterResultTimeout);

    R::reset();
    QCOMPARE(login->changeAccessPwd("CAM", "newpwd"), LoginCenterResultSuccess);
    QCOMPARE(R::calls(), QStringList({"DoSetAccessPswd_EX(4, CAM, newpwd, 3, 0)"}));
    QCOMPARE(login->pendingOperation(), 3);
    QTRY_COMPARE(pwd.count(), 1);
    QCOMPARE(resultOf(pwd, 0), LoginCenterResultTimeout);
    QCOMPARE(result.count(), 2);

    QCOMPARE(login->changeAccessPwd("CAM", "x"), LoginCenterResultSuccess);
    R::fireSystem(115, "1");
    QTRY_COMPARE(pwd.count(), 2);
    QCOMPARE(resultOf(pwd, 1), LoginCenterResultSuccess);
    QCOMPARE(login->changeAccessPwd("CAM", "x"), LoginCenterResultSuccess);
    R::fireSystem(115, "10");
    QTRY_COMPARE(pwd.count(), 3);
    QCOMPARE(resultOf(pwd, 2), LoginCenterResultFailure);
    R::setResult("DoSetAccessPswd_EX", -1);
    QCOMPARE(login->changeAccessPwd("CAM", "x"), LoginCenterResultFailure);
    QCOMPARE(login->pendingOperation(), 0);

    // A wait that expires while nothing is pending only logs.
    LogCapture::clear();
    emit login->startLoginTimerSignal(1);
    QTRY_VERIFY(LogCapture::contains(QString::fromUtf8("互联网相关操作(0)超时")));
    QTest::qWait(100);
    QCOMPARE(result.count(), 2);
    QCOMPARE(pwd.count(), 3);
}

void TestCenters::logoutAndIdleQuery() {
    // Log in again, then lose the connection (command 3).
    QVERIFY(login->login("u", "p"));
    R::fireSystem(0, "");
    R::fireSystem(101, "1");
    QTRY_VERIFY(login->isLoggedIn());
    NxDeviceStateCenter::instance()->setWanState("a", 1);
    // The logout runs on a job thread: count its signal through a queued connection, not a spy.
    int listed = 0;
    const QMetaObject::Connection counter =
        connect(login, &NxLoginCenter::updateDeviceListSignal, this, [&listed] { ++listed; });
    R::reset();
    R::fireSystem(3, "connection lost");
    QTRY_COMPARE(listed, 1);
    disconnect(counter);
    QCOMPARE(R::calls(), QStringList({"vmoLogOut()"}));
    QVERIFY(!login->isLoggedIn());
    QVERIFY(!NxDeviceStateCenter::instance()->isWanOnline("a"));
    QVERIFY(NxDeviceStateCenter::instance()->wanStateSnapshot().isEmpty());

    // Idle and logged out: a status query starts the built-in login instead.
    R::reset();
    login->queryAllDeviceStatus();
    QTRY_COMPARE(R::count("vmoLogin_EX"), 1);
    QCOMPARE(R::count("vmoGetDevStatus_EX"), 0);
    QVERIFY(R::callsNamed({"vmoLogin_EX"}).at(0).startsWith("vmoLogin_EX(tarnveil, tarnveil,"));
    R::fireSystem(0, "");
    R::fireSystem(101, "1");
    QTRY_VERIFY(login->isLoggedIn());
    QCOMPARE(login->queryDeviceStatus("q"), 0);
    QCOMPARE(R::callsNamed({"vmoGetDevStatus"}), QStringList({"vmoGetDevStatus(q)"}));
}

void TestCenters::statusAnswers() {
    NxDeviceStateCenter* state = NxDeviceStateCenter::instance();
    QSignalSpy list(login, &NxLoginCenter::updateDeviceListSignal);
    QSignalSpy online(login, &NxLoginCenter::wanDeviceOnlineSignal);
    QSignalSpy loaded(login, &NxLoginCenter::didLoadDeviceInfoSignal);
    g_alarmLog.clear();

    R::fireSystem(104, "a");
    QVERIFY(state->isWanOnline("a"));
    R::fireSystem(108, "a");
    QVERIFY(!state->isWanOnline("a"));
    QCOMPARE(state->wanStateSnapshot().value("a", -1), 0);
    QTRY_COMPARE(list.count(), 2);
    QCOMPARE(online.count(), 1);
    QCOMPARE(online.at(0).at(0).toString(), QStringLiteral("a"));
    QCOMPARE(g_alarmLog.events(), (QList<QPair<QString, int>>{{"a", 4}, {"a", 5}}));
    QVERIFY(!state->isWanOnline("never"));

    // A listed camera is updated in place and the list saved; the password stays out of the log.
    VeCameraModel* b = login->cloudDevice("b");
    LogCapture::clear();
    R::reset();
    R::fireSystem(119, "devid=b;pwd=abcd;status=1;devtype=T9;audiotype=G726;count=1;");
    QTRY_COMPARE(loaded.count(), 1);
    QCOMPARE(loaded.at(0).at(0).value<VeCameraModel*>(), b);
    QCOMPARE(b->devFlag, QStringLiteral("T9"));
    QCOMPARE(b->audioType, qint32(AudioTypeG726));
    QCOMPARE(b->devAccess, QStringLiteral("abcd"));
    QVERIFY(state->isWanOnline("b"));
    QVERIFY(LogCapture::contains("pwd=***;"));
    QVERIFY(!LogCapture::contains("abcd"));
    QList<VeCameraModel*> saved = TvDefaultSettings::instance()->loadDeviceInfo();
    QCOMPARE(saved.size(), 3);
    QCOMPARE(saved.at(1)->devAccess, QStringLiteral("abcd"));
    qDeleteAll(saved);
    // Its parameters are fetched on the cloud path.
    QCOMPARE(R::callsNamed({"vmoGetWANInfo", "GetWanSysDevInfo"}),
             QStringList({"vmoGetWANInfo(b, 0, 0)", "GetWanSysDevInfo(b, 108)", "GetWanSysDevInfo(b, 207)"}));

    // An unlisted camera yields a new record that is not added; an offline status is 0.
    R::fireSystem(119, "devid=z;pwd=p;status=0;devtype=T1;audiotype=PCM;count=1;");
    QTRY_COMPARE(loaded.count(), 2);
    VeCameraModel* z = loaded.at(1).at(0).value<VeCameraModel*>();
    QVERIFY(z && z != login->cloudDevice("z"));
    QCOMPARE(z->deviceId, QStringLiteral("z"));
    QCOMPARE(z->nxid, 0);
    QCOMPARE(z->devAccess, QStringLiteral("p"));
    QVERIFY(!login->cloudDevice("z"));
    QCOMPARE(state->wanStateSnapshot().value("z", -1), 0);
    delete z;

    // Without an id or a password: nullptr.
    R::fireSystem(119, "devid=q;pwd=;status=1;devtype=T1;audiotype=PCM;count=1;");
    R::fireSystem(119, "garbage");
    QTRY_COMPARE(loaded.count(), 4);
    QCOMPARE(loaded.at(2).at(0).value<VeCameraModel*>(), nullptr);
    QCOMPARE(loaded.at(3).at(0).value<VeCameraModel*>(), nullptr);

    // Call progress is logged and changes nothing.
    R::fireSystem(105, "devid=b;flag=1;");
    QVERIFY(LogCapture::contains(QString::fromUtf8("系统回调返回(b, 1) 105")));

    // The list operations save what they change.
    auto fresh = cloudRecord("d");
    login->addDevice(fresh.get());
    login->updateAlias(QString::fromUtf8("门口"), fresh.get());
    login->updateAccessPwd("user", "", fresh.get());
    QCOMPARE(fresh->alias, QString::fromUtf8("门口"));
    QCOMPARE(fresh->userAccess, QStringLiteral("user"));
    saved = TvDefaultSettings::instance()->loadDeviceInfo();
    QCOMPARE(saved.size(), 4);
    QCOMPARE(saved.at(3)->alias, QString::fromUtf8("门口"));
    qDeleteAll(saved);
    login->removeDevice("d");
    QCOMPARE(login->cloudDevicesSnapshot().keys(), QStringList({"a", "b", "c"}));
    saved = TvDefaultSettings::instance()->loadDeviceInfo();
    QCOMPARE(saved.size(), 3);
    qDeleteAll(saved);
}

void TestCenters::lanTableRules() {
    NxLanCenter* lan = d->lanCenter;
    QSignalSpy found(lan, &NxLanCenter::findNewDeviceSignal);
    QSignalSpy again(lan, &NxLanCenter::LanDeviceOnlineSignal);
    R::reset();

    R::fireLan("L1", "F1", 100, "G711");
    R::fireLan("L1", "F1", 101, "G711");
    QCOMPARE(found.count(), 1);
    QCOMPARE(again.count(), 1);
    QCOMPARE(lan->lanDeviceList().size(), 1);
    VeCameraModel* l1 = lan->device("L1");
    QCOMPARE(l1->nxid, 101);
    QCOMPARE(l1->online, 1);
    QCOMPARE(l1->devFlag, QStringLiteral("F1"));
    // The new camera's parameters are fetched once, on the LAN path, with the handle of its first report.
    QTRY_COMPARE(R::count("vmoGetLANInfo"), 3);
    QCOMPARE(R::callsNamed({"vmoGetLANInfo"}),
             QStringList({"vmoGetLANInfo(L1, 100, 0, 0)", "vmoGetLANInfo(L1, 100, 207, 0)",
                          "vmoGetLANInfo(L1, 100, 208, 0)"}));

    R::fireLan("301", "F", 5, "G711");
    R::fireLan(nullptr, "F", 5, "G711");
    R::fireLan("L2", nullptr, 200, nullptr);
    QCOMPARE(found.count(), 2);
    QVERIFY(!lan->contains("301"));
    QCOMPARE(lan->device("L2")->audioTypeText, QString());

    // A refresh keeps the playing camera and forgets the idle one, which then comes back as new.
    l1->playing = true;
    R::reset();
    LogCapture::clear();
    lan->refreshLan(3);
    QCOMPARE(R::calls(), QStringList({"nx_LanRefresh()"}));
    QVERIFY(LogCapture::contains(QString::fromUtf8("局域网刷新方式 3")));
    QVERIFY(lan->contains("L1"));
    QVERIFY(!lan->contains("L2"));
    R::fireLan("L2", "F2", 201, "G711");
    R::fireLan("L1", "F1", 101, "G711");
    QCOMPARE(found.count(), 3);
    QCOMPARE(again.count(), 2);
    l1->playing = false;
}

void TestCenters::dataChannelRouting() {
    NxDeviceStateCenter* state = NxDeviceStateCenter::instance();
    R::reset();
    QCOMPARE(d->sendData(nullptr, "x"), -1);
    auto empty = cloudRecord("");
    QCOMPARE(d->sendData(empty.get(), "x"), -1);
    auto offline = cloudRecord("off");
    QCOMPARE(d->sendData(offline.get(), "x"), -1);
    d->fetchParamsToLocal(empty.get());
    QCOMPARE(R::calls(), QStringList());

    // Cloud-online: the cloud path. Both LAN-found and cloud-online: the LAN path with the LAN handle,
    // although the record itself still holds 0.
    state->setWanState("off", 1);
    R::setResult("vmoWanSendData_EX", 7);
    QCOMPARE(d->sendData(offline.get(), "t1"), 7);
    R::fireLan("both", "FL", 300, "G726");
    state->setWanState("both", 1);
    auto both = cloudRecord("both", "FC");
    QCOMPARE(both->nxid, 0);
    d->sendData(both.get(), "t2");
    QCOMPARE(R::callsNamed({"vmoWanSendData_EX", "vmoLanSendData_EX"}),
             QStringList({"vmoWanSendData_EX(off, t1, 0)", "vmoLanSendData_EX(300, t2, 0)"}));
    QCOMPARE(both->nxid, 0);

    d->syncFromLan(both.get());
    QCOMPARE(both->nxid, 300);
    QCOMPARE(both->devFlag, QStringLiteral("FL"));
    QCOMPARE(both->audioType, qint32(AudioTypeG726));
    d->syncFromLan(offline.get()); // not LAN-found: unchanged
    QCOMPARE(offline->nxid, 0);

    R::reset();
    d->sendSelector(61, 1, both.get());
    d->sendStreamSelector(both.get());
    d->sendSelector(62, 2, offline.get());
    d->sendStreamSelector(offline.get());
    QCOMPARE(R::calls(),
             QStringList({"vmoSetLANInfo(both, 300, 61, 1, 0)", "vmoSetLANInfo(both, 300, 116, 0, 0)",
                          "vmoSetWANInfo(off, 62, 2, 0)", "vmoSetWANInfo(off, 116, 0, 0)"}));

    R::reset();
    d->sendWiFiJoin(offline.get(), "Net", "pw");
    d->sendUpgradeUrl(offline.get(), "http://127.0.0.1/f.bin");
    d->sendWiFiFlag(offline.get(), true);
    d->sendCmd110(offline.get());
    R::setResult("vmoWanSendData_EX", -4);
    QCOMPARE(d->setNetworkOptions(offline.get(), true, false, "S", "P", false, true), -4);
    d->setNetworkOptions(offline.get(), false, true, "S", "P", true, false);
    QCOMPARE(
        R::calls(),
        QStringList(
            {"vmoWanSendData_EX(off, cmd=102;sid=Net;pswd=pw;, 0)",
             "vmoWanSendData_EX(off, cmd=101;url=http://127.0.0.1/f.bin;, 0)",
             "vmoWanSendData_EX(off, cmd=103;wififlag=1;, 0)", "vmoWanSendData_EX(off, data=cmd-110;, 0)",
             "vmoWanSendData_EX(off, data=cmd-2003-net-1;, 0)",
             "vmoWanSendData_EX(off, data=cmd-2004-AP-0;, 0)", "vmoWanSendData_EX(off, data=cmd-2005-0, 0)",
             "vmoWanSendData_EX(off, data=cmd-2006-1, 0)", "vmoWanSendData_EX(off, data=cmd-2003-net-0;, 0)",
             "vmoWanSendData_EX(off, data=cmd-2004-AP-1-ssid-S-pwd-P;, 0)",
             "vmoWanSendData_EX(off, data=cmd-2005-1, 0)", "vmoWanSendData_EX(off, data=cmd-2006-0, 0)"}));
    state->setWanState("off", 0);
}

void TestCenters::parameterOperations() {
    VeCameraModel* lan = d->lanCenter->device("L1"); // handle 101
    auto cloud = cloudRecord("C9");
    R::reset();

    QCOMPARE(d->setVideoParam(lan, 114, 1), 0);
    d->setVideoParam(cloud.get(), 114, 0);
    d->setVideoParam(lan, 50, 33);
    d->setVideoParam(cloud.get(), 57, 20);
    d->setOnvif(lan, 0, 1);
    QCOMPARE(R::calls(), QStringList({"vmoSetLANInfo(L1, 101, 114, 2, 1)", "vmoSetWANInfo(C9, 114, 2, 0)",
                                      "vmoSetLANInfo(L1, 101, 50, 33, 0)", "vmoSetWANInfo(C9, 57, 20, 0)",
                                      "vmoSetLANInfo(L1, 101, 115, 0, 1)"}));

    // Reads go to GetLanSysInfo for either kind of camera; a negative result leaves the record zeroed.
    R::reset();
    R::setReply(203, "stream=512;sha=1;bri=2;sat=3;con=4;rate=5;enc=6;sens=2;iropen=1;frequency=60;speed=1;"
                     "hue=1;exposure=1;audioalarm=3;piralarm=2;cbrvbr=1;");
    VideoParam v;
    QCOMPARE(d->getVideoParam(cloud.get(), &v), 0);
    QCOMPARE(R::calls(), QStringList({"GetLanSysInfo(203, C9)", "GetLanSysInfo(205, C9)"}));
    QCOMPARE(v.stream, 512);
    QCOMPARE(v.frequency, 60);
    R::setResult("GetLanSysInfo", -3);
    QCOMPARE(d->getVideoParam(cloud.get(), &v), -3);
    QCOMPARE(v.stream, 0);

    // LAN-only reads refuse a camera that is not LAN-found without an SDK call.
    R::reset();
    IPInfo ip;
    WiFiInfo w;
    QCOMPARE(d->getIPInfo(cloud.get(), &ip), -1);
    QCOMPARE(d->getWiFiInfo(cloud.get(), &w), -1);
    QCOMPARE(d->searchSSID(cloud.get(), "MAC"), -1);
    QCOMPARE(R::calls(), QStringList());
    R::setReply(201, "ip=1.2.3.4;mask=m;wet=g;dns=d;mac=MA;flag=1;ver=3;status=200;");
    R::setReply(204, "open=1;ip=i;mask=m;wet=g;dns=d;mac=WM;flag=0;sid=(null);satype=;");
    QCOMPARE(d->getIPInfo(lan, &ip), 0);
    QCOMPARE(QByteArray(ip.mac), QByteArray("MA"));
    QCOMPARE(d->getWiFiInfo(lan, &w), 0);
    QCOMPARE(QByteArray(w.sid), QByteArray());
    QCOMPARE(QByteArray(w.security), QByteArray("enc=NONE;stype=auto"));

    // Handle-only writes.
    R::reset();
    d->setIPInfo(lan, 1, ip);
    d->setIPInfo(cloud.get(), 0, ip);
    WiFiConfig c{};
    std::strcpy(c.sid, "N");
    std::strcpy(c.pswd, "wifipass");
    LogCapture::clear();
    d->setWiFiInfo(lan, 0, 1, c);
    QCOMPARE(d->formatSD(lan), 0);
    d->resetDefault(lan);
    d->updateFirmware(lan);
    QCOMPARE(
        R::calls(),
        QStringList(
            {"SetLanDevIP(1, 101, ip=1.2.3.4;netwet=g;netmask=m;dns=d;mac=MA;newmac=MA;)",
             "SetLanDevIP(2, 0, ip=1.2.3.4;netwet=g;netmask=m;dns=d;mac=MA;newmac=MA;)",
             "SetLanWifi(0, 1, 101, entype=auto;sid=N;stype=wap2;option=;keytype=;pswd=wifipass;mac=;ip=;"
             "netmask=;netwet=;dns=;)",
             "DoLocalMonFormatSD(101, 0)", "vmoSetLANInfo(L1, 101, 109, 0, 0)",
             "vmoSetLANInfo(L1, 101, 111, 0, 0)"}));
    QVERIFY(!LogCapture::contains("wifipass"));
    R::setResult("DoLocalMonFormatSD", -1);
    QCOMPARE(d->formatSD(lan), 0);

    // Routed writes on both paths; the reboot puts the MAC first on the LAN path.
    R::reset();
    EmailInfo e{};
    std::strcpy(e.pwd, "mailpass");
    SDInfo sd{};
    LogCapture::clear();
    d->setEmailInfo(lan, e);
    d->setEmailInfo(cloud.get(), e);
    d->setSDInfo(lan, sd);
    d->setSDInfo(cloud.get(), sd);
    d->rebootDevice(lan, "00:11");
    d->rebootDevice(cloud.get(), "00:11");
    d->searchSSID(lan, "WM");
    const QString mail = "sedemail=;reemail=;smtpser=;user=;pwd=mailpass;entype=0;port=0;count=0;";
    QCOMPARE(
        R::calls(),
        QStringList(
            {"nx_DoLocalMonSetAlarmEmail(101, L1, " + mail + ", 0)",
             "nx_DoMonSetAlarmEmail(C9, " + mail + ", 0)",
             "SetLanSysInfo(101, 108, move=0;outmove=0;auto=0;loopwr=0;splite=0;audio=0;devid=L1;recqc=0;, "
             "0)",
             "SetWanSysInfo(108, C9, move=0;outmove=0;auto=0;loopwr=0;splite=0;audio=0;devid=C9;recqc=0;, 0)",
             "vmoSetLANInfo(00:11, 101, 110, 0, 0)", "vmoSetWANInfo(C9, 110, 0, 0)",
             "DoLanGetWifiSid(101, WM, 0)"}));
    QVERIFY(!LogCapture::contains("mailpass"));

    // E-mail and SD reads; ONVIF parses even after a failure.
    R::reset();
    R::setReply(
        208, "senc=0;port=25;count=1;ioin=0;sderror=0;sdmove=0;entype=2;sedemail=me@x.org;reemail=you@x.org;"
             "smtpser=smtp.x.org;user=me;pwd=hidden;emailinfo=i;");
    R::setReply(202,
                "move=1;outmove=0;auto=1;loopwr=1;splite=20;size=100;use=10;leftsize=90;audio=1;stream=1;");
    R::setReply(209, "onvif=1;onvifaudio=1;");
    LogCapture::clear();
    QCOMPARE(d->getEmailInfo(lan, &e), 0);
    QCOMPARE(QByteArray(e.sedemail), QByteArray("me@x.org"));
    QCOMPARE(QByteArray(e.pwd), QByteArray("hidden"));
    QVERIFY(!LogCapture::contains("hidden"));
    QCOMPARE(d->getSDInfo(cloud.get(), &sd), 0);
    QCOMPARE(sd.splite, 20);
    R::setResult("GetLanSysInfo", -1);
    qint32 onvif = 0, audio = 0;
    QCOMPARE(d->getOnvifState(lan, &onvif, &audio), -1);
    QCOMPARE(onvif, 1);
    QCOMPARE(audio, 1);
    QCOMPARE(d->getEmailInfo(lan, &e), -1);
    QCOMPARE(QByteArray(e.sedemail), QByteArray());
    QCOMPARE(d->getSDInfo(lan, &sd), -1);
    QCOMPARE(sd.splite, 0);
}

void TestCenters::accessPasswordCheck() {
    R::reset();
    LogCapture::clear();
    QVERIFY(!d->checkAccessPwd("local1", ""));
    QCOMPARE(R::calls(), QStringList());
    R::setResult("vmoCheckAccessPwd", 1);
    QVERIFY(d->checkAccessPwd("local1", "stored1"));
    R::setResult("vmoCheckAccessPwd", 2);
    QVERIFY(!d->checkAccessPwd("local1", "stored1"));
    QCOMPARE(R::calls().size(), 2);
    QVERIFY(LogCapture::contains("localPwd"));
    QVERIFY(!LogCapture::contains("local1"));
    QVERIFY(!LogCapture::contains("stored1"));
    // The camera record asks through the installed query.
    VeCameraModel cam("x", "x", "", "", 0, 0, "stored1", "local1");
    R::setResult("vmoCheckAccessPwd", 1);
    QVERIFY(cam.isAccessPwdValid());
}

void TestCenters::alarms() {
    NxAlarmCenter* alarm = d->alarmCenter;
    QSignalSpy spy(alarm, &NxAlarmCenter::alarmSignal);
    QSignalSpy data(alarm, &NxAlarmCenter::alarmDataSignal);
    g_alarmLog.clear();

    R::fireAlarm(107, "A1;motion;1", 0, 5);
    R::fireAlarm(302, "A1;io;1", 1, 5); // same second: dropped
    R::fireAlarm(107, "A2", 0, 5);      // another camera
    g_now = g_now.addSecs(1);
    R::fireAlarm(302, "A1;io;1", 1, 5);
    R::fireAlarm(999, "A1", 0, 0);
    R::fireAlarm(107, nullptr, 0, 0); // no text: an empty id, logged once
    QCOMPARE(spy.count(), 4);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("A1"));
    QCOMPARE(g_alarmLog.events(), (QList<QPair<QString, int>>{{"A1", 0}, {"A2", 0}, {"A1", 1}, {"", 0}}));

    R::fireAlarm(2004, "D;MyAP", 1, 0);
    R::fireAlarm(2003, "D;MyAP", 0, 0);
    R::fireAlarm(2004, "D", 1, 0);
    R::fireAlarm(2006, "", 1, 0);
    QCOMPARE(data.count(), 4);
    QCOMPARE(data.at(0), (QVariantList{2004, "D", "MyAP", 1}));
    QCOMPARE(data.at(1), (QVariantList{2003, "D", "", 0}));
    QCOMPARE(data.at(2), (QVariantList{2004, "D", "", 1}));
    QCOMPARE(data.at(3), (QVariantList{2006, "", "", 1}));
    QCOMPARE(spy.count(), 4);
}

void TestCenters::survey() {
    NxWiFiSSIDCenter* s = d->wifiSsidCenter;
    s->setTimeoutMs(150);
    QSignalSpy ok(s, &NxWiFiSSIDCenter::searchSucceedSignal);
    QSignalSpy failed(s, &NxWiFiSSIDCenter::searchFailedSignal);
    VeCameraModel* lan = d->lanCenter->device("L1");
    auto cloud = cloudRecord("C9");

    R::reset();
    QVERIFY(!s->search(cloud.get(), "M"));
    QCOMPARE(R::calls(), QStringList());
    R::setResult("DoLanGetWifiSid", -2);
    QVERIFY(!s->search(lan, "M"));
    R::setResult("DoLanGetWifiSid", 0);

    QVERIFY(s->search(lan, "MAC1"));
    QCOMPARE(R::callsNamed({"DoLanGetWifiSid"}).last(), QStringLiteral("DoLanGetWifiSid(101, MAC1, 0)"));
    const char reply[] = "sid=Home;enc=WPA;signal=80::sid=Cafe;signal=x:";
    R::fireWifi(reply, int(sizeof reply - 1));
    R::fireWifi(reply, int(sizeof reply - 1)); // a second answer is ignored
    QCOMPARE(ok.count(), 1);
    const auto networks = ok.at(0).at(0).value<QList<VeSSIDInfoObject*>>();
    QCOMPARE(networks.size(), 2);
    QCOMPARE(networks.at(0)->name, QStringLiteral("Home"));
    QCOMPARE(networks.at(0)->signal, 80);
    QCOMPARE(networks.at(1)->signal, 0);
    qDeleteAll(networks);

    QVERIFY(s->search(lan, "MAC1"));
    R::fireWifi("", 0);
    R::fireWifi("", -1);
    QCOMPARE(failed.count(), 1);

    QVERIFY(s->search(lan, "MAC1"));
    QTRY_COMPARE(failed.count(), 2);           // time-out
    R::fireWifi(reply, int(sizeof reply - 1)); // late: logged and ignored
    QVERIFY(s->search(lan, "MAC1"));
    s->stopSearch();
    R::fireWifi(reply, int(sizeof reply - 1));
    QTest::qWait(300);
    QCOMPARE(ok.count(), 1);
    QCOMPARE(failed.count(), 2);
}

void TestCenters::videoIdentities() {
    NxVideoCenter* v = d->videoCenter;
    auto both = cloudRecord("both", "FC"); // LAN-found with handle 300
    auto cloud = cloudRecord("C9", "FX");
    R::reset();

    R::setCallId("vid-lan");
    QVERIFY(v->openVideo(both.get(), false) >= 0);
    QCOMPARE(both->callId, QStringLiteral("vid-lan"));
    QCOMPARE(both->nxid, 300);
    R::setCallId("vid-wan");
    QVERIFY(v->openVideo(cloud.get(), true) >= 0);
    QCOMPARE(cloud->callId, QStringLiteral("vid-wan"));
    R::setResult("vmoWANCalling", -5);
    R::setCallId("other");
    QCOMPARE(v->openVideo(cloud.get(), false), -5);
    QCOMPARE(cloud->callId, QStringLiteral("vid-wan"));
    R::setResult("vmoWANCalling", 0);

    R::setCallId("listen");
    v->openAudioListen(cloud.get());
    R::setCallId("talk");
    v->openAudioSpeaker(cloud.get());
    QCOMPARE(cloud->listenCallId, QStringLiteral("listen"));
    QCOMPARE(cloud->talkCallId, QStringLiteral("talk"));
    v->closeAudioListen(cloud.get());
    QCOMPARE(cloud->listenCallId, QString());
    QCOMPARE(cloud->talkCallId, QStringLiteral("talk"));
    v->closeAudioSpeaker(cloud.get());
    v->closeCameraVideo(cloud.get());
    QCOMPARE(cloud->callId, QString());
    v->closeCameraVideo(cloud.get()); // closing again still sends, with the empty identity
    v->closeCameraVideo(both.get());
    R::setCallId("l2");
    v->openAudioListen(both.get());
    v->closeAudioListen(both.get());
    // A 64-character identity is cut at the buffer's 63.
    R::setCallId(QByteArray(80, 'k'));
    v->openAudioSpeaker(both.get());
    QCOMPARE(both->talkCallId.size(), 63);

    QCOMPARE(R::calls(), QStringList({"vmoLANCalling(1, 0, 300, FL, 0)", "vmoWANCalling(1, 1, C9, FX, 0)",
                                      "vmoWANCalling(1, 0, C9, FX, 0)", "vmoWANCalling(2, 0, C9, FX, 0)",
                                      "vmoWANCalling(3, 0, C9, FX, 0)", "vmoWANCloseCall(C9, listen)",
                                      "vmoWANCloseCall(C9, talk)", "vmoWANCloseCall(C9, vid-wan)",
                                      "vmoWANCloseCall(C9, )", "vmoLANCloseCall(vid-lan)",
                                      "vmoLANCalling(2, 0, 300, FL, 0)", "vmoLANCloseCall(l2)",
                                      "vmoLANCalling(3, 0, 300, FL, 0)"}));
    QVERIFY(LogCapture::contains(QString::fromUtf8("both(FC)将以子码流呼叫视频")));
}

void TestCenters::streamHandler() {
    NxVideoCenter* v = d->videoCenter;
    const unsigned char payload[] = {'a', 'b', 'c'};
    R::fireVideo("vid", payload, 3); // no handler yet: dropped
    v->streamHandler = &recordPacket;
    R::fireVideo("vid", payload, 3);
    R::fireVideo(nullptr, payload, 2);
    R::fireVideo("vid", nullptr, 9); // no payload: dropped with a log line
    R::fireAudio(payload, 1);
    v->streamHandler = nullptr;
    R::fireAudio(payload, 1);
    QMutexLocker locker(&g_packetMutex);
    QCOMPARE(g_packets, QStringList({"vid|abc|3|1", "|ab|2|1", "<null>|a|1|0"}));
}

QTEST_GUILESS_MAIN(TestCenters)
#include "test_centers.moc"
