// The device dialogs end to end against the simulator's cameras and cloud: each change is checked where it
// lands (device list, the camera's writes and records, its cloud record), and no password in any log.
#include "DeviceDialogFixture.h"
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "TvDefaultSettings.h"
#include "VeAddDeviceDialog.h"
#include "VeCameraModel.h"
#include "VeCameraSettingDialog.h"
#include "VeConfigWiFiDialog.h"
#include "VeLocalAccessPwdDialog.h"
#include "VeUpdateAccessPwdDialog.h"
#include "VeUpdateAliasDialog.h"
#include "pcQuorvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

namespace {
const char kLan[] = "DD-LAN-01";    // settings and Wi-Fi
const char kLanAdd[] = "DD-LAN-02"; // added while the cloud is silent
const char kCloud[] = "DD-CLD-01";  // added with its password
const char kPwd[] = "DD-CLD-03";    // listed: renamed and re-passworded
const char kSimPwd[] = "123456";    // every simulated camera's access password at start

} // namespace

class TestDeviceDialogs : public QObject, DeviceDialogFixture {
    Q_OBJECT
private:
    VideoParam readBack() {
        VideoParam p{};
        [&] { QVERIFY(m_data->getVideoParam(m_data->lanCenter->device(kLan), &p) >= 0); }();
        return p;
    }
    // Clicks OK and waits for the message box (or the dialog's end when none is expected).
    void okAndExpect(QDialog* dialog, const QString& message) {
        const int before = m_boxes->texts.size();
        dialog->findChild<QPushButton*>(QStringLiteral("pushBtn_ok"))->click();
        if (message.isEmpty())
            return;
        QTRY_VERIFY_WITH_TIMEOUT(m_boxes->texts.size() > before, 9000);
        QCOMPARE(m_boxes->texts.at(before), message);
    }

private slots:
    void initTestCase() {
        qputenv("KVAB_SDK_ANSWER_WAIT_MS", "2000"); // a silent cloud ends the password change quickly
        const QString cameras =
            QStringLiteral("lan:%1,lan:%2,cloud:%3,cloud:%4").arg(kLan, kLanAdd, kCloud, kPwd);
        QVERIFY2(start({"--clip-seconds", "2", "--cameras", cameras}), "simulator did not start");
        VeCameraModel listed(kPwd, kPwd, "", "G711", 0, 0, "", kSimPwd);
        TvDefaultSettings::instance()->saveDeviceInfo({&listed});
        m_data = NxDataCenter::instance();
        QTRY_VERIFY_WITH_TIMEOUT(m_data->loginCenter->isLoggedIn(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_data->loginCenter->cloudDevice(kPwd)->devAccess.isEmpty(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan) && m_data->lanCenter->contains(kLanAdd),
                                 20000);
    }

    void addDevice_data() {
        // id, password, a simulator command for the row (undone after it), the message
        QTest::addColumn<QStringList>("row");
        const auto m = [](const char* text) { return tx("VeAddDeviceDialog", text); };
        const QString badId = m("设备ID格式不正确（最多31个字母、数字或符号，不含 ; 和 =）");
        QTest::newRow("empty id") << QStringList{"", kSimPwd, "", m("设备ID不能为空")};
        QTest::newRow("id too long") << QStringList{QString(32, 'A'), kSimPwd, "", badId};
        QTest::newRow("hostile id") << QStringList{"A;pwd=1", kSimPwd, "", badId};
        QTest::newRow("hostile password") << QStringList{kCloud, "12;34", "", m("访问密码不能包含 ; 或 =")};
        QTest::newRow("already listed")
            << QStringList{kPwd, kSimPwd, "", m("已经添加过该设备，不需要重复添加")};
        QTest::newRow("unknown id") << QStringList{"NO-SUCH-9", kSimPwd, "", m("您添加的设备不存在")};
        QTest::newRow("wrong password") << QStringList{kCloud, "999999", "", m("添加失败，访问密码错误")};
        QTest::newRow("silent cloud")
            << QStringList{kCloud, kSimPwd, "delay 6500", m("添加失败，请稍后重试")};
        QTest::newRow("silent cloud, LAN") << QStringList{kLanAdd, "", "delay 6500", m("添加设备成功")};
        QTest::newRow("right password") << QStringList{kCloud, kSimPwd, "", m("添加设备成功")};
    }

    void addDevice() {
        QFETCH(QStringList, row);
        const QString id = row[0], pwd = row[1], fault = row[2], message = row[3];
        const bool added = message == tx("VeAddDeviceDialog", "添加设备成功");
        QPointer<VeAddDeviceDialog> dialog = new VeAddDeviceDialog;
        dialog->show();
        // Only LAN cameras that are not listed yet are offered.
        auto* ids = dialog->findChild<QComboBox*>(QStringLiteral("comboBox_devid"));
        QVERIFY(ids->findText(kLan) >= 0 && ids->findText(kPwd) < 0);
        ids->setCurrentText(id);
        setText(dialog, "lineEdit_pwd", pwd);
        setText(dialog, "lineEdit_alias", QStringLiteral("Front door"));
        shoot(dialog, "VeAddDeviceDialog");
        const auto requests = [this] {
            return m_sim.control(QStringLiteral("stats")).section("requests=", 1);
        };
        const QString before = requests();
        if (!fault.isEmpty())
            QVERIFY(m_sim.control(fault).startsWith("ok"));
        okAndExpect(dialog, message);
        m_sim.control(QStringLiteral("delay 0"));
        if (QTest::currentDataTag() == QLatin1String("already listed")) // the cloud is never asked
            QCOMPARE(requests(), before);
        else
            QCOMPARE(m_data->loginCenter->cloudDevice(id) != nullptr, added);
        QCOMPARE(!dialog || !dialog->isVisible(), added);
        if (dialog)
            QVERIFY(dialog->isEnabled()); // the wait has ended
        if (added && id == kCloud) {
            VeCameraModel* camera = m_data->loginCenter->cloudDevice(id);
            QVERIFY(camera->alias == QStringLiteral("Front door") && camera->isAccessPwdValid());
            QTRY_VERIFY_WITH_TIMEOUT(camera->isOnline(), 5000);
        }
        delete dialog;
    }

    void renameAndLocalPassword() {
        VeCameraModel* camera = m_data->loginCenter->cloudDevice(kPwd);
        // 63 characters of up to 3 UTF-8 bytes each always fit the saved record's 256 bytes.
        const QList<QPair<QString, QString>> aliases = {
            {"Garage", "Garage"},
            {"", kPwd},
            {"   ", kPwd},
            {QString(300, QChar(0x95E8)), QString(63, QChar(0x95E8))},
            {"a;b=c", "a;b=c"}};
        const auto submit = [&](QDialog* dialog, const char* field, const QString& text) {
            QPointer<QDialog> guard(dialog);
            dialog->show();
            setText(dialog, field, text);
            shoot(dialog, dialog->metaObject()->className());
            okAndExpect(dialog, QString());
            delete guard;
        };
        for (const auto& row : aliases) {
            submit(new VeUpdateAliasDialog(camera), "lineEdit_alias", row.first);
            QCOMPARE(camera->alias, row.second);
            bool saved = false;
            for (VeCameraModel* c : TvDefaultSettings::instance()->loadDeviceInfo())
                saved |= c->deviceId == kPwd && c->alias == row.second;
            QVERIFY2(saved, qPrintable(row.second));
        }
        // Only the password kept here changes; the camera's check decides whether it is accepted.
        for (const auto& row : QList<QPair<QString, bool>>{{"wrong", false}, {kSimPwd, true}, {"", false}}) {
            submit(new VeLocalAccessPwdDialog(camera), "lineEdit_pwd", row.first);
            QCOMPARE(camera->userAccess, row.first);
            QCOMPARE(camera->isAccessPwdValid(), row.second);
        }
        camera->userAccess = kSimPwd;
    }

    void changePassword_data() {
        QTest::addColumn<QStringList>("row"); // old, new, confirmation, the message
        const auto m = [](const char* text) { return tx("VeUpdateAccessPwdDialog", text); };
        QTest::newRow("old empty") << QStringList{"", "abcd", "abcd", m("旧密码不能为空")};
        QTest::newRow("old wrong") << QStringList{"654321", "abcd", "abcd", m("旧密码错误，请重新输入")};
        QTest::newRow("3 characters") << QStringList{kSimPwd, "abc", "abc", m("新密码长度至少为4位")};
        QTest::newRow("mismatch") << QStringList{kSimPwd, "abcd", "abce", m("两次输入的新密码不一致")};
        QTest::newRow("separator") << QStringList{
            kSimPwd, "ab=cd", "ab=cd", m("新密码最多31位，只能包含字母、数字和符号（不含 ; 和 =）")};
        QTest::newRow("cloud refuses")
            << QStringList{kSimPwd, "abcd", "abcd", m("访问密码修改失败，请稍后再试")};
        QTest::newRow("4 characters")
            << QStringList{kSimPwd, "abcd", "abcd", m("访问密码修改成功，请牢记您的新密码")};
    }

    void changePassword() {
        QFETCH(QStringList, row);
        const QString oldPwd = row[0], newPwd = row[1], confirm = row[2], message = row[3];
        const bool refused = QTest::currentDataTag() == QLatin1String("cloud refuses");
        VeCameraModel* camera = m_data->loginCenter->cloudDevice(kPwd);
        const QString before = camera->devAccess;
        QPointer<VeUpdateAccessPwdDialog> dialog = new VeUpdateAccessPwdDialog(camera);
        dialog->show();
        setText(dialog, "lineEdit_old_pwd", oldPwd);
        setText(dialog, "lineEdit_new_pwd", newPwd);
        setText(dialog, "lineEdit_new_pwd_confirm", confirm);
        shoot(dialog, "VeUpdateAccessPwdDialog");
        if (refused) // the cloud no longer knows the camera
            QVERIFY(m_sim.control(QStringLiteral("remove %1").arg(kPwd)).startsWith("ok"));
        okAndExpect(dialog, message);
        if (refused)
            QVERIFY(m_sim.control(QStringLiteral("add %1 cloud").arg(kPwd)).startsWith("ok"));
        if (QTest::currentDataTag() != QLatin1String("4 characters")) {
            QCOMPARE(camera->devAccess, before);
            QVERIFY(dialog && dialog->isEnabled());
            delete dialog;
            return;
        }
        QVERIFY(!dialog || !dialog->isVisible());
        QCOMPARE(camera->userAccess, newPwd);
        // The camera's cloud record now carries the new password, and only it is accepted.
        camera->devAccess.clear();
        QVERIFY(m_data->loginCenter->queryDeviceStatus(kPwd) >= 0);
        QTRY_VERIFY_WITH_TIMEOUT(!camera->devAccess.isEmpty(), 5000);
        QVERIFY(m_data->checkAccessPwd(newPwd, camera->devAccess) &&
                !m_data->checkAccessPwd(kSimPwd, camera->devAccess) && camera->isAccessPwdValid());
    }

    void settingsFill() {
        // sens, audioalarm, piralarm as the camera reports them; then what is shown: the motion list's
        // index, the sound list's (-1 disabled), the PIR box (-1 disabled); and the sens kept.
        const QVector<QVector<int>> rows = {{1, 2, 2, 1, 1, 1, 1},
                                            {7, 1, 1, 3, 0, 0, 3},
                                            {0, 0, 1, 0, -1, 0, 0},
                                            {3, 4, 1, 3, 3, 0, 3},
                                            {2, 3, 0, 2, 2, -1, 2}};
        const int before = writes(kLan);
        for (const QVector<int>& r : rows) {
            VideoParam p = readBack();
            p.sens = r[0], p.audioalarm = r[1], p.piralarm = r[2];
            VeCameraSettingDialog dialog(m_data->lanCenter->device(kLan), p, QString());
            dialog.show();
            shoot(&dialog, "VeCameraSettingDialog");
            auto* sound = dialog.findChild<QComboBox*>("comboBox_audio_sence");
            auto* pir = dialog.findChild<QCheckBox*>("checkBox_pir");
            const QVector<int> shown = {dialog.findChild<QComboBox*>("comboBox_alarm")->currentIndex(),
                                        sound->isEnabled() ? sound->currentIndex() : -1,
                                        pir->isEnabled() ? int(pir->isChecked()) : -1, dialog.param().sens};
            QCOMPARE(shown, r.mid(3));
        }
        QTest::qWait(300); // a write would have reached the camera by now
        QCOMPARE(writes(kLan), before);
    }
    void settingsWrite() {
        const QString low = tx("VeCameraSettingDialog", "低"),
                      high = tx("VeCameraSettingDialog", "高(60dB~70dB)");
        const struct {
            const char* control;
            QString value; // a combo box's text, or "click"
            int field;     // index in VideoParam
            int expected;
        } rows[] = {{"comboBox_bright", "40", 2, 40},
                    {"comboBox_contrast", "1", 1, 1},
                    {"comboBox_saturation", "63", 0, 63},
                    {"comboBox_sharp", "10", 3, 10},
                    {"comboBox_framerate", "30", 5, 30},
                    {"comboBox_rate", "2048", 6, 2048},
                    {"comboBox_frequency", "PAL(50)", 8, 50},
                    {"comboBox_frequency", "NTSC(60)", 8, 60},
                    {"comboBox_alarm", low, 9, 2},
                    {"comboBox_audio_sence", high, 10, 1},
                    {"comboBox_cbrvbr", "VBR", 13, 1},
                    {"checkBox_ircut", "click", 11, 1},
                    {"checkBox_pir", "click", 12, 2},
                    {"pushBtn_reset", "click", 3, 38}}; // six writes; refilling the form writes nothing
        for (const auto& row : rows) {
            VideoParam p = readBack();
            p.iropen = 0, p.piralarm = 1, p.frequency = row.expected == 60 ? 50 : 60;
            VeCameraSettingDialog dialog(m_data->lanCenter->device(kLan), p, QStringLiteral("640x360"));
            dialog.show();
            const int before = writes(kLan), count = qstrcmp(row.control, "pushBtn_reset") == 0 ? 6 : 1;
            if (row.value == QLatin1String("click"))
                QTest::mouseClick(dialog.findChild<QAbstractButton*>(row.control), Qt::LeftButton, {},
                                  QPoint(4, 8));
            else
                dialog.findChild<QComboBox*>(row.control)->setCurrentText(row.value);
            QTRY_COMPARE(writes(kLan), before + count);
            const VideoParam back = readBack();
            QCOMPARE(writes(kLan), before + count);
            QCOMPARE(reinterpret_cast<const qint32*>(&back)[row.field], row.expected);
            QCOMPARE(reinterpret_cast<const qint32*>(&dialog.param())[row.field], row.expected);
        }
        // A camera that goes away while its dialog is open: one message for its failed writes.
        VeCameraSettingDialog dialog(m_data->lanCenter->device(kLan), readBack(), QString());
        QVERIFY(m_sim.control(QStringLiteral("offline %1").arg(kLan)).startsWith("ok"));
        const int boxes = m_boxes->texts.size();
        dialog.findChild<QComboBox*>("comboBox_bright")->setCurrentText(QStringLiteral("20"));
        dialog.findChild<QComboBox*>("comboBox_sharp")->setCurrentText(QStringLiteral("20"));
        QTRY_COMPARE(m_boxes->texts.size(), boxes + 1);
        QCOMPARE(m_boxes->texts.last(), tx("VeCameraSettingDialog", "设置失败，请检查设备是否在线"));
        QVERIFY(m_sim.control(QStringLiteral("online %1").arg(kLan)).startsWith("ok"));
        const auto back = [this] { // reachable again, and nothing of the failed writes arrived
            VideoParam p{};
            return m_data->getVideoParam(m_data->lanCenter->device(kLan), &p) >= 0 && p.bri != 20 &&
                   p.sha != 20;
        };
        QTRY_VERIFY_WITH_TIMEOUT(back(), 10000);
        QCOMPARE(m_boxes->texts.size(), boxes + 1);
    }

    void wifi() {
        const QString hostile = tx("VeConfigWiFiDialog", "SSID 和密码不能包含 ; 或 =");
        const struct {
            QString ssid, pwd, fault, message; // no message: accepted
        } rows[] = {{"", "x", "", tx("VeConfigWiFiDialog", "SSID 不能为空")},
                    {"Caf=e", "a", "", hostile},
                    {"Cafe", "a;b;", "", hostile},
                    {"Cafe", "secret", "offline DD-LAN-01", tx("VeConfigWiFiDialog", "配置失败，请稍后再试")},
                    {"HomeNet", "secret123", "", ""}};
        for (const auto& row : rows) {
            QPointer<VeConfigWiFiDialog> dialog = new VeConfigWiFiDialog(m_data->lanCenter->device(kLan));
            dialog->show();
            setText(dialog, "lineEdit_ssid", row.ssid);
            setText(dialog, "lineEdit_pwd", row.pwd);
            shoot(dialog, "VeConfigWiFiDialog");
            if (!row.fault.isEmpty())
                QVERIFY(m_sim.control(row.fault).startsWith("ok"));
            okAndExpect(dialog, row.message);
            if (!row.fault.isEmpty()) {
                QVERIFY(m_sim.control(QStringLiteral("online %1").arg(kLan)).startsWith("ok"));
                QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan), 10000);
            }
            QTRY_VERIFY_WITH_TIMEOUT(
                row.message.isEmpty() ? !dialog || !dialog->isVisible() : dialog->isEnabled(), 9000);
            WiFiInfo info{};
            QVERIFY(m_data->getWiFiInfo(m_data->lanCenter->device(kLan), &info) >= 0);
            QCOMPARE(!row.ssid.isEmpty() && QString::fromUtf8(info.sid) == row.ssid, row.message.isEmpty());
            delete dialog;
        }
    }

    // The device panel: a double-click on a camera whose password is not accepted asks for it instead of
    // doing nothing; the toolbar's video settings open with the values the camera reports.
    void panelOpensTheDialogs() {
        const auto dialogOf = [](const char* name) {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->inherits(name) && w->isVisible())
                    return qobject_cast<QDialog*>(w);
            return static_cast<QDialog*>(nullptr);
        };
        MainWindow window;
        window.updateDeviceListSlot();
        VeCameraModel* camera = m_data->loginCenter->cloudDevice(kPwd);
        camera->userAccess = QStringLiteral("stale");
        QTimer::singleShot(50, [&] {
            QDialog* dialog = dialogOf("VeLocalAccessPwdDialog");
            QVERIFY(dialog);
            setText(dialog, "lineEdit_pwd", QStringLiteral("abcd")); // the password since changePassword
            dialog->findChild<QPushButton*>(QStringLiteral("pushBtn_ok"))->click();
        });
        window.on_treeView_lan_doubleClicked(camera->modelIndex);
        QVERIFY(camera->isAccessPwdValid());
        QVERIFY(!camera->playing); // the action ends with the password: the user asks again

        const VideoParam reported = readBack();
        int shownBri = -1;
        QTimer poll; // the dialog runs modally inside the read's hand-back
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto* settings = static_cast<VeCameraSettingDialog*>(dialogOf("VeCameraSettingDialog"))) {
                shownBri = settings->param().bri;
                settings->reject();
            }
        });
        poll.start(20);
        window.videoSettingSlot(m_data->lanCenter->device(kLan));
        QTRY_COMPARE(shownBri, reported.bri);
    }

    void cleanupTestCase() {
        for (const char* pwd : {"secret123", "abcd", kSimPwd, "999999"})
            QVERIFY2(!LogLines::contains(QLatin1String(pwd)), pwd);
    }
};

QTEST_MAIN(TestDeviceDialogs)
#include "test_devicedialogs.moc"
