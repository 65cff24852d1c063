// The device dialogs end to end: real dialogs under a window system, the SDK library, the simulator's
// cameras and cloud. Each change is checked where it lands: in the device list, at the simulated camera
// (its write counter, a read-back of its records, its cloud record), and no password in any log line.
#include "../liveview/LogLines.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "SimProcess.h"
#include "TvDefaultSettings.h"
#include "TvGlobal.h"
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
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTranslator>
#include <QtTest>

#include <functional>

namespace {
const char kLan[] = "DD-LAN-01";    // settings and Wi-Fi
const char kLanAdd[] = "DD-LAN-02"; // added while the cloud is silent
const char kCloud[] = "DD-CLD-01";  // added with its password
const char kPwd[] = "DD-CLD-03";    // listed: renamed and re-passworded
const char kSimPwd[] = "123456";    // every simulated camera's access password at start

QString tx(const char* context, const char* source) {
    return QCoreApplication::translate(context, source);
}

// Clicks OK on every message box while it lives and keeps the texts.
struct BoxAnswerer {
    BoxAnswerer() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                texts << box->text();
                box->button(QMessageBox::Ok)->click();
            }
        });
        timer.start(10);
    }
    QStringList texts;
    QTimer timer;
};

void setText(QWidget* dialog, const char* name, const QString& text) {
    auto* edit = dialog->findChild<QLineEdit*>(QLatin1String(name));
    QVERIFY2(edit, name);
    edit->setText(text);
}

void shoot(QWidget* dialog, const char* name) {
    const QByteArray dir = qgetenv("KVAB_SHOTS_DIR"); // screenshots only when asked for
    if (dir.isEmpty())
        return;
    dialog->grab(); // the title bar takes the dialog's width when it is first painted
    QCoreApplication::processEvents();
    dialog->grab().save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QLatin1String(name) + ".png");
}
} // namespace

class TestDeviceDialogs : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void addDevice_data();
    void addDevice();
    void rename_data();
    void rename();
    void changePassword_data();
    void changePassword();
    void localPassword();
    void settingsFill_data();
    void settingsFill();
    void settingsWrite_data();
    void settingsWrite();
    void settingsReset();
    void wifi_data();
    void wifi();
    void noPasswordInTheLog();

private:
    int writes() { return m_sim.control(QStringLiteral("writes %1").arg(kLan)).mid(3).toInt(); }
    VideoParam readBack() {
        VideoParam p{};
        [&] { QVERIFY(m_data->getVideoParam(m_data->lanCenter->device(kLan), &p) >= 0); }();
        return p;
    }
    // Clicks OK and waits for the message box (or the dialog's end when none is expected).
    void okAndExpect(QDialog* dialog, const QString& message);

    SimProcess m_sim;
    NxDataCenter* m_data = nullptr;
    QTranslator m_english;
    std::unique_ptr<BoxAnswerer> m_boxes;
};

