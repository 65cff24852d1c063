// The login center against the SDK test double: the login state machine, its waits and late answers,
// the password change, the logout, and the status answers that fill the device list.
#include "NxDeviceStateCenter.h"
#include "NxLoginCenter.h"
#include "ServiceTestSupport.h"

using Calls = QStringList;
using Events = QList<QPair<QString, int>>;

namespace {

RecordingAlarmLog g_alarmLog;

LoginCenterResultType resultOf(const QSignalSpy& spy, int i) {
    return spy.at(i).at(0).value<LoginCenterResultType>();
}

} // namespace

class TestLoginCenter : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void loginStateMachine();
    void timeoutsAndLogout();
    void statusAnswers();

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

void TestLoginCenter::initTestCase() {
    LogLines::install(true);
    NxAlarmLog::install(&g_alarmLog);
    d = startCenters();
    login = d->loginCenter;
    QTRY_VERIFY(Sdk::count("vmoLogin_EX") == 1 && Sdk::count("nx_LanRefresh") == 1);
}

void TestLoginCenter::loginStateMachine() {
    QSignalSpy result(login, &NxLoginCenter::loginResultSignal);
    resetSdk();
    // A login under way refuses a second one, before and after command 0.
    QVERIFY(!login->login("x", "y"));
    Sdk::fireSystem(0, "");
    QTRY_COMPARE(Sdk::calls({"nx_RegionMonServer"}), Calls({"nx_RegionMonServer()"}));
    QCOMPARE(login->pendingOperation(), 2);
    QVERIFY(!login->login("x", "y"));
    QCOMPARE(Sdk::count("vmoLogin_EX"), 0);

    // Only exactly "1" is a successful registration.
    Sdk::fireSystem(101, "1x");
    QTRY_COMPARE(result.count(), 1);
    QCOMPARE(resultOf(result, 0), LoginCenterResultFailure);
    QTRY_COMPARE(Sdk::count("vmoLogOut"), 1);
    QCOMPARE(login->pendingOperation(), 0);
    QVERIFY(!login->isLoggedIn());

    LogLines::clear();
    resetSdk();
    QVERIFY(login->login("u", "s3cr3t"));
    QVERIFY(Sdk::calls({"vmoLogin_EX"}).value(0).startsWith("vmoLogin_EX(u, s3cr3t,"));
    QVERIFY(LogLines::contains(QString::fromUtf8("正在登录:")));
    QVERIFY(!LogLines::contains("s3cr3t"));
    Sdk::fireSystem(1, ""); // wrong password: only logged
    QCOMPARE(login->pendingOperation(), 1);
    completeLogin();
    QTRY_COMPARE(result.count(), 2);
    QCOMPARE(resultOf(result, 1), LoginCenterResultSuccess);
    // The status request over the listed ids, in id order.
    QTRY_COMPARE(Sdk::calls({"vmoGetDevStatus_EX"}),
                 Calls({"vmoGetDevStatus_EX(devid0=a;devid1=b;devid2=c;, 3)"}));
    QTest::qWait(400); // no time-out follows a completed login
    QCOMPARE(result.count(), 2);
}

