// The device settings dialog end to end against the simulator's cameras: every write is checked at the
// camera (records, write counter, reboot), every refusal by its message and by nothing reaching it.
#include "DeviceDialogFixture.h"
#include "MyIPLineEdit.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "TvDeviceActions.h"
#include "VeCameraModel.h"
#include "VeDevSettingDialog.h"
#include "pcQuorvane.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <functional>

namespace {
const char kLan[] = "DS-LAN-01";
const char kCloud[] = "DS-CLD-01";
const auto kCtx = "VeDevSettingDialog";

QString tx(const char* source) {
    return ::tx(kCtx, source);
}

QString withId(const QString& command) {
    return command.contains(QLatin1Char('%')) ? command.arg(kLan) : command;
}

using Edit = std::function<void(QWidget*)>;
using Read = std::function<QString()>;
} // namespace
Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Read)

class TestDevSettingDialog : public QObject, DeviceDialogFixture {
    Q_OBJECT
private:
    VeCameraModel* camera(const char* id) { return m_data->lanCenter->device(QLatin1String(id)); }
    // A record as the camera reports it now.
    template <class R>
    R get(qint32 (NxDataCenter::*read)(VeCameraModel*, R*), VeCameraModel* from = nullptr) {
        R r{};
        (m_data->*read)(from ? from : camera(kLan), &r);
        return r;
    }
    // Reads the records as the device panel does and opens the dialog on them.
    QPointer<VeDevSettingDialog> open(VeCameraModel* cam, int audioalarm = -1) {
        VideoParam v = get(&NxDataCenter::getVideoParam, cam);
        v.audioalarm = audioalarm < 0 ? v.audioalarm : audioalarm;
        qint32 onvif = -1, audio = -1;
        m_data->getOnvifState(cam, &onvif, &audio);
        QPointer<VeDevSettingDialog> dialog = new VeDevSettingDialog(
            cam, v, get(&NxDataCenter::getIPInfo, cam), get(&NxDataCenter::getWiFiInfo, cam),
            get(&NxDataCenter::getSDInfo, cam), get(&NxDataCenter::getEmailInfo, cam));
        dialog->setOnvifState(onvif, audio);
        dialog->show();
        return dialog;
    }

    // Clicks and returns the message that follows ("" when none comes before the dialog closes).
    QString click(QWidget* dialog, const char* button) {
        const int before = m_boxes->texts.size();
        QPointer<QPushButton> sent = child<QPushButton>(dialog, QLatin1String(button));
        sent->click();
        // A question comes first; the answer to a write only once it is over (its button enabled again).
        if (!QTest::qWaitFor([&] { return !sent || (m_boxes->texts.size() > before && sent->isEnabled()); },
                             9000))
            qWarning() << "no message after" << button;
        return m_boxes->texts.size() > before ? m_boxes->texts.last() : QString();
    }

    void waitBack(const char* id) {
        QTRY_VERIFY_WITH_TIMEOUT(
            m_sim.control(QStringLiteral("list")).contains(QLatin1String(id) + ":lan:online") &&
                m_data->lanCenter->contains(id),
            15000);
    }

private slots:
    void initTestCase() {
        qputenv("KVAB_SDK_TIMEOUT_MS", "1500"); // a silent camera ends a wait quickly; a survey waits 1.5 s
        qputenv("KVAB_SDK_ANSWER_WAIT_MS", "3000");
        QVERIFY2(start({"--clip-seconds", "2", "--reboot-ms", "2500", "--cameras",
                        QStringLiteral("lan:%1,lan:DS-LAN-02,cloud:%2").arg(kLan, kCloud)}),
                 "simulator did not start");
        m_data = NxDataCenter::instance();
        QTRY_VERIFY_WITH_TIMEOUT(m_data->lanCenter->contains(kLan), 20000);
    }

