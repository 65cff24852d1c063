// The device service centers against the SDK test double: registration, the login state machine and its
// waits, status answers, the calls where path or handle matters, the LAN table, alarms, survey, video.
#include "NxAlarmCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxRecordCodec.h"
#include "NxVideoCenter.h"
#include "NxWiFiSSIDCenter.h"
#include "ServiceTestSupport.h"
#include "TvMutexLocker.h"

#include <cstring>
#include <tuple>

using Calls = QStringList;
using Events = QList<QPair<QString, int>>;

namespace {

RecordingAlarmLog g_alarmLog;
QDateTime g_now = QDateTime(QDate(2024, 6, 1), QTime(12, 0, 0));
QDateTime testClock() {
    return g_now;
}

QMutex g_packetMutex;
QStringList g_packets;
void recordPacket(const char* callId, const unsigned char* data, int length, bool isVideo) {
    TvMutexLocker locker(&g_packetMutex);
    g_packets << QStringLiteral("%1|%2|%3|%4")
                     .arg(callId ? QString::fromUtf8(callId) : QStringLiteral("<null>"))
                     .arg(QString::fromLatin1(reinterpret_cast<const char*>(data), length))
                     .arg(length)
                     .arg(isVideo);
}

LoginCenterResultType resultOf(const QSignalSpy& spy, int i) {
    return spy.at(i).at(0).value<LoginCenterResultType>();
}

} // namespace

class TestCenters : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    // The login tests first: the built-in login is still waiting for its answer.
    void loginStateMachine();
    void timeoutsAndLogout();
    void statusAnswers();
    void lanTableRules();
    void dataChannelRouting();
    void parameterOperations();
    void alarms();
    void survey();
    void videoIdentities();
    void callbacksRaceTheGuiThread() { raceCallbacksAgainstTheGuiThread(d); }

    // The service's worker outlives the test: its last calls must be seen done before the exit.
    void cleanupTestCase() { drainAndReset(d); }

private:
    void resetSdk() { drainAndReset(d); }
    void completeLogin() {
        Sdk::fireSystem(0, "");
        Sdk::fireSystem(101, "1");
        QTRY_VERIFY(login->isLoggedIn());
    }
    NxDataCenter* d = nullptr;
    NxLoginCenter* login = nullptr;
};

void TestCenters::initTestCase() {
    LogLines::install(true);
    NxAlarmLog::install(&g_alarmLog);
    NxAlarmCenter::setClock(&testClock);
    d = startCenters();
    login = d->loginCenter;
    QStringList registrations;
    for (const std::string& name : FakeSdk::callNames())
        if (Sdk::isInit(name))
            registrations << QString::fromStdString(name);
    QCOMPARE(registrations, QStringList({"nx_InitLAN", "vmoInitModel", "nx_InitVideo", "nx_InitAudio",
                                         "InitGetWifiSid", "InitAlarmInfo"}));
    QTRY_VERIFY(Sdk::count("vmoLogin_EX") == 1 && Sdk::count("nx_LanRefresh") == 1);
    const QString call = Sdk::calls({"vmoLogin_EX"}).value(0);
    QVERIFY2(call.startsWith("vmoLogin_EX(tarnveil, tarnveil, ") && call.endsWith(", 8080)"),
             qPrintable(call));
    QCOMPARE(login->pendingOperation(), 1);
}

