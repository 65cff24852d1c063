// The device settings dialog end to end: real widgets under a window system, the SDK library and the
// simulator's cameras. Every write is checked at the camera (a read-back of its records, its write
// counter, its reboot), every refusal by its message and by nothing reaching the camera.
#include "../liveview/LogLines.h"
#include "MyIPLineEdit.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "SimProcess.h"
#include "TvDeviceActions.h"
#include "TvGlobal.h"
#include "VeCameraModel.h"
#include "VeDevSettingDialog.h"
#include "pcQuorvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTranslator>
#include <QtTest>

#include <functional>

namespace {
const char kLan[] = "DS-LAN-01";
const char kCloud[] = "DS-CLD-01";
const auto kCtx = "VeDevSettingDialog";

QString tx(const char* source) {
    return QCoreApplication::translate(kCtx, source);
}

QString withId(const QString& command) {
    return command.contains(QLatin1Char('%')) ? command.arg(kLan) : command;
}

// Answers every message box while it lives (OK, or Cancel for a question when asked) and keeps texts;
// closes a modal settings dialog, keeping the name of the page it shows.
struct Boxes {
    Boxes() {
        QObject::connect(&timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* box = qobject_cast<QMessageBox*>(modal)) {
                texts << box->text();
                QAbstractButton* cancel = box->button(QMessageBox::Cancel);
                (cancel && !confirm ? cancel : box->button(QMessageBox::Ok))->click();
            } else if (auto* dialog = qobject_cast<VeDevSettingDialog*>(modal)) { // opened by the panel
                texts << dialog->findChild<QStackedWidget*>()->currentWidget()->objectName();
                dialog->reject();
            }
        });
        timer.start(10);
    }
    QStringList texts;
    bool confirm = true;
    QTimer timer;
};

template <class T> T* child(QWidget* dialog, const QString& name) {
    T* w = dialog->findChild<T*>(name);
    if (!w)
        qFatal("no widget %s", qPrintable(name));
    return w;
}
} // namespace

class TestDevSettingDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void pages_data();
    void pages();
    void videoWrites_data();
    void videoWrites();
    void sdAndEmail_data();
    void sdAndEmail();
    void wired_data();
    void wired();
    void wireless_data();
    void wireless();
    void restarts_data();
    void restarts();
    void networkOptions();
    void openOrFail_data();
    void openOrFail();

private:
    VeCameraModel* camera(const char* id) { return m_data->lanCenter->device(QLatin1String(id)); }
    int writes() { return m_sim.control(QStringLiteral("writes %1").arg(kLan)).mid(3).toInt(); }
    // Reads the records as the device panel does and opens the dialog on them.
    QPointer<VeDevSettingDialog> open(VeCameraModel* camera, int audioalarm = -1);
    // Clicks and returns the message that follows ("" when none comes before the dialog closes).
    QString click(QWidget* dialog, const char* button);
    void waitBack(const char* id);

    SimProcess m_sim;
    NxDataCenter* m_data = nullptr;
    QTranslator m_english;
    std::unique_ptr<Boxes> m_boxes;
};

void TestDevSettingDialog::initTestCase() {
    LogLines::install();
    QVERIFY(m_english.load(TvGlobal::translatorPathFor(1)));
    QApplication::installTranslator(&m_english);
    qputenv("KVAB_SDK_TIMEOUT_MS", "1500"); // a silent camera ends a wait quickly; a survey waits 1.5 s
    qputenv("KVAB_SDK_ANSWER_WAIT_MS", "3000");
    QVERIFY2(m_sim.start({"--clip-seconds", "2", "--reboot-ms", "2500", "--cameras",
                          QStringLiteral("lan:%1,lan:DS-LAN-02,cloud:%2").arg(kLan, kCloud)}),
             "simulator did not start");
    m_data = NxDataCenter::instance();
    QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan), 20000);
    m_boxes.reset(new Boxes);
}