void TestDeviceDialogs::initTestCase() {
    LogLines::install();
    QVERIFY(m_english.load(TvGlobal::translatorPathFor(1)));
    QApplication::installTranslator(&m_english);
    qputenv("KVAB_SDK_ANSWER_WAIT_MS", "2000"); // a silent cloud ends the password change quickly
    const QString cameras =
        QStringLiteral("lan:%1,lan:%2,cloud:%3,cloud:%4").arg(kLan, kLanAdd, kCloud, kPwd);
    QVERIFY2(m_sim.start({"--clip-seconds", "2", "--cameras", cameras}), "simulator did not start");
    VeCameraModel listed(kPwd, kPwd, "", "G711", 0, 0, "", kSimPwd);
    TvDefaultSettings::instance()->saveDeviceInfo({&listed});
    m_data = NxDataCenter::instance();
    QTRY_VERIFY_WITH_TIMEOUT(m_data->loginCenter->isLoggedIn(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(!m_data->loginCenter->cloudDevice(kPwd)->devAccess.isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan) && m_data->lanCenter->contains(kLanAdd),
                             20000);
    m_boxes.reset(new BoxAnswerer);
}

void TestDeviceDialogs::okAndExpect(QDialog* dialog, const QString& message) {
    const int before = m_boxes->texts.size();
    dialog->findChild<QPushButton*>(QStringLiteral("pushBtn_ok"))->click();
    if (message.isEmpty())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(m_boxes->texts.size() > before, 9000);
    QCOMPARE(m_boxes->texts.at(before), message);
}

void TestDeviceDialogs::addDevice_data() {
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("pwd");
    QTest::addColumn<QString>("fault"); // a simulator command for the row, undone after it
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("listed");
    const auto c = "VeAddDeviceDialog";
    QTest::newRow("empty id") << "" << kSimPwd << "" << tx(c, "设备ID不能为空") << false;
    const QString badId = tx(c, "设备ID格式不正确（最多31个字母、数字或符号，不含 ; 和 =）");
    QTest::newRow("id too long") << QString(32, 'A') << kSimPwd << "" << badId << false;
    QTest::newRow("hostile id") << "A;pwd=1" << kSimPwd << "" << badId << false;
    QTest::newRow("hostile password") << kCloud << "12;34"
                                      << "" << tx(c, "访问密码不能包含 ; 或 =") << false;
    QTest::newRow("already listed") << kPwd << kSimPwd << "" << tx(c, "已经添加过该设备，不需要重复添加")
                                    << true;
    QTest::newRow("unknown id") << "NO-SUCH-9" << kSimPwd << "" << tx(c, "您添加的设备不存在") << false;
    QTest::newRow("wrong password") << kCloud << "999999"
                                    << "" << tx(c, "添加失败，访问密码错误") << false;
    QTest::newRow("silent cloud") << kCloud << kSimPwd << "delay 6500" << tx(c, "添加失败，请稍后重试")
                                  << false;
    QTest::newRow("silent cloud, LAN camera") << kLanAdd << ""
                                              << "delay 6500" << tx(c, "添加设备成功") << true;
    QTest::newRow("right password") << kCloud << kSimPwd << "" << tx(c, "添加设备成功") << true;
}

void TestDeviceDialogs::addDevice() {
    QFETCH(QString, id);
    QFETCH(QString, pwd);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(bool, listed);
    QPointer<VeAddDeviceDialog> dialog = new VeAddDeviceDialog;
    dialog->show();
    // Only LAN cameras that are not listed yet are offered.
    auto* ids = dialog->findChild<QComboBox*>(QStringLiteral("comboBox_devid"));
    QVERIFY(ids->findText(kLan) >= 0 && ids->findText(kPwd) < 0);
    ids->setCurrentText(id);
    setText(dialog, "lineEdit_pwd", pwd);
    setText(dialog, "lineEdit_alias", QStringLiteral("Front door"));
    shoot(dialog, "VeAddDeviceDialog");
    const QString requests = m_sim.control(QStringLiteral("stats")).section(QStringLiteral("requests="), 1);
    if (!fault.isEmpty())
        QVERIFY(m_sim.control(fault).startsWith("ok"));
    okAndExpect(dialog, message);
    m_sim.control(QStringLiteral("delay 0"));
    if (QTest::currentDataTag() == QLatin1String("already listed")) // never asks the cloud
        QCOMPARE(m_sim.control(QStringLiteral("stats")).section(QStringLiteral("requests="), 1), requests);
    VeCameraModel* camera = m_data->loginCenter->cloudDevice(id);
    QCOMPARE(camera != nullptr, listed);
    QTRY_VERIFY(!dialog || !dialog->isVisible() || dialog->isEnabled()); // the wait has ended
    if (listed && id == kCloud) {
        QCOMPARE(camera->alias, QStringLiteral("Front door"));
        QVERIFY(camera->isAccessPwdValid());
        QTRY_VERIFY_WITH_TIMEOUT(camera->isOnline(), 5000);
    }
    delete dialog;
}

void TestDeviceDialogs::rename_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("alias");
    QTest::newRow("name") << "Garage"
                          << "Garage";
    QTest::newRow("empty gives the id") << "" << kPwd;
    QTest::newRow("blank gives the id") << "   " << kPwd;
    // 63 characters of up to 3 UTF-8 bytes each always fit the saved record's 256 bytes.
    QTest::newRow("too long, cut") << QString(300, QChar(0x95E8)) << QString(63, QChar(0x95E8));
    QTest::newRow("separators are plain text") << "a;b=c"
                                               << "a;b=c";
}