void TestCenters::loginStateMachine() {
    QSignalSpy result(login, &NxLoginCenter::loginResultSignal);
    resetSdk();
    // A login under way refuses a second one, before and after command 0.
    QVERIFY(!login->login("x", "y"));
    Sdk::fireSystem(0, "");
    QTRY_COMPARE(Sdk::calls({"nx_RegionMonServer"}), Calls({"nx_RegionMonServer()"}));
    QVERIFY(login->pendingOperation() == 2 && !login->login("x", "y") && Sdk::count("vmoLogin_EX") == 0);

    // Only exactly "1" is a successful registration.
    Sdk::fireSystem(101, "1x");
    QTRY_COMPARE(result.count(), 1);
    QCOMPARE(resultOf(result, 0), LoginCenterResultFailure);
    QTRY_COMPARE(Sdk::count("vmoLogOut"), 1);
    QVERIFY(login->pendingOperation() == 0 && !login->isLoggedIn());

    LogLines::clear();
    resetSdk();
    QVERIFY(login->login("u", "s3cr3t"));
    QVERIFY(Sdk::calls({"vmoLogin_EX"}).value(0).startsWith("vmoLogin_EX(u, s3cr3t,") &&
            !LogLines::contains("s3cr3t"));
    Sdk::fireSystem(1, ""); // wrong password: only logged, the login still completes
    completeLogin();
    QTRY_COMPARE(result.count(), 2);
    QCOMPARE(resultOf(result, 1), LoginCenterResultSuccess);
    // The status request over the listed ids, in id order.
    QTRY_COMPARE(Sdk::calls({"vmoGetDevStatus_EX"}),
                 Calls({"vmoGetDevStatus_EX(devid0=a;devid1=b;devid2=c;, 3)"}));
    QTest::qWait(400); // no time-out follows a completed login
    QCOMPARE(result.count(), 2);
}

void TestCenters::timeoutsAndLogout() {
    QSignalSpy result(login, &NxLoginCenter::loginResultSignal);
    QSignalSpy pwd(login, &NxLoginCenter::updateAccessPwdResultSignal);
    // Logins that end with the wait, a refused registration request too (more run against the simulator);
    // a late reply to the request (-3) keeps the wait, a late answer after the result is dropped.
    const std::tuple<int, int, QList<int>> logins[] = {{0, 0, {}}, {PCQ_ERR_TIMEOUT, 0, {}}, {0, -1, {0}}};
    for (const auto& [loginSent, regionSent, commands] : logins) {
        resetSdk();
        Sdk::setResult("vmoLogin_EX", loginSent);
        Sdk::setResult("nx_RegionMonServer", regionSent);
        const int before = result.count();
        QVERIFY(login->login("u", "p"));
        for (int command : commands)
            Sdk::fireSystem(command, "");
        QTRY_COMPARE(result.count(), before + 1);
        QCOMPARE(resultOf(result, before), LoginCenterResultTimeout);
        const int regions = Sdk::count("nx_RegionMonServer");
        Sdk::fireSystem(0, "");
        Sdk::fireSystem(101, "1");
        QTest::qWait(50);
        QVERIFY(Sdk::count("nx_RegionMonServer") == regions && result.count() == before + 1 &&
                !login->isLoggedIn() && login->pendingOperation() == 0);
    }

    // The password change: request's result, answer (none: the wait ends), return, report (-1: none). A
    // late reply to the request (-3) still waits for the answer; an answer after the result is dropped.
    const std::tuple<int, QByteArray, LoginCenterResultType, int> changes[] = {
        {0, QByteArray(), LoginCenterResultSuccess, LoginCenterResultTimeout},
        {0, "1", LoginCenterResultSuccess, LoginCenterResultSuccess},
        {0, "10", LoginCenterResultSuccess, LoginCenterResultFailure},
        {PCQ_ERR_TIMEOUT, "1", LoginCenterResultSuccess, LoginCenterResultSuccess},
        {-1, "1", LoginCenterResultFailure, -1}};
    for (const auto& [sent, answer, returned, reported] : changes) {
        resetSdk();
        Sdk::setResult("DoSetAccessPswd_EX", sent);
        const int before = pwd.count();
        QCOMPARE(login->changeAccessPwd("CAM", "newpwd"), returned);
        QCOMPARE(Sdk::calls(), Calls({"DoSetAccessPswd_EX(4, CAM, newpwd, 3, 0)"}));
        if (!answer.isNull())
            Sdk::fireSystem(115, answer);
        QTest::qWait(300);
        Sdk::fireSystem(115, "1");
        QCOMPARE(pwd.count(), before + (reported < 0 ? 0 : 1));
        QVERIFY((reported < 0 || int(resultOf(pwd, before)) == reported) && login->pendingOperation() == 0);
    }
    resetSdk();

    // A wait that expires while nothing is pending only logs.
    LogLines::clear();
    emit login->startLoginTimerSignal(1);
    QTRY_VERIFY(LogLines::contains(QString::fromUtf8("互联网相关操作(0)超时")));
    QTest::qWait(100);
    QVERIFY(result.count() == 3 && pwd.count() == 4);

    // Connection lost (command 3) while logged in: the logout signals from a job thread, counted without a
    // spy.
    QVERIFY(login->login("u", "p"));
    completeLogin();
    NxDeviceStateCenter::instance()->setWanState("a", 1);
    int listed = 0;
    const QMetaObject::Connection counter =
        connect(login, &NxLoginCenter::updateDeviceListSignal, this, [&listed] { ++listed; });
    resetSdk();
    Sdk::fireSystem(3, "connection lost");
    QTRY_COMPARE(listed, 1);
    disconnect(counter);
    QCOMPARE(Sdk::calls({"vmoLogOut"}), Calls({"vmoLogOut()"}));
    QVERIFY(!login->isLoggedIn() && NxDeviceStateCenter::instance()->wanStateSnapshot().isEmpty());

    // Idle and logged out: a status query starts the built-in login instead.
    resetSdk();
    login->queryAllDeviceStatus();
    QTRY_COMPARE(Sdk::count("vmoLogin_EX"), 1);
    QVERIFY(Sdk::count("vmoGetDevStatus_EX") == 0 &&
            Sdk::calls({"vmoLogin_EX"}).at(0).startsWith("vmoLogin_EX(tarnveil, tarnveil,"));
    completeLogin();
    QCOMPARE(login->queryDeviceStatus("q"), 0);
    QCOMPARE(Sdk::calls({"vmoGetDevStatus"}), Calls({"vmoGetDevStatus(q)"}));
}