    void pages_data() {
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

    void pages() {
        QFETCH(bool, lan);
        QFETCH(int, audioalarm);
        QFETCH(int, soundIndex);
        QFETCH(QStringList, rows);
        VeCameraModel cloud(kCloud, kCloud, "", "G711", 0, 0, "", "123456");
        const int before = writes(kLan);
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
            shoot(dialog, QStringLiteral("devset-") + stack->currentWidget()->objectName());
        }
        QTest::qWait(300); // a write would have reached the camera by now
        QCOMPARE(writes(kLan), before);
        delete dialog;
    }

    void apply_data() {
        QTest::addColumn<Edit>("edit");      // on the open dialog, before the click
        QTest::addColumn<QString>("button"); // clicked; none: the edit writes at once
        // A simulator command before the click; "cancel": the question is declined; "restart": the camera
        // restarts after it (goes away, then comes back).
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message"); // the last box
        QTest::addColumn<int>("writes");      // that reach the camera
        QTest::addColumn<Read>("read");       // the camera's state after it, when given
        QTest::addColumn<QString>("expected");
        const auto text = [](const char* name, const QString& value) {
            return Edit([=](QWidget* d) { child<QLineEdit>(d, name)->setText(value); });
        };
        const auto manual = [](const QStringList& addresses) {
            return Edit([=](QWidget* d) {
                child<QRadioButton>(d, "radioBtn_manule_ip")->click();
                const char* edits[] = {"lineEdit_ip", "lineEdit_mask", "lineEdit_gateway", "lineEdit_DNS"};
                for (int i = 0; i < 4; ++i)
                    child<MyIPLineEdit>(d, edits[i])->setText(addresses[i]);
            });
        };
        const auto survey = [](const QString& pwd) {
            return Edit([=](QWidget* d) {
                child<QGroupBox>(d, "groupBox_wifi")->setChecked(true); // the survey belongs to enabled Wi-Fi
                child<QPushButton>(d, "pushBtn_scan")->click();
                auto* ssid = child<QComboBox>(d, "comboBox_ssid");
                QVERIFY(QTest::qWaitFor([=] { return ssid->count() == 2; }, 9000));
                QCOMPARE(ssid->itemText(0) + ssid->itemText(1), QStringLiteral("[80%]Home[40%]Cafe"));
                QCOMPARE(child<QLabel>(d, "label_ssidNum")->text(), QStringLiteral("2"));
                child<QLineEdit>(d, "lineEdit_wifi_pwd")->setText(pwd);
            });
        };
        const auto hotspot = [](const QString& ssid) {
            return Edit([=](QWidget* d) {
                child<QGroupBox>(d, "groupBox_connectAP")->setChecked(true);
                child<QLineEdit>(d, "lineEdit_connectAP_ssid")->setText(ssid);
                child<QCheckBox>(d, "checkBox_control_2")->setChecked(true);
            });
        };
        const Read split = [this] { return QString::number(get(&NxDataCenter::getSDInfo).splite); };
        const Read sender = [this] {
            const EmailInfo e = get(&NxDataCenter::getEmailInfo);
            return QString::fromUtf8(e.sedemail) + " " + e.smtpser;
        };
        const Read pwd = [this] { return QString::fromUtf8(get(&NxDataCenter::getEmailInfo).pwd); };
        const Read wired = [this] {
            const IPInfo i = get(&NxDataCenter::getIPInfo);
            return QStringList({QString::number(i.flag), i.ip, i.mask, i.gateway, i.dns}).join(' ');
        };
        const Read wifi = [this] {
            const WiFiInfo w = get(&NxDataCenter::getWiFiInfo);
            return QString::fromUtf8(w.sid) + QString::number(w.open);
        };
        const Read after = [this] { // sharpness (12 before a reset), onvif, SD use, hotspot at a new dialog
            qint32 onvif = -1, audio = -1;
            m_data->getOnvifState(camera(kLan), &onvif, &audio);
            QPointer<VeDevSettingDialog> d = open(camera(kLan));
            auto* ssid = child<QLineEdit>(d, "lineEdit_connectAP_ssid");
            (void)QTest::qWaitFor([=] { return !ssid->text().isEmpty(); }, 2000);
            const QString out = QStringLiteral("%1 %2 %3 %4")
                                    .arg(get(&NxDataCenter::getVideoParam).sha)
                                    .arg(onvif)
                                    .arg(get(&NxDataCenter::getSDInfo).use)
                                    .arg(ssid->text());
            delete d;
            return out;
        };
        const Edit everyVideoControl = [](QWidget* d) { // each to a value its field holds apart
            const char* picks[][2] = {
                {"comboBox_sharp", "10"},           {"comboBox_bright", "40"},
                {"comboBox_contrast", "1"},         {"comboBox_saturation", "63"},
                {"comboBox_framerate", "30"},       {"comboBox_rate", "2048"},
                {"comboBox_frequency", "NTSC(60)"}, {"comboBox_cbrvbr", "VBR"},
                {"comboBox_alarm", "低"},           {"comboBox_audio_sence", "高(60dB~70dB)"}};
            for (const auto& pick : picks)
                child<QComboBox>(d, pick[0])->setCurrentText(tx(pick[1]));
            child<QAbstractButton>(d, "checkBox_pir")->click();
        };
        const auto press = [](const char* name) {
            return Edit([=](QWidget* d) { child<QAbstractButton>(d, name)->click(); });
        };
        const auto video = [this](std::initializer_list<int> fields) { // by their places in VideoParam
            const QVector<int> places(fields);
            return Read([=] {
                const VideoParam v = get(&NxDataCenter::getVideoParam);
                QStringList values;
                for (int field : places)
                    values << QString::number(reinterpret_cast<const qint32*>(&v)[field]);
                return values.join(' ');
            });
        };
        const Edit none = [](QWidget*) {};
        const Edit onvifOff = [](QWidget* d) { child<QComboBox>(d, "comboBox_onvif")->setCurrentIndex(1); };
        const QString splitRange = tx("录像分割大小只能在5M至100M之间。");
        const QString separators = tx("输入的内容不能包含 ; 或 =");
        const QStringList good = {"192.168.1.77", "255.255.255.0", "192.168.1.1", "8.8.8.8"};
        const auto row = [&](const char* tag, const Edit& edit, const char* button, const QString& message,
                             int writes, const Read& read = Read(), const QString& expected = QString(),
                             const char* fault = "") {
            QTest::newRow(tag) << edit << QString(button) << QString(fault) << message << writes << read
                               << expected;
        };
        row("every video control", everyVideoControl, "", "", 11, video({3, 2, 1, 0, 5, 6, 8, 13, 9, 10, 12}),
            "10 40 1 63 30 2048 60 1 2 1 2");
        row("video defaults, in one go", press("pushBtn_video_reset"), "", "", 6, video({3, 2, 1, 0, 5, 6}),
            "38 32 32 32 25 1024");
        row("split 4", text("lineEdit_movie_split", "4"), "pushBtn_sd_ok", splitRange, 0);
        row("split 101", text("lineEdit_movie_split", "101"), "pushBtn_sd_ok", splitRange, 0);
        row("split not a number", text("lineEdit_movie_split", "x"), "pushBtn_sd_ok", splitRange, 0);
        row("split 5", text("lineEdit_movie_split", "5"), "pushBtn_sd_ok", "", 1, split, "5");
        row("split 100", text("lineEdit_movie_split", "100"), "pushBtn_sd_ok", "", 1, split, "100");
        row("31-character sender, SMTP guess",
            text("lineEdit_sender_email", "abcdefghijklmnopqrst@example.io"), "pushBtn_email_ok", "", 1,
            sender, "abcdefghijklmnopqrst@example.io smtp.example.io");
        row("no @: no guess, refused", text("lineEdit_sender_email", "abc"), "pushBtn_email_ok",
            tx("无效的发送者邮箱！"), 0, sender, "abcdefghijklmnopqrst@example.io smtp.example.io");
        row("bad receiver", text("lineEdit_receiver_email", "me@x"), "pushBtn_email_ok",
            tx("无效的接收者邮箱！"), 0);
        row("separator in password", text("lineEdit_sender_pwd", "pa;ss=1"), "pushBtn_email_ok", separators,
            0);
        // 11 three-byte characters: 10 fit the 32-byte field, the cut never falls inside one.
        row("long password cut", text("lineEdit_sender_pwd", QString(11, QChar(0x5BC6))), "pushBtn_email_ok",
            "", 1, pwd, QString(10, QChar(0x5BC6)));
        row("manual, no IP", manual({"", good[1], good[2], good[3]}), "pushBtn_ip_ok", tx("无效的IP地址"), 0);
        row("mask of 3 parts", manual({good[0], "255.255.0", good[2], good[3]}), "pushBtn_ip_ok",
            tx("无效的子网掩码"), 0);
        row("gateway 256", manual({good[0], good[1], "192.168.1.256", good[3]}), "pushBtn_ip_ok",
            tx("无效的网关地址"), 0);
        row("no DNS", manual({good[0], good[1], good[2], ""}), "pushBtn_ip_ok", tx("无效的DNS"), 0);
        row("manual address", manual(good), "pushBtn_ip_ok", tx("配置成功，设备正在重启"), 1, wired,
            "0 " + good.join(' '), "restart");
        row("DHCP", press("radioBtn_dhcp"), "pushBtn_ip_ok", tx("配置成功，设备正在重启"), 1, wired,
            "1 " + good.join(' '), "restart");
        row("Wi-Fi password with =", survey("a=b"), "pushBtn_wifi_ok", separators, 0);
        row("Wi-Fi after a survey", survey("wifisecret"), "pushBtn_wifi_ok",
            tx("配置成功，设备正在重启，请拔掉网线"), 1, wifi, "Home1", "restart");
        row("hotspot without SSID", hotspot(""), "pushButton_4G_apply", tx("SSID不能为空！"), 0);
        row("reboot declined", none, "pushBtn_reboot", tx("确定要重启设备？"), 0, after, "12 0 1210 ",
            "cancel");
        row("sync time", none, "pushBtn_sync_time", tx("同步时间成功。"), 0);
        row("hotspot", hotspot("Hot1"), "pushButton_4G_apply", tx("配置成功"), 0, after, "12 0 1210 Hot1");
        row("ONVIF", onvifOff, "pushBtn_onvif_ok", tx("设置成功，设备正在重启，大概需要2分钟..."), 2, after,
            "12 1 1210 Hot1");
        row("format", none, "pushBtn_format", tx("格式化成功，设备正在重启..."), 1, after, "12 1 0 Hot1");
        row("reboot", none, "pushBtn_reboot", tx("设备正在重启，大概需要一分钟。"), 1, after, "12 1 0 Hot1",
            "restart");
        row("firmware", none, "pushBtn_update_firmware", tx("正在升级固件，升级过程大约需要3分钟..."), 1,
            after, "12 1 0 Hot1", "restart");
        row("factory reset", none, "pushBtn_reset_default",
            tx("恢复出厂设置成功，设备正在重启，大概需要一分钟。"), 1, after, "38 0 1210 ", "restart");
        const QString failed = tx("配置失败，请稍后再试");
        row("silent SD write", none, "pushBtn_sd_ok", failed, 1, Read(), "", "dropreplies 1");
        row("silent format", none, "pushBtn_format", tx("格式化失败！"), 1, Read(), "", "dropreplies 1");
        row("gone, e-mail", text("lineEdit_sender_pwd", "x"), "pushBtn_email_ok", failed, 0, Read(), "",
            "offline %1");
    }