void TestDeviceDialogs::rename() {
    QFETCH(QString, typed);
    QFETCH(QString, alias);
    VeCameraModel* camera = m_data->loginCenter->cloudDevice(kPwd);
    QPointer<VeUpdateAliasDialog> dialog = new VeUpdateAliasDialog(camera);
    dialog->show();
    setText(dialog, "lineEdit_alias", typed);
    shoot(dialog, "VeUpdateAliasDialog");
    okAndExpect(dialog, QString());
    QCOMPARE(camera->alias, alias);
    // The saved list keeps it.
    bool saved = false;
    for (VeCameraModel* c : TvDefaultSettings::instance()->loadDeviceInfo())
        saved |= c->deviceId == kPwd && c->alias == alias;
    QVERIFY(saved);
    delete dialog;
}

void TestDeviceDialogs::changePassword_data() {
    QTest::addColumn<QString>("oldPwd");
    QTest::addColumn<QString>("newPwd");
    QTest::addColumn<QString>("confirm");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    const auto c = "VeUpdateAccessPwdDialog";
    QTest::newRow("old empty") << ""
                               << "abcd"
                               << "abcd"
                               << "" << tx(c, "旧密码不能为空");
    QTest::newRow("old wrong") << "654321"
                               << "abcd"
                               << "abcd"
                               << "" << tx(c, "旧密码错误，请重新输入");
    QTest::newRow("3 characters") << kSimPwd << "abc"
                                  << "abc"
                                  << "" << tx(c, "新密码长度至少为4位");
    QTest::newRow("mismatch") << kSimPwd << "abcd"
                              << "abce"
                              << "" << tx(c, "两次输入的新密码不一致");
    QTest::newRow("separator") << kSimPwd << "ab=cd"
                               << "ab=cd"
                               << "" << tx(c, "新密码最多31位，只能包含字母、数字和符号（不含 ; 和 =）");
    QTest::newRow("cloud refuses") << kSimPwd << "abcd"
                                   << "abcd"
                                   << "remove DD-CLD-03" << tx(c, "访问密码修改失败，请稍后再试");
    QTest::newRow("4 characters") << kSimPwd << "abcd"
                                  << "abcd"
                                  << "" << tx(c, "访问密码修改成功，请牢记您的新密码");
}