void TestCenters::statusAnswers() {
    NxDeviceStateCenter* state = NxDeviceStateCenter::instance();
    QSignalSpy list(login, &NxLoginCenter::updateDeviceListSignal);
    QSignalSpy online(login, &NxLoginCenter::wanDeviceOnlineSignal);
    QSignalSpy loaded(login, &NxLoginCenter::didLoadDeviceInfoSignal);
    g_alarmLog.takeEvents();

    Sdk::fireSystem(104, "a");
    QVERIFY(state->isWanOnline("a"));
    Sdk::fireSystem(108, "a");
    QCOMPARE(state->wanStateSnapshot().value("a", -1), 0);
    QTRY_COMPARE(list.count(), 2);
    QVERIFY(online.count() == 1 && online.at(0).at(0).toString() == "a");
    QCOMPARE(g_alarmLog.takeEvents(), Events({{"a", 4}, {"a", 5}}));

    // A listed camera: updated in place and saved, its password kept out of the log, its parameters fetched.
    VeCameraModel* b = login->cloudDevice("b");
    LogLines::clear();
    resetSdk();
    Sdk::fireSystem(119, "devid=b;pwd=abcd;status=1;devtype=T9;audiotype=G726;count=1;");
    QTRY_COMPARE(loaded.count(), 1);
    QVERIFY(loaded.at(0).at(0).value<VeCameraModel*>() == b && b->devFlag == "T9" &&
            b->audioType == AudioTypeG726 && state->isWanOnline("b"));
    QVERIFY(LogLines::contains("pwd=***;") && !LogLines::contains("abcd"));
    QCOMPARE(savedField(&VeCameraModel::devAccess), QStringList({"", "abcd", ""}));
    QTRY_COMPARE(Sdk::calls({"vmoGetWANInfo", "GetWanSysDevInfo"}),
                 Calls({"vmoGetWANInfo(b, 0, 0)", "GetWanSysDevInfo(b, 108)", "GetWanSysDevInfo(b, 207)"}));

    // An unlisted camera: a new record, not added; offline is 0. Without an id or a password: nullptr.
    Sdk::fireSystem(119, "devid=z;pwd=p;status=0;devtype=T1;audiotype=PCM;count=1;");
    Sdk::fireSystem(119, "devid=q;pwd=;status=1;devtype=T1;audiotype=PCM;count=1;");
    Sdk::fireSystem(119, "garbage");
    QTRY_COMPARE(loaded.count(), 4);
    std::unique_ptr<VeCameraModel> z(loaded.at(1).at(0).value<VeCameraModel*>());
    QVERIFY(z && !login->cloudDevice("z") && z->deviceId == "z" && z->devAccess == "p");
    QCOMPARE(state->wanStateSnapshot().value("z", -1), 0);
    QVERIFY(!loaded.at(2).at(0).value<VeCameraModel*>() && !loaded.at(3).at(0).value<VeCameraModel*>());

    // The list operations save what they change.
    auto fresh = cloudRecord("d");
    login->addDevice(fresh.get());
    login->updateAlias(QString::fromUtf8("门口"), fresh.get());
    QCOMPARE(savedField(&VeCameraModel::alias).mid(3), QStringList(QString::fromUtf8("门口")));
    login->removeDevice("d");
    QCOMPARE(login->cloudDevicesSnapshot().keys(), QStringList({"a", "b", "c"}));
    QCOMPARE(savedField(&VeCameraModel::deviceId), QStringList({"a", "b", "c"}));
}