void TestLoginCenter::timeoutsAndLogout() {
    QSignalSpy result(login, &NxLoginCenter::loginResultSignal);
    QSignalSpy pwd(login, &NxLoginCenter::updateAccessPwdResultSignal);
    // Login paths that end with the wait (a refused registration request too); a late answer after the
    // result is dropped. A late reply to the request itself (-3) keeps the wait.
    const struct {
        int loginSent, regionSent;
        QList<int> commands;
        LoginCenterResultType want;
    } logins[] = {{0, 0, {}, LoginCenterResultTimeout},
                  {PCQ_ERR_TIMEOUT, 0, {}, LoginCenterResultTimeout},
                  {0, 0, {1}, LoginCenterResultTimeout},
                  {0, 0, {0}, LoginCenterResultTimeout},
                  {0, -1, {0}, LoginCenterResultTimeout}};
    for (const auto& l : logins) {
        resetSdk();
        Sdk::setResult("vmoLogin_EX", l.loginSent);
        Sdk::setResult("nx_RegionMonServer", l.regionSent);
        const int before = result.count();
        QVERIFY(login->login("u", "p"));
        for (int command : l.commands)
            Sdk::fireSystem(command, "");
        QTRY_COMPARE(result.count(), before + 1);
        QCOMPARE(resultOf(result, before), l.want);
        QCOMPARE(login->pendingOperation(), 0);
        const int regions = Sdk::count("nx_RegionMonServer");
        Sdk::fireSystem(0, "");
        Sdk::fireSystem(101, "1");
        QTest::qWait(50);
        QCOMPARE(Sdk::count("nx_RegionMonServer"), regions);
        QCOMPARE(result.count(), before + 1);
        QVERIFY(!login->isLoggedIn());
    }

    // The access password change by the request's result and the answer (none: the wait ends). A late
    // reply to the request (-3) still waits for the answer; an answer after the result is dropped.
    const struct {
        int sent;
        QByteArray answer;
        LoginCenterResultType returned;
        int reported; // -1: nothing
    } changes[] = {{0, QByteArray(), LoginCenterResultSuccess, LoginCenterResultTimeout},
                   {0, "1", LoginCenterResultSuccess, LoginCenterResultSuccess},
                   {0, "10", LoginCenterResultSuccess, LoginCenterResultFailure},
                   {PCQ_ERR_TIMEOUT, "1", LoginCenterResultSuccess, LoginCenterResultSuccess},
                   {-1, "1", LoginCenterResultFailure, -1}};
    for (const auto& c : changes) {
        resetSdk();
        Sdk::setResult("DoSetAccessPswd_EX", c.sent);
        const int before = pwd.count();
        QCOMPARE(login->changeAccessPwd("CAM", "newpwd"), c.returned);
        QCOMPARE(Sdk::calls(), Calls({"DoSetAccessPswd_EX(4, CAM, newpwd, 3, 0)"}));
        if (!c.answer.isNull())
            Sdk::fireSystem(115, c.answer);
        QTest::qWait(300);
        Sdk::fireSystem(115, "1");
        QCOMPARE(pwd.count(), before + (c.reported < 0 ? 0 : 1));
        if (c.reported >= 0)
            QCOMPARE(int(resultOf(pwd, before)), c.reported);
        QCOMPARE(login->pendingOperation(), 0);
    }
    resetSdk();

    // A wait that expires while nothing is pending only logs.
    LogLines::clear();
    emit login->startLoginTimerSignal(1);
    QTRY_VERIFY(LogLines::contains(QString::fromUtf8("互联网相关操作(0)超时")));
    QTest::qWait(100);
    QCOMPARE(result.count(), 5);
    QCOMPARE(pwd.count(), 4);

    // Logged in, then the connection is lost (command 3). The logout runs on a job thread: count its
    // signal through a queued connection, not a spy.
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
    QVERIFY(!login->isLoggedIn());
    QVERIFY(NxDeviceStateCenter::instance()->wanStateSnapshot().isEmpty());

    // Idle and logged out: a status query starts the built-in login instead.
    resetSdk();
    login->queryAllDeviceStatus();
    QTRY_COMPARE(Sdk::count("vmoLogin_EX"), 1);
    QCOMPARE(Sdk::count("vmoGetDevStatus_EX"), 0);
    QVERIFY(Sdk::calls({"vmoLogin_EX"}).at(0).startsWith("vmoLogin_EX(tarnveil, tarnveil,"));
    completeLogin();
    QCOMPARE(login->queryDeviceStatus("q"), 0);
    QCOMPARE(Sdk::calls({"vmoGetDevStatus"}), Calls({"vmoGetDevStatus(q)"}));
}