QPointer<VeDevSettingDialog> TestDevSettingDialog::open(VeCameraModel* cam, int audioalarm) {
    VideoParam v{};
    SDInfo sd{};
    EmailInfo mail{};
    IPInfo ip{};
    WiFiInfo wifi{};
    qint32 onvif = -1, audio = -1;
    m_data->getVideoParam(cam, &v);
    m_data->getSDInfo(cam, &sd);
    m_data->getEmailInfo(cam, &mail);
    m_data->getIPInfo(cam, &ip);
    m_data->getWiFiInfo(cam, &wifi);
    m_data->getOnvifState(cam, &onvif, &audio);
    v.audioalarm = audioalarm < 0 ? v.audioalarm : audioalarm;
    QPointer<VeDevSettingDialog> dialog = new VeDevSettingDialog(cam, v, ip, wifi, sd, mail);
    dialog->setOnvifState(onvif, audio);
    dialog->show();
    return dialog;
}

QString TestDevSettingDialog::click(QWidget* dialog, const char* button) {
    const int before = m_boxes->texts.size();
    QPointer<QPushButton> sent = child<QPushButton>(dialog, QLatin1String(button));
    sent->click();
    // A question comes first; the answer to a write only once it is over (its button enabled again).
    if (!QTest::qWaitFor([&] { return !sent || (m_boxes->texts.size() > before && sent->isEnabled()); },
                         9000))
        qWarning() << "no message after" << button;
    return m_boxes->texts.size() > before ? m_boxes->texts.last() : QString();
}

void TestDevSettingDialog::waitBack(const char* id) {
    QTRY_VERIFY_WITH_TIMEOUT(
        m_sim.control(QStringLiteral("list")).contains(QLatin1String(id) + ":lan:online") &&
            m_data->lanCenter->contains(id),
        15000);
}

void TestDevSettingDialog::pages_data() {
    QTest::addColumn<bool>("lan");
    QTest::addColumn<int>("audioalarm");
    QTest::addColumn<int>("soundIndex"); // -1: the list is disabled
    QTest::addColumn<QStringList>("rows");
    const QStringList three = {tx("视频参数"), tx("SD卡设置"), tx("报警设置")};
    QTest::newRow("LAN, sound 7 is off")
        << true << 7 << 3
        << (QStringList{tx("有线设置"), tx("无线设置")} + three + QStringList{"ONVIF", tx("设备维护")});
    QTest::newRow("cloud, no sound detection") << false << 0 << -1 << three;
}

void TestDevSettingDialog::pages() {
    QFETCH(bool, lan);
    QFETCH(int, audioalarm);
    QFETCH(int, soundIndex);
    QFETCH(QStringList, rows);
    VeCameraModel cloud(kCloud, kCloud, "", "G711", 0, 0, "", "123456");
    const int before = writes();
    QPointer<VeDevSettingDialog> dialog = open(lan ? camera(kLan) : &cloud, audioalarm);
    auto* list = child<QListWidget>(dialog, "listWidget");
    QStringList shown;
    for (int i = 0; i < list->count(); ++i)
        shown << list->item(i)->text();
    QCOMPARE(shown, rows);
    QCOMPARE(child<QPushButton>(dialog, "pushBtn_format")->isEnabled(), lan);
    auto* sound = child<QComboBox>(dialog, "comboBox_audio_sence");
    QCOMPARE(sound->isEnabled() ? sound->currentIndex() : -1, soundIndex);
    if (!lan) { // refused even when asked directly
        QMetaObject::invokeMethod(dialog, "on_pushBtn_format_clicked");
        QCOMPARE(m_boxes->texts.last(), tx("设备不在局域网，无法格式化！"));
        delete dialog;
        return;
    }
    // The camera's 4G and switch answers add the page that shows them.
    QTRY_COMPARE(list->count(), rows.size() + 1);
    QCOMPARE(list->item(rows.size())->text(), tx("4G设置"));
    for (int row = 0; row < list->count(); ++row) {
        list->setCurrentRow(row);
        auto* stack = child<QStackedWidget>(dialog, "stackedWidget");
        dialog->grab().save(
            QStringLiteral("/work/briefs/shots/devset-%1.png").arg(stack->currentWidget()->objectName()));
    }
    QTest::qWait(300); // a write would have reached the camera by now
    QCOMPARE(writes(), before);
    delete dialog;
}