void TestCenters::lanTableRules() {
    NxLanCenter* lan = d->lanCenter;
    QSignalSpy found(lan, &NxLanCenter::findNewDeviceSignal);
    QSignalSpy again(lan, &NxLanCenter::LanDeviceOnlineSignal);
    resetSdk();

    Sdk::fireLan("L1", "F1", 100, "G711");
    Sdk::fireLan("L1", "F1", 101, "G711");
    VeCameraModel* l1 = lan->device("L1");
    QVERIFY(found.count() == 1 && again.count() == 1 && lan->lanDeviceList().size() == 1);
    QVERIFY(l1->nxid == 101 && l1->online == 1);
    // The new camera's parameters are fetched once, on the LAN path, with the handle of its first report.
    QTRY_COMPARE(Sdk::calls({"vmoGetLANInfo"}),
                 Calls({"vmoGetLANInfo(L1, 100, 0, 0)", "vmoGetLANInfo(L1, 100, 207, 0)",
                        "vmoGetLANInfo(L1, 100, 208, 0)"}));
    // A numeric id of 301 and a missing id are no cameras; missing texts are empty.
    Sdk::fireLan("301", "F", 5, "G711");
    Sdk::fireLan(nullptr, "F", 5, "G711");
    Sdk::fireLan("L2", nullptr, 200, nullptr);
    QVERIFY(found.count() == 2 && !lan->contains("301") && lan->device("L2")->audioTypeText.isEmpty());

    // A refresh keeps the playing camera and forgets the idle one, which then comes back as new.
    l1->playing = true;
    resetSdk();
    VeCameraModel* l2 = lan->device("L2");
    lan->refreshLan(3);
    QTRY_COMPARE(Sdk::calls({"nx_LanRefresh"}), Calls({"nx_LanRefresh()"}));
    QVERIFY(lan->contains("L1") && !lan->contains("L2"));
    Sdk::fireLan("L2", "F2", 201, "G711");
    Sdk::fireLan("L1", "F1", 101, "G711");
    // Found again, it gets its old record back with the new handle: refreshes do not pile up records.
    QVERIFY(found.count() == 3 && again.count() == 2 && lan->device("L2") == l2 && l2->nxid == 201);
    l1->playing = false;
}