    void apply() {
        QFETCH(Edit, edit);
        QFETCH(QString, button);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(int, writes);
        QFETCH(Read, read);
        QFETCH(QString, expected);
        waitBack(kLan);
        QVERIFY(m_data->setVideoParam(camera(kLan), 67, 12) >= 0); // a factory reset brings back 38
        m_sim.control(
            QStringLiteral("survey %1 sid=Home;enc=WPA2;signal=80:sid=Cafe;enc=NONE;signal=40:").arg(kLan));
        QPointer<VeDevSettingDialog> dialog = open(camera(kLan));
        const int before = this->writes(kLan);
        edit(dialog);
        const bool restarts = fault == QLatin1String("restart");
        m_boxes->confirm = fault != QLatin1String("cancel");
        if (fault.contains(' '))
            QVERIFY(m_sim.control(withId(fault)).startsWith("ok"));
        if (button.isEmpty())
            QTRY_COMPARE(this->writes(kLan) - before, writes);
        else
            QCOMPARE(click(dialog, qPrintable(button)), message);
        m_boxes->confirm = true;
        if (restarts)
            QVERIFY(dialog.isNull() &&
                    m_sim.control("list").contains(QLatin1String(kLan) + ":lan:rebooting"));
        QCOMPARE(this->writes(kLan) - before, writes);
        if (fault.contains(' ') || writes == 0 || button.isEmpty()) // failures and refusals keep the dialog
            QVERIFY(dialog && dialog->isVisible());
        delete dialog;
        m_sim.control(QStringLiteral("online %1").arg(kLan));
        if (read) {
            waitBack(kLan);
            QCOMPARE(read(), expected);
        }
    }