void TestDeviceDialogs::changePassword() {
    QFETCH(QString, oldPwd);
    QFETCH(QString, newPwd);
    QFETCH(QString, confirm);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    VeCameraModel* camera = m_data->loginCenter->cloudDevice(kPwd);
    const QString before = camera->devAccess;
    QPointer<VeUpdateAccessPwdDialog> dialog = new VeUpdateAccessPwdDialog(camera);
    dialog->show();
    setText(dialog, "lineEdit_old_pwd", oldPwd);
    setText(dialog, "lineEdit_new_pwd", newPwd);
    setText(dialog, "lineEdit_new_pwd_confirm", confirm);
    shoot(dialog, "VeUpdateAccessPwdDialog");
    if (!fault.isEmpty())
        QVERIFY(m_sim.control(fault).startsWith("ok"));
    okAndExpect(dialog, message);
    if (!fault.isEmpty())
        QVERIFY(m_sim.control(QStringLiteral("add %1 cloud").arg(kPwd)).startsWith("ok"));
    const bool changed = QTest::currentDataTag() == QLatin1String("4 characters");
    if (!changed) {
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
    QVERIFY(m_data->checkAccessPwd(newPwd, camera->devAccess));
    QVERIFY(!m_data->checkAccessPwd(kSimPwd, camera->devAccess));
    QVERIFY(camera->isAccessPwdValid());
}

void TestDeviceDialogs::localPassword() {
    VeCameraModel* camera = m_data->loginCenter->cloudDevice(kPwd);
    const struct {
        const char* typed;
        bool valid;
    } rows[] = {{"wrong", false}, {"abcd", true}, {"", false}};
    for (const auto& row : rows) {
        QPointer<VeLocalAccessPwdDialog> dialog = new VeLocalAccessPwdDialog(camera);
        dialog->show();
        setText(dialog, "lineEdit_pwd", QLatin1String(row.typed));
        shoot(dialog, "VeLocalAccessPwdDialog");
        okAndExpect(dialog, QString());
        QCOMPARE(camera->isAccessPwdValid(), row.valid);
        QCOMPARE(camera->userAccess, QLatin1String(row.typed));
        delete dialog;
    }
}

void TestDeviceDialogs::settingsFill_data() {
    QTest::addColumn<int>("sens");
    QTest::addColumn<int>("audio");
    QTest::addColumn<int>("pir");
    QTest::addColumn<int>("alarmIndex"); // shown
    QTest::addColumn<int>("audioIndex"); // -1: the list is disabled
    QTest::addColumn<int>("pirChecked"); // -1: the box is disabled
    QTest::addColumn<int>("storedSens");
    QTest::newRow("ordinary") << 1 << 2 << 2 << 1 << 1 << 1 << 1;
    QTest::newRow("sens 7 is off") << 7 << 1 << 1 << 3 << 0 << 0 << 3;
    QTest::newRow("no sound detection") << 0 << 0 << 1 << 0 << -1 << 0 << 0;
    QTest::newRow("audio 4 is off") << 3 << 4 << 1 << 3 << 3 << 0 << 3;
    QTest::newRow("no PIR sensor") << 2 << 3 << 0 << 2 << 2 << -1 << 2;
}

void TestDeviceDialogs::settingsFill() {
    QFETCH(int, sens);
    QFETCH(int, audio);
    QFETCH(int, pir);
    QFETCH(int, alarmIndex);
    QFETCH(int, audioIndex);
    QFETCH(int, pirChecked);
    QFETCH(int, storedSens);
    VideoParam p = readBack();
    p.sens = sens, p.audioalarm = audio, p.piralarm = pir;
    const int before = writes();
    VeCameraSettingDialog dialog(m_data->lanCenter->device(kLan), p, QString());
    dialog.show();
    shoot(&dialog, "VeCameraSettingDialog");
    QCOMPARE(dialog.findChild<QComboBox*>("comboBox_alarm")->currentIndex(), alarmIndex);
    auto* sound = dialog.findChild<QComboBox*>("comboBox_audio_sence");
    QCOMPARE(sound->isEnabled() ? sound->currentIndex() : -1, audioIndex);
    auto* pirBox = dialog.findChild<QCheckBox*>("checkBox_pir");
    QCOMPARE(pirBox->isEnabled() ? int(pirBox->isChecked()) : -1, pirChecked);
    QCOMPARE(dialog.param().sens, storedSens);
    QCOMPARE(dialog.findChild<QComboBox*>("comboBox_resolution")->currentText(), QStringLiteral("1280x720"));
    QTest::qWait(300); // a write would have reached the camera by now
    QCOMPARE(writes(), before);
}

void TestDeviceDialogs::settingsWrite_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("value"); // a combo box's text, or "click"
    QTest::addColumn<int>("field");     // index in VideoParam
    QTest::addColumn<int>("expected");
    QTest::newRow("bright") << "comboBox_bright"
                            << "40" << 2 << 40;
    QTest::newRow("contrast") << "comboBox_contrast"
                              << "1" << 1 << 1;
    QTest::newRow("saturation") << "comboBox_saturation"
                                << "63" << 0 << 63;
    QTest::newRow("sharp") << "comboBox_sharp"
                           << "10" << 3 << 10;
    QTest::newRow("frame rate") << "comboBox_framerate"
                                << "30" << 5 << 30;
    QTest::newRow("bit rate") << "comboBox_rate"
                              << "2048" << 6 << 2048;
    QTest::newRow("NTSC") << "comboBox_frequency"
                          << "NTSC(60)" << 8 << 60;
    QTest::newRow("PAL") << "comboBox_frequency"
                         << "PAL(50)" << 8 << 50;
    QTest::newRow("motion low") << "comboBox_alarm" << tx("VeCameraSettingDialog", "低") << 9 << 2;
    QTest::newRow("sound high") << "comboBox_audio_sence" << tx("VeCameraSettingDialog", "高(60dB~70dB)")
                                << 10 << 1;
    QTest::newRow("VBR") << "comboBox_cbrvbr"
                         << "VBR" << 13 << 1;
    QTest::newRow("IR cut") << "checkBox_ircut"
                            << "click" << 11 << 1;
    QTest::newRow("PIR") << "checkBox_pir"
                         << "click" << 12 << 2;
}