void TestDevSettingDialog::videoWrites_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("value"); // a list's text, or "click"
    QTest::addColumn<int>("field");     // index in VideoParam
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("count"); // writes the camera receives
    const struct {
        const char *tag, *control, *value;
        int field, expected, count;
    } rows[] = {{"sharp", "comboBox_sharp", "10", 3, 10, 1},
                {"bright", "comboBox_bright", "40", 2, 40, 1},
                {"contrast", "comboBox_contrast", "1", 1, 1, 1},
                {"saturation", "comboBox_saturation", "63", 0, 63, 1},
                {"frame rate", "comboBox_framerate", "30", 5, 30, 1},
                {"bit rate", "comboBox_rate", "2048", 6, 2048, 1},
                {"NTSC", "comboBox_frequency", "NTSC(60)", 8, 60, 1},
                {"VBR", "comboBox_cbrvbr", "VBR", 13, 1, 1},
                {"motion low", "comboBox_alarm", "低", 9, 2, 1},
                {"sound high", "comboBox_audio_sence", "高(60dB~70dB)", 10, 1, 1},
                {"PIR on", "checkBox_pir", "click", 12, 2, 1},
                {"reset", "pushBtn_video_reset", "click", 3, 38, 6}};
    for (const auto& r : rows)
        QTest::newRow(r.tag) << QString(r.control) << tx(r.value) << r.field << r.expected << r.count;
}

void TestDevSettingDialog::videoWrites() {
    QFETCH(QString, control);
    QFETCH(QString, value);
    QFETCH(int, field);
    QFETCH(int, expected);
    QFETCH(int, count);
    QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
    const int before = writes();
    if (value != QLatin1String("click"))
        child<QComboBox>(dialog, control)->setCurrentText(value);
    else if (auto* box = dialog->findChild<QCheckBox*>(control))
        box->click();
    else
        child<QPushButton>(dialog, control)->click();
    QTRY_COMPARE(writes(), before + count);
    VideoParam back{};
    QVERIFY(m_data->getVideoParam(camera(kLan), &back) >= 0);
    QCOMPARE(reinterpret_cast<const qint32*>(&back)[field], expected);
    QCOMPARE(reinterpret_cast<const qint32*>(&dialog->videoParam())[field], expected);
    if (count == 6) // the other five defaults too
        QCOMPARE(QVector<int>({back.bri, back.con, back.sat, back.rate, back.stream}),
                 QVector<int>({32, 32, 32, 25, 1024}));
    delete dialog;
}

void TestDevSettingDialog::sdAndEmail_data() {
    QTest::addColumn<QString>("edit"); // the line edit typed into
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("message"); // empty: written
    QTest::addColumn<QString>("smtp");    // the SMTP field after typing
    const char* split = "录像分割大小只能在5M至100M之间。";
    const char* mail = "pushBtn_email_ok";
    const QString cut = QString(11, QChar(0x5BC6)); // 33 bytes: 10 characters fit the 32-byte field
    const struct {
        const char *tag, *edit;
        QString text;
        const char *button, *message, *smtp;
    } rows[] = {
        {"split 4", "lineEdit_movie_split", "4", "pushBtn_sd_ok", split, ""},
        {"split 101", "lineEdit_movie_split", "101", "pushBtn_sd_ok", split, ""},
        {"split not a number", "lineEdit_movie_split", "abc", "pushBtn_sd_ok", split, ""},
        {"split 5", "lineEdit_movie_split", "5", "pushBtn_sd_ok", "", ""},
        {"split 100", "lineEdit_movie_split", "100", "pushBtn_sd_ok", "", ""},
        {"31-character sender, SMTP guess", "lineEdit_sender_email", "abcdefghijklmnopqrst@example.io", mail,
         "", "smtp.example.io"},
        {"no @, no guess", "lineEdit_sender_email", "abc", mail, "无效的发送者邮箱！", "smtp.example.io"},
        {"bad receiver", "lineEdit_receiver_email", "me@x", mail, "无效的接收者邮箱！", ""},
        {"separator in password", "lineEdit_sender_pwd", "pa;ss=1", mail, "输入的内容不能包含 ; 或 =", ""},
        {"long password cut", "lineEdit_sender_pwd", cut, mail, "", ""}};
    for (const auto& r : rows)
        QTest::newRow(r.tag) << QString(r.edit) << r.text << QString(r.button) << tx(r.message)
                             << QString(r.smtp);
}