void TestCenters::dataChannelRouting() {
    NxDeviceStateCenter* state = NxDeviceStateCenter::instance();
    resetSdk();
    auto empty = cloudRecord(""), offline = cloudRecord("off");
    for (VeCameraModel* refused : {static_cast<VeCameraModel*>(nullptr), empty.get(), offline.get()})
        QCOMPARE(d->sendData(refused, "x"), -1);
    d->fetchParamsToLocal(empty.get());
    QCOMPARE(Sdk::calls(), Calls());

    // Cloud-online: the cloud path, with its result. Both LAN-found and cloud-online: the LAN path with
    // the LAN handle, although the record itself still holds 0 until synced.
    state->setWanState("off", 1);
    Sdk::setResult("vmoWanSendData_EX", 7);
    QCOMPARE(d->sendData(offline.get(), "t1"), 7);
    Sdk::fireLan("both", "FL", 300, "G726");
    state->setWanState("both", 1);
    auto both = cloudRecord("both", "FC");
    d->sendData(both.get(), "t2");
    QCOMPARE(Sdk::calls({"vmoWanSendData_EX", "vmoLanSendData_EX"}),
             Calls({"vmoWanSendData_EX(off, t1, 0)", "vmoLanSendData_EX(300, t2, 0)"}));
    QCOMPARE(both->nxid, 0);
    d->syncFromLan(both.get());
    QVERIFY(both->nxid == 300 && both->devFlag == "FL" && both->audioType == AudioTypeG726);
    d->syncFromLan(offline.get()); // not LAN-found: unchanged
    QCOMPARE(offline->nxid, 0);

    resetSdk();
    d->sendSelector(61, 1, both.get());
    d->sendStreamSelector(both.get());
    d->sendSelector(62, 2, offline.get());
    d->sendStreamSelector(offline.get());
    QCOMPARE(Sdk::calls({"vmoSetLANInfo", "vmoSetWANInfo"}),
             Calls({"vmoSetLANInfo(both, 300, 61, 1, 0)", "vmoSetLANInfo(both, 300, 116, 0, 0)",
                    "vmoSetWANInfo(off, 62, 2, 0)", "vmoSetWANInfo(off, 116, 0, 0)"}));

    // The network options go out as four commands; the first failure is the result.
    resetSdk();
    Sdk::setResult("vmoWanSendData_EX", -4);
    QCOMPARE(d->setNetworkOptions(offline.get(), true, false, "S", "P", false, true), -4);
    d->setNetworkOptions(offline.get(), false, true, "S", "P", true, false);
    auto wan = [](const char* text) {
        return QStringLiteral("vmoWanSendData_EX(off, data=cmd-%1, 0)").arg(text);
    };
    QCOMPARE(Sdk::calls(),
             Calls({wan("2003-net-1;"), wan("2004-AP-0;"), wan("2005-0"), wan("2006-1"), wan("2003-net-0;"),
                    wan("2004-AP-1-ssid-S-pwd-P;"), wan("2005-1"), wan("2006-0")}));
    state->setWanState("off", 0);
}