void TestDeviceDialogs::settingsWrite() {
    QFETCH(QString, control);
    QFETCH(QString, value);
    QFETCH(int, field);
    QFETCH(int, expected);
    VideoParam p = readBack();
    p.iropen = 0, p.piralarm = 1, p.frequency = QTest::currentDataTag() == QByteArray("NTSC") ? 50 : 60;
    VeCameraSettingDialog dialog(m_data->lanCenter->device(kLan), p, QStringLiteral("640x360"));
    dialog.show();
    const int before = writes();
    if (value == QLatin1String("click"))
        QTest::mouseClick(dialog.findChild<QCheckBox*>(control), Qt::LeftButton, {}, QPoint(4, 8));
    else
        dialog.findChild<QComboBox*>(control)->setCurrentText(value);
    QTRY_COMPARE(writes(), before + 1);
    const VideoParam back = readBack();
    QCOMPARE(reinterpret_cast<const qint32*>(&back)[field], expected);
    QCOMPARE(reinterpret_cast<const qint32*>(&dialog.param())[field], expected);
}

void TestDeviceDialogs::settingsReset() {
    const VideoParam prior = readBack();
    VeCameraSettingDialog dialog(m_data->lanCenter->device(kLan), prior, QString());
    dialog.show();
    const int before = writes();
    dialog.findChild<QPushButton*>("pushBtn_reset")->click();
    QTRY_COMPARE(writes(), before + 6);
    const VideoParam back = readBack();
    // The six picture values are back to their defaults; detection is left as it was.
    QCOMPARE(
        QVector<int>({back.sat, back.con, back.sha, back.bri, back.rate, back.stream, back.sens,
                      back.audioalarm, back.iropen, back.piralarm}),
        QVector<int>({32, 32, 38, 32, 25, 1024, prior.sens, prior.audioalarm, prior.iropen, prior.piralarm}));
    QCOMPARE(dialog.findChild<QComboBox*>("comboBox_sharp")->currentText(), QStringLiteral("38"));
    QTest::qWait(300);
    QCOMPARE(writes(), before + 6); // refilling the form wrote nothing more
}

void TestDeviceDialogs::wifi_data() {
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<QString>("pwd");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message"); // empty: accepted
    QTest::addColumn<QString>("atCamera");
    const auto c = "VeConfigWiFiDialog";
    QTest::newRow("empty name") << ""
                                << "x"
                                << "" << tx(c, "SSID 不能为空") << "";
    QTest::newRow("hostile name") << "Caf=e"
                                  << "a"
                                  << "" << tx(c, "SSID 和密码不能包含 ; 或 =") << "";
    QTest::newRow("hostile password") << "Cafe"
                                      << "a;b;"
                                      << "" << tx(c, "SSID 和密码不能包含 ; 或 =") << "";
    QTest::newRow("camera gone") << "Cafe"
                                 << "secret"
                                 << "offline DD-LAN-01" << tx(c, "配置失败，请稍后再试") << "";
    QTest::newRow("sent") << "HomeNet"
                          << "secret123"
                          << ""
                          << ""
                          << "HomeNet";
}

void TestDeviceDialogs::wifi() {
    QFETCH(QString, ssid);
    QFETCH(QString, pwd);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(QString, atCamera);
    VeCameraModel* camera = m_data->lanCenter->device(kLan);
    QPointer<VeConfigWiFiDialog> dialog = new VeConfigWiFiDialog(camera);
    dialog->show();
    setText(dialog, "lineEdit_ssid", ssid);
    setText(dialog, "lineEdit_pwd", pwd);
    shoot(dialog, "VeConfigWiFiDialog");
    if (!fault.isEmpty())
        QVERIFY(m_sim.control(fault).startsWith("ok"));
    okAndExpect(dialog, message);
    if (!fault.isEmpty()) {
        QVERIFY(m_sim.control(QStringLiteral("online %1").arg(kLan)).startsWith("ok"));
        QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan), 10000);
    }
    QTRY_VERIFY_WITH_TIMEOUT(message.isEmpty() ? !dialog || !dialog->isVisible() : dialog->isEnabled(), 9000);
    WiFiInfo info{};
    QVERIFY(m_data->getWiFiInfo(m_data->lanCenter->device(kLan), &info) >= 0);
    if (!atCamera.isEmpty())
        QCOMPARE(QString::fromUtf8(info.sid), atCamera);
    else
        QVERIFY(QString::fromUtf8(info.sid) != ssid || ssid.isEmpty());
    delete dialog;
}

void TestDeviceDialogs::noPasswordInTheLog() {
    for (const char* pwd : {"secret123", "abcd", kSimPwd, "999999"})
        QVERIFY2(!LogLines::contains(QLatin1String(pwd)), pwd);
}

QTEST_MAIN(TestDeviceDialogs)
#include "test_devicedialogs.moc"