void TestDevSettingDialog::sdAndEmail() {
    QFETCH(QString, edit);
    QFETCH(QString, text);
    QFETCH(QString, button);
    QFETCH(QString, message);
    QFETCH(QString, smtp);
    QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
    SDInfo sdBefore{};
    EmailInfo mailBefore{};
    m_data->getSDInfo(camera(kLan), &sdBefore);
    m_data->getEmailInfo(camera(kLan), &mailBefore);
    const int before = writes();
    child<QLineEdit>(dialog, edit)->setText(text);
    if (!smtp.isEmpty())
        QCOMPARE(child<QLineEdit>(dialog, "lineEdit_smtp_server")->text(), smtp);
    QCOMPARE(click(dialog, qPrintable(button)), message);
    QCOMPARE(writes(), before + (message.isEmpty() ? 1 : 0));
    SDInfo sd{};
    EmailInfo mail{};
    m_data->getSDInfo(camera(kLan), &sd);
    m_data->getEmailInfo(camera(kLan), &mail);
    QCOMPARE(child<QLineEdit>(dialog, edit)->text(), text); // the edit stays for a correction
    if (button == QLatin1String("pushBtn_sd_ok"))
        QCOMPARE(sd.splite, message.isEmpty() ? text.toInt() : sdBefore.splite);
    else if (message.isEmpty() && edit == QLatin1String("lineEdit_sender_email"))
        QCOMPARE(QString::fromUtf8(mail.sedemail) + QString::fromUtf8(mail.smtpser), text + smtp);
    else if (message.isEmpty())
        QCOMPARE(QString::fromUtf8(mail.pwd), text.left(10));
    else
        QCOMPARE(QByteArray(mail.pwd) + QByteArray(mail.sedemail),
                 QByteArray(mailBefore.pwd) + QByteArray(mailBefore.sedemail));
    delete dialog;
}

void TestDevSettingDialog::wired_data() {
    QTest::addColumn<bool>("dhcp");
    QTest::addColumn<QStringList>("addresses"); // IP, mask, gateway, DNS
    QTest::addColumn<QString>("message");
    const QString ok = tx("配置成功，设备正在重启");
    const QStringList good = {"192.168.1.77", "255.255.255.0", "192.168.1.1", "8.8.8.8"};
    QTest::newRow("manual, no IP") << false << QStringList{"", good[1], good[2], good[3]}
                                   << tx("无效的IP地址");
    QTest::newRow("mask of 3 parts") << false << QStringList{good[0], "255.255.0", good[2], good[3]}
                                     << tx("无效的子网掩码");
    QTest::newRow("gateway 256") << false << QStringList{good[0], good[1], "192.168.1.256", good[3]}
                                 << tx("无效的网关地址");
    QTest::newRow("no DNS") << false << QStringList{good[0], good[1], good[2], ""} << tx("无效的DNS");
    QTest::newRow("manual") << false << good << ok;
    QTest::newRow("DHCP") << true << QStringList{"", "", "", ""} << ok;
}

void TestDevSettingDialog::wired() {
    QFETCH(bool, dhcp);
    QFETCH(QStringList, addresses);
    QFETCH(QString, message);
    QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
    child<QRadioButton>(dialog, dhcp ? "radioBtn_dhcp" : "radioBtn_manule_ip")->click();
    const char* edits[] = {"lineEdit_ip", "lineEdit_mask", "lineEdit_gateway", "lineEdit_DNS"};
    for (int i = 0; i < 4 && !dhcp; ++i)
        child<MyIPLineEdit>(dialog, edits[i])->setText(addresses[i]);
    const int before = writes();
    QCOMPARE(click(dialog, "pushBtn_ip_ok"), message);
    if (message != tx("配置成功，设备正在重启")) {
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(writes(), before);
        delete dialog;
        return;
    }
    QTRY_VERIFY(!dialog);
    waitBack(kLan);
    IPInfo ip{};
    QVERIFY(m_data->getIPInfo(camera(kLan), &ip) >= 0);
    QCOMPARE(ip.flag, dhcp ? 1 : 0);
    if (!dhcp)
        QCOMPARE(QStringList({ip.ip, ip.mask, ip.gateway, ip.dns}), addresses);
}

void TestDevSettingDialog::wireless_data() {
    QTest::addColumn<QString>("fault"); // a simulator command before the survey
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("pwd");
    QTest::newRow("survey fails") << "surveyfail %1" << tx("搜索WiFi失败，请稍后再试") << "";
    QTest::newRow("survey silent") << "surveydelay 5000" << tx("搜索WiFi失败，请稍后再试") << "";
    QTest::newRow("separator in password") << "" << tx("输入的内容不能包含 ; 或 =") << "a=b";
    QTest::newRow("apply after a survey") << "" << tx("配置成功，设备正在重启，请拔掉网线") << "wifisecret";
}

