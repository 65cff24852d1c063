// Standard (ONVIF) cameras in the client, end to end: the main window, the real SDK library and the
// simulator's ONVIF camera beside one of our own. Discovery is multicast: run as root, the test starts
// itself again inside a network namespace of its own with multicast on its loopback interface.
#include "AppTestSupport.h"
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "PrivateNetwork.h"
#include "SimProcess.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDeviceTreeView.h"
#include "TvDisplayMangeView.h"
#include "TvPlayWidget.h"
#include "TvResolutionMap.h"
#include "VeCameraModel.h"
#include "VeUpdateAccessPwdDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QStandardItemModel>
#include <QtTest>

#include <atomic>
#include <memory>

class TestOnvifLive : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void treeShowsNameAndKind();
    void playsMainAndSubStreamWithTheSavedSignIn();
    void passwordDialogAsksForUserAndPassword();
    void directionPadAndPresets();
    void cleanupTestCase();

private:
    QPushButton* button(const char* name) { return m_window->findChild<QPushButton*>(name); }
    TvDisplayMangeView* display() { return m_window->findChild<TvDisplayMangeView*>("widget_displayMan"); }
    bool playing(const QString& size);

    SimProcess m_sim;
    std::unique_ptr<MainWindow> m_window;
    QPointer<VeCameraModel> m_cam;
    QPointer<VeCameraModel> m_noPtz;
};

void TestOnvifLive::initTestCase() {
    UnansweredBoxes::watch();
    if (!inPrivateNetwork())
        QSKIP("multicast discovery needs a private network namespace: run as root (unshare -n)");
    QVERIFY2(m_sim.start({"--clip-seconds", "2", "--cameras", "lan:KV-LAN-01,onvif:CAM-A,onvif-noptz:CAM-B"}),
             "simulator did not start");
    TvDefaultSettings::instance()->setLogoutConfirm(false);
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    NxLanCenter* lan = NxDataCenter::instance()->lanCenter;
    const auto found = [&] {
        for (VeCameraModel* c : lan->lanDeviceList())
            if (c->devFlag == QLatin1String("ONVIF CAM-A"))
                m_cam = c;
            else if (c->devFlag == QLatin1String("ONVIF CAM-B"))
                m_noPtz = c;
        return m_cam && m_noPtz && lan->contains(QStringLiteral("KV-LAN-01"));
    };
    QTRY_VERIFY_WITH_TIMEOUT(found(), 20000);
    // What an earlier run of the client signed in with is handed to the library when a camera is found,
    // as here again after a refresh.
    for (VeCameraModel* c : {m_cam.data(), m_noPtz.data()})
        TvDefaultSettings::instance()->setStandardAccess(c->deviceId, "admin:123456");
    lan->refreshLan(3);
    QTRY_VERIFY_WITH_TIMEOUT(lan->contains(m_cam->deviceId) && lan->contains(m_noPtz->deviceId) &&
                                 lan->contains(QStringLiteral("KV-LAN-01")),
                             20000);
    QCOMPARE(m_cam->userAccess, QStringLiteral("admin:123456"));
    QCOMPARE(m_noPtz->userAccess, QStringLiteral("admin:123456"));
    std::atomic<bool> handedOver{false};
    NxDataCenter::instance()->runInBackground([&handedOver] { handedOver = true; });
    QTRY_VERIFY(handedOver);
}

void TestOnvifLive::cleanupTestCase() {
    if (m_window && m_cam && m_cam->playing)
        m_window->stopWithCamera(m_cam);
    m_window.reset();
    m_sim.kill();
}

void TestOnvifLive::treeShowsNameAndKind() {
    m_window->updateDeviceListSlot();
    QStandardItemModel* model = m_window->findChild<TvDeviceTreeView*>("treeView_lan")->itemModel();
    QStringList rows;
    for (int r = 0; r < model->rowCount(); ++r)
        rows << model->index(r, 0).data().toString();
    rows.sort();
    QCOMPARE(rows, QStringList({"CAM-A (ONVIF)", "CAM-B (ONVIF)", "KV-LAN-01"}));
}