void TestCenters::parameterOperations() {
    VeCameraModel* lan = d->lanCenter->device("L1"); // handle 101
    auto cloud = cloudRecord("C9");
    resetSdk();

    // Writes: the LAN path with the handle, or the cloud path; IR and ONVIF carry their own forms.
    QCOMPARE(d->setVideoParam(lan, 114, 1), 0);
    d->setVideoParam(cloud.get(), 114, 0);
    d->setVideoParam(lan, 50, 33);
    d->setVideoParam(cloud.get(), 57, 20);
    d->setOnvif(lan, 0, 1);
    QCOMPARE(Sdk::calls(), Calls({"vmoSetLANInfo(L1, 101, 114, 2, 1)", "vmoSetWANInfo(C9, 114, 2, 0)",
                                  "vmoSetLANInfo(L1, 101, 50, 33, 0)", "vmoSetWANInfo(C9, 57, 20, 0)",
                                  "vmoSetLANInfo(L1, 101, 115, 0, 1)"}));

    // Reads go to GetLanSysInfo for either kind of camera; a negative result leaves the record zeroed.
    resetSdk();
    Sdk::setReply(203, "stream=512;sha=1;bri=2;sat=3;con=4;rate=5;enc=6;sens=2;iropen=1;frequency=60;");
    VideoParam v;
    QVERIFY(d->getVideoParam(cloud.get(), &v) == 0 && v.frequency == 60);
    QCOMPARE(Sdk::calls(), Calls({"GetLanSysInfo(203, C9)", "GetLanSysInfo(205, C9)"}));
    Sdk::setResult("GetLanSysInfo", -3);
    QVERIFY(d->getVideoParam(cloud.get(), &v) == -3 && v.stream == 0);

    // LAN-only operations refuse a camera that is not LAN-found without an SDK call.
    resetSdk();
    IPInfo ip;
    WiFiInfo w;
    QVERIFY(d->getIPInfo(cloud.get(), &ip) == -1 && d->getWiFiInfo(cloud.get(), &w) == -1 &&
            d->searchSSID(cloud.get(), "MAC") == -1 && Sdk::calls().isEmpty());
    Sdk::setReply(201, "ip=1.2.3.4;mask=m;wet=g;dns=d;mac=MA;flag=1;ver=3;status=200;");
    QVERIFY(d->getIPInfo(lan, &ip) == 0 && QByteArray(ip.mac) == "MA");

    // Handle-only writes take the handle even for a cloud record (0 until synced); routed writes follow
    // the camera; the reboot puts the MAC first on the LAN path. No password reaches the log.
    resetSdk();
    WiFiConfig c{};
    std::strcpy(c.pswd, "wifipass");
    EmailInfo e{};
    std::strcpy(e.pwd, "mailpass");
    LogLines::clear();
    d->setIPInfo(cloud.get(), 0, ip);
    d->setWiFiInfo(lan, 0, 1, c);
    QCOMPARE(d->formatSD(lan), 0);
    d->setEmailInfo(lan, e);
    d->setEmailInfo(cloud.get(), e);
    d->rebootDevice(lan, "00:11");
    d->rebootDevice(cloud.get(), "00:11");
    const QString mail = QString::fromLatin1(NxRecordCodec::formatEmailInfo(e));
    QCOMPARE(Sdk::calls({"SetLanDevIP", "DoLocalMonFormatSD", "nx_DoLocalMonSetAlarmEmail",
                         "nx_DoMonSetAlarmEmail", "vmoSetLANInfo", "vmoSetWANInfo"}),
             Calls({"SetLanDevIP(2, 0, " + QString::fromLatin1(NxRecordCodec::formatIPInfo(ip)) + ")",
                    "DoLocalMonFormatSD(101, 0)", "nx_DoLocalMonSetAlarmEmail(101, L1, " + mail + ", 0)",
                    "nx_DoMonSetAlarmEmail(C9, " + mail + ", 0)", "vmoSetLANInfo(00:11, 101, 110, 0, 0)",
                    "vmoSetWANInfo(C9, 110, 0, 0)"}));
    QVERIFY(!LogLines::contains("wifipass") && !LogLines::contains("mailpass"));
    Sdk::setResult("DoLocalMonFormatSD", -1);
    QCOMPARE(d->formatSD(lan), -1);

    // The e-mail reply's password stays out of the log. A failed read leaves e-mail and SD records
    // zeroed, yet ONVIF parses whatever came back.
    resetSdk();
    Sdk::setReply(208,
                  "senc=0;port=25;count=1;ioin=0;sderror=0;sdmove=0;entype=2;sedemail=me@x.org;reemail=y;"
                  "smtpser=s;user=me;pwd=hidden;emailinfo=i;");
    Sdk::setReply(202, "move=1;outmove=0;auto=1;loopwr=1;splite=20;");
    Sdk::setReply(209, "onvif=1;onvifaudio=1;");
    LogLines::clear();
    QVERIFY(d->getEmailInfo(lan, &e) == 0 && QByteArray(e.pwd) == "hidden" && !LogLines::contains("hidden"));
    Sdk::setResult("GetLanSysInfo", -1);
    qint32 onvif = 0, audio = 0;
    SDInfo sd;
    QVERIFY(d->getOnvifState(lan, &onvif, &audio) == -1 && onvif + audio == 2);
    QVERIFY(d->getEmailInfo(lan, &e) == -1 && QByteArray(e.sedemail).isEmpty());
    QVERIFY(d->getSDInfo(lan, &sd) == -1 && sd.splite == 0);

    // The access password check: never with an empty local password, only 1 is valid, nothing logged.
    resetSdk();
    LogLines::clear();
    QVERIFY(!d->checkAccessPwd("local1", "") && Sdk::calls().isEmpty());
    for (int answer : {1, 2}) {
        Sdk::setResult("vmoCheckAccessPwd", answer);
        QCOMPARE(d->checkAccessPwd("local1", "stored1"), answer == 1);
    }
    QVERIFY(!LogLines::contains("local1") && !LogLines::contains("stored1"));
}