    void openOrFail_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("survey"); // else opened through the device panel
        QTest::addColumn<QString>("message");
        const struct {
            const char *tag, *fault;
            bool survey;
            const char* message;
        } rows[] = {{"opens on the wireless page", "", false, "page_wifi"},
                    {"silent on opening", "dropreplies 1", false, "读取设备参数失败，请稍后再试"},
                    {"gone on opening", "offline %1", false, "读取设备参数失败，请稍后再试"},
                    {"survey fails", "surveyfail %1", true, "搜索WiFi失败，请稍后再试"},
                    {"survey silent", "surveydelay 5000", true, "搜索WiFi失败，请稍后再试"}};
        for (const auto& r : rows)
            QTest::newRow(r.tag) << QString(r.fault) << r.survey << tx(r.message);
    }

    void openOrFail() {
        QFETCH(QString, fault);
        QFETCH(bool, survey);
        QFETCH(QString, message);
        waitBack(kLan);
        VeCameraModel* cam = camera(kLan);
        QVERIFY(fault.isEmpty() || m_sim.control(withId(fault)).startsWith("ok"));
        if (survey) {
            QPointer<VeDevSettingDialog> dialog = open(cam);
            child<QGroupBox>(dialog, "groupBox_wifi")->setChecked(true);
            QCOMPARE(click(dialog, "pushBtn_scan"), message); // and the button is back
            delete dialog;
        } else {
            QWidget window;
            TvDeviceActions actions(&window);
            bool accepted = false;
            const int before = m_boxes->texts.size();
            actions.deviceSetting(cam, true, [&](VeCameraModel*) { accepted = true; });
            QVERIFY(QApplication::overrideCursor()); // waiting, and the event loop still runs below
            QTRY_VERIFY_WITH_TIMEOUT(!QApplication::overrideCursor(), 9000);
            QTRY_COMPARE(m_boxes->texts.value(before), message);
            QVERIFY(!accepted);
        }
        m_sim.control(QStringLiteral("online %1").arg(kLan));
        m_sim.control(QStringLiteral("surveyfail %1 off").arg(kLan));
        m_sim.control(QStringLiteral("surveydelay 0"));
    }

    void passwordsStayOutOfTheLog() {
        for (const QString& pwd : {QStringLiteral("wifisecret"), QString(10, QChar(0x5BC6))})
            QVERIFY2(!LogLines::contains(pwd), qPrintable(pwd));
    }
};

QTEST_MAIN(TestDevSettingDialog)
#include "test_devsettingdialog.moc"