void TestDevSettingDialog::wireless() {
    QFETCH(QString, fault);
    QFETCH(QString, message);
    QFETCH(QString, pwd);
    m_sim.control(
        QStringLiteral("survey %1 sid=Home;enc=WPA2;signal=80:sid=Cafe;enc=NONE;signal=40:").arg(kLan));
    if (!fault.isEmpty())
        QVERIFY(m_sim.control(withId(fault)).startsWith("ok"));
    QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
    dialog->showWirelessPage();
    QCOMPARE(child<QStackedWidget>(dialog, "stackedWidget")->currentWidget()->objectName(),
             QString("page_wifi"));
    child<QGroupBox>(dialog, "groupBox_wifi")->setChecked(true); // the survey belongs to enabled Wi-Fi
    auto* scan = child<QPushButton>(dialog, "pushBtn_scan");
    scan->click();
    QVERIFY(!scan->isEnabled());
    if (!fault.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(m_boxes->texts.value(m_boxes->texts.size() - 1), message, 9000);
        QTRY_VERIFY(scan->isEnabled());
        m_sim.control(QStringLiteral("surveyfail %1 off").arg(kLan));
        m_sim.control(QStringLiteral("surveydelay 0"));
        delete dialog;
        return;
    }
    auto* ssid = child<QComboBox>(dialog, "comboBox_ssid");
    QTRY_VERIFY_WITH_TIMEOUT(scan->isEnabled(), 9000);
    QCOMPARE(ssid->itemText(0) + ssid->itemText(1), QStringLiteral("[80%]Home[40%]Cafe"));
    QCOMPARE(child<QLabel>(dialog, "label_ssidNum")->text(), QStringLiteral("2"));
    ssid->setCurrentIndex(0);
    child<QLineEdit>(dialog, "lineEdit_wifi_pwd")->setText(pwd);
    QCOMPARE(click(dialog, "pushBtn_wifi_ok"), message);
    if (dialog) {
        delete dialog;
        return;
    }
    waitBack(kLan);
    WiFiInfo wifi{};
    QVERIFY(m_data->getWiFiInfo(camera(kLan), &wifi) >= 0);
    QCOMPARE(QString::fromUtf8(wifi.sid) + QString::number(wifi.open), QStringLiteral("Home1"));
    QVERIFY(!LogLines::contains(pwd));
}

void TestDevSettingDialog::restarts_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<QString>("message"); // the last box
    QTest::addColumn<bool>("restarts");
    QTest::newRow("reboot cancelled") << "pushBtn_reboot" << false << tx("确定要重启设备？") << false;
    QTest::newRow("sync time") << "pushBtn_sync_time" << true << tx("同步时间成功。") << false;
    QTest::newRow("format") << "pushBtn_format" << true << tx("格式化成功，设备正在重启...") << false;
    QTest::newRow("ONVIF") << "pushBtn_onvif_ok" << true << tx("设置成功，设备正在重启，大概需要2分钟...")
                           << false;
    QTest::newRow("reboot") << "pushBtn_reboot" << true << tx("设备正在重启，大概需要一分钟。") << true;
    QTest::newRow("firmware") << "pushBtn_update_firmware" << true
                              << tx("正在升级固件，升级过程大约需要3分钟...") << true;
    QTest::newRow("factory reset") << "pushBtn_reset_default" << true
                                   << tx("恢复出厂设置成功，设备正在重启，大概需要一分钟。") << true;
}

void TestDevSettingDialog::restarts() {
    QFETCH(QString, button);
    QFETCH(bool, confirm);
    QFETCH(QString, message);
    QFETCH(bool, restarts);
    waitBack(kLan);
    QVERIFY(m_data->setVideoParam(camera(kLan), 67, 12) >= 0); // a reset brings back 38
    QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
    child<QComboBox>(dialog, "comboBox_onvif")->setCurrentIndex(1);
    const int before = writes();
    m_boxes->confirm = confirm;
    QCOMPARE(click(dialog, qPrintable(button)), message);
    m_boxes->confirm = true;
    QTRY_COMPARE(bool(dialog), !confirm || button == QLatin1String("pushBtn_sync_time"));
    QCOMPARE(writes() > before, confirm && button != QLatin1String("pushBtn_sync_time"));
    delete dialog;
    if (restarts)
        QVERIFY(m_sim.control(QStringLiteral("list")).contains(QLatin1String(kLan) + ":lan:rebooting"));
    waitBack(kLan);
    VideoParam v{};
    SDInfo sd{};
    qint32 onvif = -1, audio = -1;
    m_data->getVideoParam(camera(kLan), &v);
    m_data->getSDInfo(camera(kLan), &sd);
    m_data->getOnvifState(camera(kLan), &onvif, &audio);
    QCOMPARE(v.sha, button == QLatin1String("pushBtn_reset_default") ? 38 : 12);
    if (button == QLatin1String("pushBtn_format"))
        QCOMPARE(sd.use, 0);
    if (button == QLatin1String("pushBtn_onvif_ok"))
        QCOMPARE(onvif, 1);
}