void TestCenters::alarms() {
    NxAlarmCenter* alarm = d->alarmCenter;
    QSignalSpy spy(alarm, &NxAlarmCenter::alarmSignal);
    QSignalSpy data(alarm, &NxAlarmCenter::alarmDataSignal);
    g_alarmLog.takeEvents();

    Sdk::fireAlarm(107, "A1;motion;1", 0, 5);
    Sdk::fireAlarm(302, "A1;io;1", 1, 5); // same second: dropped
    Sdk::fireAlarm(107, "A2", 0, 5);      // another camera
    g_now = g_now.addSecs(1);
    Sdk::fireAlarm(302, "A1;io;1", 1, 5);
    Sdk::fireAlarm(999, "A1", 0, 0);
    // No text, which the fake's own firing cannot carry: an empty id.
    NxAlarmCenter::alarmCallback(FakeSdk::context("InitAlarmInfo"), 107, nullptr, 0, 0);
    QVERIFY(spy.count() == 4 && spy.at(0).at(0).toString() == "A1");
    QCOMPARE(g_alarmLog.takeEvents(), Events({{"A1", 0}, {"A2", 0}, {"A1", 1}, {"", 0}}));

    // The answers to data-channel commands go out split (the split itself is the codec's).
    Sdk::fireAlarm(2004, "D;MyAP", 1, 0);
    QVERIFY(data.count() == 1 && spy.count() == 4);
    QCOMPARE(data.at(0), (QVariantList{2004, "D", "MyAP", 1}));
}

void TestCenters::survey() {
    NxWiFiSSIDCenter* s = d->wifiSsidCenter;
    QSignalSpy ok(s, &NxWiFiSSIDCenter::searchSucceedSignal);
    QSignalSpy failed(s, &NxWiFiSSIDCenter::searchFailedSignal);
    VeCameraModel* lan = d->lanCenter->device("L1");
    auto cloud = cloudRecord("C9");

    resetSdk();
    QVERIFY(!s->search(cloud.get(), "M") && Sdk::calls().isEmpty());
    Sdk::setResult("DoLanGetWifiSid", -2);
    QVERIFY(!s->search(lan, "M"));
    Sdk::setResult("DoLanGetWifiSid", 0);

    const std::string reply = "sid=Home;enc=WPA;signal=80::sid=Cafe;signal=x:";
    QVERIFY(s->search(lan, "MAC1"));
    QCOMPARE(Sdk::calls({"DoLanGetWifiSid"}).last(), QStringLiteral("DoLanGetWifiSid(101, MAC1, 0)"));
    Sdk::fireWifi(reply, int(reply.size()));
    Sdk::fireWifi(reply, int(reply.size())); // a second answer is ignored
    QCOMPARE(ok.count(), 1);
    const auto networks = ok.at(0).at(0).value<QList<VeSSIDInfoObject*>>();
    QVERIFY(networks.size() == 2 && networks.at(0)->signal == 80); // entries as the codec reads them
    qDeleteAll(networks);

    // A late reply to the request keeps the survey running; after a stop, its answer is ignored.
    Sdk::setResult("DoLanGetWifiSid", PCQ_ERR_TIMEOUT);
    QVERIFY(s->search(lan, "MAC1"));
    s->stopSearch();
    Sdk::fireWifi(reply, int(reply.size()));
    QTest::qWait(150);
    QVERIFY(ok.count() == 1 && failed.count() == 0);
}