void TestOnvifLive::passwordDialogAsksForUserAndPassword() {
    struct Case {
        const char *user, *password, *message;
    };
    const Case cases[] = {{"ad:min", "123456", "用户名不能为空，也不能包含冒号"},
                          {"admin", "654321", "摄像机拒绝了该用户名或密码"},
                          {"admin", "123456", "访问密码修改成功，请牢记您的新密码"}};
    for (const Case& c : cases) {
        QPointer<VeUpdateAccessPwdDialog> dialog = new VeUpdateAccessPwdDialog(m_cam, m_window.get());
        dialog->show();
        const auto edit = [&](const char* name) { return dialog->findChild<QLineEdit*>(name); };
        QVERIFY(edit("lineEdit_user")->isVisible() && !edit("lineEdit_old_pwd")->isVisible());
        QCOMPARE(edit("lineEdit_user")->text(), QStringLiteral("admin"));
        edit("lineEdit_user")->setText(c.user);
        edit("lineEdit_new_pwd")->setText(c.password);
        edit("lineEdit_new_pwd_confirm")->setText(c.password);
        // The camera's answer comes later: the box is waited for, then answered.
        QStringList texts;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        poll.start(10);
        QTest::mouseClick(dialog->findChild<QPushButton*>("pushBtn_ok"), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(texts, QStringList(QString::fromUtf8(c.message)), 10000);
        delete dialog.data();
    }
    QCOMPARE(TvDefaultSettings::instance()->standardAccess(m_cam->deviceId), QStringLiteral("admin:123456"));
    // Our own camera's dialog is unchanged: the old password, no user name.
    VeUpdateAccessPwdDialog ours(NxDataCenter::instance()->lanCenter->device("KV-LAN-01"));
    ours.show();
    QVERIFY(!ours.findChild<QLineEdit*>("lineEdit_user")->isVisible() &&
            ours.findChild<QLineEdit*>("lineEdit_old_pwd")->isVisible());
}

bool TestOnvifLive::playing(const QString& size) {
    TvPlayWidget* cell = display()->cellForKey(m_cam->deviceId);
    return cell && cell->state() == TvPlayStatePlaying &&
           TvResolutionMap::instance()->value(m_cam->playKey) == size;
}

void TestOnvifLive::playsMainAndSubStreamWithTheSavedSignIn() {
    for (const auto& row :
         {qMakePair(true, QStringLiteral("1920x1080")), qMakePair(false, QStringLiteral("640x360"))}) {
        TvResolutionMap::instance()->set(m_cam->deviceId, QString());
        m_cam->mainStream = row.first;
        QCOMPARE(m_window->playWithCamera(m_cam), 0);
        QTRY_VERIFY_WITH_TIMEOUT(playing(row.second), 30000);
        m_window->stopWithCamera(m_cam);
        QTRY_VERIFY_WITH_TIMEOUT(!display()->cellForKey(m_cam->deviceId), 10000);
    }
}

void TestOnvifLive::directionPadAndPresets() {
    m_cam->mainStream = false;
    QCOMPARE(m_window->playWithCamera(m_cam), 0);
    QTRY_VERIFY_WITH_TIMEOUT(playing(QStringLiteral("640x360")), 30000);
    m_window->on_treeView_lan_pressed(m_cam->modelIndex);
    QVERIFY(m_sim.control("onvif ptzlog CAM-A clear").startsWith("ok"));
    emit button("pushBtn_ptz_up")->pressed();
    emit button("pushBtn_ptz_up")->released();
    // Preset 3 set, then gone to, through the toolbar's menus (index 2 is preset 3).
    answerPopup([&] { QTest::mouseClick(button("pushBtn_ptz_preset_set"), Qt::LeftButton); }, 2);
    answerPopup([&] { QTest::mouseClick(button("pushBtn_ptz_preset_do"), Qt::LeftButton); }, 2);
    QVERIFY(TvCallWorker::instance()->waitForIdle(10000));
    const QStringList log = m_sim.control("onvif ptzlog CAM-A").mid(3).split(';');
    QCOMPARE(log.size(), 4);
    QCOMPARE(log.mid(0, 2), QStringList({"ContinuousMove 0 0.5 0", "Stop"}));
    QVERIFY(log[2].startsWith("SetPreset ") && log[3] == "GotoPreset " + log[2].mid(10));
    m_window->stopWithCamera(m_cam);

    // A camera without a pan/tilt head refuses the command, and the person is told.
    QCOMPARE(m_window->playWithCamera(m_noPtz), 0);
    QTRY_VERIFY_WITH_TIMEOUT(display()->cellForKey(m_noPtz->deviceId), 10000);
    m_window->on_treeView_lan_pressed(m_noPtz->modelIndex);
    QTRY_VERIFY_WITH_TIMEOUT(display()->cellForKey(m_noPtz->deviceId)->state() == TvPlayStatePlaying, 30000);
    emit button("pushBtn_ptz_up")->pressed();
    QLabel* tip = m_window->findChild<QLabel*>("label_snapTip");
    QTRY_COMPARE_WITH_TIMEOUT(tip->text(), QString::fromUtf8("摄像机未执行该命令"), 10000);
    emit button("pushBtn_ptz_up")->released();
    m_window->stopWithCamera(m_noPtz);
}

int main(int argc, char** argv) {
    enterPrivateNetwork(argc, argv);
    QApplication app(argc, argv);
    TestOnvifLive test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_onvif_live.moc"