void TestDevSettingDialog::networkOptions() {
    waitBack(kLan);
    QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
    QTRY_COMPARE(child<QListWidget>(dialog, "listWidget")->count(), 8);
    child<QGroupBox>(dialog, "groupBox_connectAP")->setChecked(true);
    QCOMPARE(click(dialog, "pushButton_4G_apply"), tx("SSID不能为空！"));
    child<QLineEdit>(dialog, "lineEdit_connectAP_ssid")->setText("Hot1");
    child<QCheckBox>(dialog, "checkBox_control_2")->setChecked(true);
    QCOMPARE(click(dialog, "pushButton_4G_apply"), tx("配置成功"));
    delete dialog;
    // A new dialog shows what the camera now reports.
    dialog = open(camera(kLan));
    QTRY_COMPARE(child<QLineEdit>(dialog, "lineEdit_connectAP_ssid")->text(), QStringLiteral("Hot1"));
    QTRY_VERIFY(child<QCheckBox>(dialog, "checkBox_control_2")->isChecked());
    QVERIFY(child<QGroupBox>(dialog, "groupBox_connectAP")->isChecked());
    delete dialog;
}

void TestDevSettingDialog::openOrFail_data() {
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("button"); // empty: opening through the device panel
    QTest::addColumn<QString>("message");
    const struct {
        const char *tag, *fault, *button, *message;
    } rows[] = {{"opens on the wireless page", "", "", "page_wifi"},
                {"silent on opening", "dropreplies 1", "", "读取设备参数失败，请稍后再试"},
                {"gone on opening", "offline %1", "", "读取设备参数失败，请稍后再试"},
                {"silent SD write", "dropreplies 1", "pushBtn_sd_ok", "配置失败，请稍后再试"},
                {"silent format", "dropreplies 1", "pushBtn_format", "格式化失败！"},
                {"gone, e-mail", "offline %1", "pushBtn_email_ok", "配置失败，请稍后再试"}};
    for (const auto& r : rows)
        QTest::newRow(r.tag) << QString(r.fault) << QString(r.button) << tx(r.message);
}

void TestDevSettingDialog::openOrFail() {
    QFETCH(QString, fault);
    QFETCH(QString, button);
    QFETCH(QString, message);
    waitBack(kLan);
    VeCameraModel* cam = camera(kLan);
    QWidget window;
    TvDeviceActions actions(&window);
    QPointer<VeDevSettingDialog> dialog = button.isEmpty() ? nullptr : open(cam);
    if (dialog)
        child<QLineEdit>(dialog, "lineEdit_sender_pwd")->setText("x"); // the e-mail apply needs a change
    const int before = m_boxes->texts.size();
    QVERIFY(fault.isEmpty() || m_sim.control(withId(fault)).startsWith("ok"));
    if (dialog) {
        click(dialog, qPrintable(button));
    } else {
        bool accepted = false;
        actions.deviceSetting(cam, true, [&](VeCameraModel*) { accepted = true; });
        QVERIFY(QApplication::overrideCursor()); // waiting, and the event loop still runs below
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), 9000);
        QVERIFY(!accepted);
    }
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes->texts.value(qMax(before, m_boxes->texts.size() - 1)), message, 9000);
    if (dialog) // open, edits intact
        QVERIFY(dialog->isVisible() && child<QLineEdit>(dialog, "lineEdit_sender_pwd")->text() == "x");
    delete dialog;
    m_sim.control(QStringLiteral("online %1").arg(kLan));
}

QTEST_MAIN(TestDevSettingDialog)
#include "test_devsettingdialog.moc"