void TestCenters::videoIdentities() {
    NxVideoCenter* v = d->videoCenter;
    auto both = cloudRecord("both", "FC"); // LAN-found with handle 300
    auto cloud = cloudRecord("C9", "FX");
    resetSdk();

    Sdk::setCallId("vid-lan");
    QVERIFY(v->openVideo(both.get(), false) >= 0 && both->callId == "vid-lan" && both->nxid == 300);
    Sdk::setCallId("vid-wan");
    QVERIFY(v->openVideo(cloud.get(), true) >= 0);
    Sdk::setResult("vmoWANCalling", -5);
    Sdk::setCallId("other");
    QCOMPARE(v->openVideo(cloud.get(), false), -5);
    QCOMPARE(cloud->callId, QStringLiteral("vid-wan")); // a failed call keeps the identity
    Sdk::setResult("vmoWANCalling", 0);

    Sdk::setCallId("listen");
    v->openAudioListen(cloud.get());
    Sdk::setCallId("talk");
    v->openAudioSpeaker(cloud.get());
    v->closeAudioListen(cloud.get());
    QVERIFY(cloud->listenCallId.isEmpty() && cloud->talkCallId == "talk");
    v->closeAudioSpeaker(cloud.get());
    v->closeCameraVideo(cloud.get());
    QCOMPARE(cloud->callId, QString());
    v->closeCameraVideo(cloud.get()); // closing again still sends, with the empty identity
    v->closeCameraVideo(both.get());
    Sdk::setCallId("l2");
    v->openAudioListen(both.get());
    v->closeAudioListen(both.get());
    Sdk::setCallId(std::string(80, 'k')); // cut at the buffer's 63
    v->openAudioSpeaker(both.get());
    QCOMPARE(both->talkCallId.size(), 63);
    QCOMPARE(
        Sdk::calls(),
        Calls({"vmoLANCalling(1, 0, 300, FL, 0)", "vmoWANCalling(1, 1, C9, FX, 0)",
               "vmoWANCalling(1, 0, C9, FX, 0)", "vmoWANCalling(2, 0, C9, FX, 0)",
               "vmoWANCalling(3, 0, C9, FX, 0)", "vmoWANCloseCall(C9, listen)", "vmoWANCloseCall(C9, talk)",
               "vmoWANCloseCall(C9, vid-wan)", "vmoWANCloseCall(C9, )", "vmoLANCloseCall(vid-lan)",
               "vmoLANCalling(2, 0, 300, FL, 0)", "vmoLANCloseCall(l2)", "vmoLANCalling(3, 0, 300, FL, 0)"}));

    // The stream handler: nothing before it is set or after it is cleared; null fields, which the
    // fake's own firing cannot carry, give a null identity or are dropped.
    const std::string payload = "abc";
    Sdk::fireVideo("vid", payload);
    v->streamHandler = &recordPacket;
    Sdk::fireVideo("vid", payload);
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(payload.data());
    const nxVideoFrame noId{nullptr, 1, bytes, 2}, noData{"vid", 1, nullptr, 9};
    NxVideoCenter::videoCallback(FakeSdk::context("nx_InitVideo"), &noId);
    NxVideoCenter::videoCallback(FakeSdk::context("nx_InitVideo"), &noData);
    Sdk::fireAudio("a");
    v->streamHandler = nullptr;
    Sdk::fireAudio("a");
    TvMutexLocker locker(&g_packetMutex);
    QCOMPARE(g_packets, QStringList({"vid|abc|3|1", "|ab|2|1", "<null>|a|1|0"}));
}

QTEST_GUILESS_MAIN(TestCenters)
#include "test_centers.moc"