void TestLoginCenter::statusAnswers() {
    NxDeviceStateCenter* state = NxDeviceStateCenter::instance();
    QSignalSpy list(login, &NxLoginCenter::updateDeviceListSignal);
    QSignalSpy online(login, &NxLoginCenter::wanDeviceOnlineSignal);
    QSignalSpy loaded(login, &NxLoginCenter::didLoadDeviceInfoSignal);
    g_alarmLog.takeEvents();

    Sdk::fireSystem(104, "a");
    QVERIFY(state->isWanOnline("a"));
    Sdk::fireSystem(108, "a");
    QVERIFY(!state->isWanOnline("a"));
    QCOMPARE(state->wanStateSnapshot().value("a", -1), 0);
    QTRY_COMPARE(list.count(), 2);
    QCOMPARE(online.count(), 1);
    QCOMPARE(online.at(0).at(0).toString(), QStringLiteral("a"));
    QCOMPARE(g_alarmLog.takeEvents(), Events({{"a", 4}, {"a", 5}}));
    QVERIFY(!state->isWanOnline("never"));

    // A listed camera is updated in place and the list saved; the password stays out of the log; its
    // parameters are fetched on the cloud path.
    VeCameraModel* b = login->cloudDevice("b");
    LogLines::clear();
    resetSdk();
    Sdk::fireSystem(119, "devid=b;pwd=abcd;status=1;devtype=T9;audiotype=G726;count=1;");
    QTRY_COMPARE(loaded.count(), 1);
    QCOMPARE(loaded.at(0).at(0).value<VeCameraModel*>(), b);
    QCOMPARE(b->devFlag, QStringLiteral("T9"));
    QCOMPARE(b->audioType, qint32(AudioTypeG726));
    QVERIFY(state->isWanOnline("b"));
    QVERIFY(LogLines::contains("pwd=***;"));
    QVERIFY(!LogLines::contains("abcd"));
    QList<VeCameraModel*> saved = TvDefaultSettings::instance()->loadDeviceInfo();
    QCOMPARE(saved.size(), 3);
    QCOMPARE(saved.at(1)->devAccess, QStringLiteral("abcd"));
    qDeleteAll(saved);
    QTRY_COMPARE(Sdk::calls({"vmoGetWANInfo", "GetWanSysDevInfo"}),
                 Calls({"vmoGetWANInfo(b, 0, 0)", "GetWanSysDevInfo(b, 108)", "GetWanSysDevInfo(b, 207)"}));

    // An unlisted camera yields a new record that is not added; an offline status is 0. Without an id
    // or a password: nullptr.
    Sdk::fireSystem(119, "devid=z;pwd=p;status=0;devtype=T1;audiotype=PCM;count=1;");
    Sdk::fireSystem(119, "devid=q;pwd=;status=1;devtype=T1;audiotype=PCM;count=1;");
    Sdk::fireSystem(119, "garbage");
    QTRY_COMPARE(loaded.count(), 4);
    std::unique_ptr<VeCameraModel> z(loaded.at(1).at(0).value<VeCameraModel*>());
    QVERIFY(z && !login->cloudDevice("z"));
    QCOMPARE(z->deviceId, QStringLiteral("z"));
    QCOMPARE(z->devAccess, QStringLiteral("p"));
    QCOMPARE(state->wanStateSnapshot().value("z", -1), 0);
    QCOMPARE(loaded.at(2).at(0).value<VeCameraModel*>(), nullptr);
    QCOMPARE(loaded.at(3).at(0).value<VeCameraModel*>(), nullptr);

    // The list operations save what they change.
    auto fresh = cloudRecord("d");
    login->addDevice(fresh.get());
    login->updateAlias(QString::fromUtf8("门口"), fresh.get());
    saved = TvDefaultSettings::instance()->loadDeviceInfo();
    QCOMPARE(saved.size(), 4);
    QCOMPARE(saved.at(3)->alias, QString::fromUtf8("门口"));
    qDeleteAll(saved);
    login->removeDevice("d");
    QCOMPARE(login->cloudDevicesSnapshot().keys(), QStringList({"a", "b", "c"}));
    QCOMPARE(savedCount(), 3);
}

QTEST_GUILESS_MAIN(TestLoginCenter)
#include "test_logincenter.moc"
