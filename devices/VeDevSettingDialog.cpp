#include "VeDevSettingDialog.h"

#include "ui_VeDevSettingDialog.h"

#include "NxAlarmCenter.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxWiFiSSIDCenter.h"
#include "TvDevSettingForm.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QDebug>
#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

namespace Form = TvDevSettingForm;

namespace {
// Stacked page order of the form.
enum Page { PageWired, PageWireless, PageVideo, PageSD, PageAlarm, PageOnvif, PageSystem, Page4G };
} // namespace

VeDevSettingDialog::VeDevSettingDialog(VeCameraModel* camera, VideoParam videoParam, IPInfo ipInfo,
                                       WiFiInfo wifiInfo, SDInfo sdInfo, EmailInfo emailInfo, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeDevSettingDialog), m_camera(camera), m_videoParam(videoParam),
      m_ipInfo(ipInfo), m_wifiInfo(wifiInfo), m_sdInfo(sdInfo), m_emailInfo(emailInfo) {
    loading = true; // the form's own set-up must not write either
    ui->setupUi(this);
    initTitleBar();
    m_deviceId = camera ? camera->deviceId : QString();
    lanOnline = camera && camera->isLanOnline();
    buildPageList();
    Form::fillWired(ui.get(), m_ipInfo);
    Form::fillWireless(ui.get(), m_wifiInfo);
    Form::fillVideo(ui.get(), &m_videoParam, QString());
    Form::fillSD(ui.get(), m_sdInfo, lanOnline);
    Form::fillEmail(ui.get(), m_emailInfo);
    ui->pushBtn_email_ok->setEnabled(false);
    ui->pushBtn_onvif_ok->setEnabled(false);
    m_titleBar->setTitleContent(tr("设备设置"), 9);
    connect(ui->label_IE_addr, &QLabel::linkActivated, this, &VeDevSettingDialog::openIEAddressSlot);
    connect(ui->label_rtsp_addr, &QLabel::linkActivated, this, &VeDevSettingDialog::openIEAddressSlot);
    NxDataCenter* data = NxDataCenter::instance();
    connect(data->alarmCenter, &NxAlarmCenter::alarmDataSignal, this, &VeDevSettingDialog::alarmDataSlot);
    connect(data->wifiSsidCenter, &NxWiFiSSIDCenter::searchFailedSignal, this,
            &VeDevSettingDialog::searchFailedSlot);
    connect(data->wifiSsidCenter, &NxWiFiSSIDCenter::searchSucceedSignal, this,
            &VeDevSettingDialog::searchSucceedSlot);
    loading = false;
    // The 4G, hotspot and switch states come back later as alarm-channel reports.
    if (camera)
        data->runInBackground([data, camera] { data->sendCmd110(camera); });
}

VeDevSettingDialog::~VeDevSettingDialog() {
    if (m_surveying) // an answer after this would find no one
        NxDataCenter::instance()->wifiSsidCenter->stopSearch();
}

void VeDevSettingDialog::buildPageList() {
    if (lanOnline) {
        addRow(tr("有线设置"), PageWired);
        addRow(tr("无线设置"), PageWireless);
    }
    addRow(tr("视频参数"), PageVideo);
    addRow(tr("SD卡设置"), PageSD);
    addRow(tr("报警设置"), PageAlarm);
    if (lanOnline) {
        addRow(QStringLiteral("ONVIF"), PageOnvif);
        addRow(tr("设备维护"), PageSystem);
    }
    ui->listWidget->setCurrentRow(0);
}

void VeDevSettingDialog::addRow(const QString& text, int page) {
    auto* item = new QListWidgetItem(text, ui->listWidget); // owned by the list
    item->setSizeHint(QSize(60, 35));
    m_rowPages.append(page);
}

void VeDevSettingDialog::setOnvifState(qint32 onvif, qint32 onvifaudio) {
    loading = true;
    m_onvif = onvif;
    m_onvifAudio = onvifaudio;
    const struct {
        QComboBox* box;
        qint32 value;
    } lists[] = {{ui->comboBox_onvif, onvif}, {ui->comboBox_onvif_audio, onvifaudio}};
    for (const auto& l : lists) {
        l.box->setEnabled(l.value != -1);
        if (l.value >= 0 && l.value < l.box->count())
            l.box->setCurrentIndex(l.value);
    }
    ui->pushBtn_onvif_ok->setEnabled(false);
    loading = false;
}

void VeDevSettingDialog::setResolution(const QString& resolution) {
    loading = true;
    ui->comboBox_resolution->clear();
    ui->comboBox_resolution->addItem(resolution.isEmpty() ? QStringLiteral("1280x720") : resolution);
    loading = false;
}

void VeDevSettingDialog::showWirelessPage() {
    const int row = m_rowPages.indexOf(PageWireless);
    if (row >= 0)
        ui->listWidget->setCurrentRow(row);
}

// ---- Shared write path ----

void VeDevSettingDialog::write(QPushButton* button, std::function<qint32()> work,
                               std::function<void(qint32)> done) {
    if (!m_camera) {
        qWarning() << "device settings: the camera is gone, nothing written";
        done(-1);
        return;
    }
    const QPointer<QPushButton> guard(button);
    if (button)
        button->setEnabled(false); // no second send while the camera answers
    TvDialogSupport::runJob(this, std::move(work), [guard, done](qint32 result) {
        if (guard)
            guard->setEnabled(true);
        done(result);
    });
}

bool VeDevSettingDialog::confirm(const QString& text) {
    QMessageBox box(QMessageBox::Warning, tr("提示"), text, QMessageBox::Ok | QMessageBox::Cancel, this);
    return box.exec() == QMessageBox::Ok;
}

void VeDevSettingDialog::finishRestart(qint32 result, const QString& success, const QString& failure,
                                       bool refreshLan) {
    if (result < 0) {
        qWarning() << "device settings write failed" << result;
        TvDialogSupport::notice(this, failure);
        return;
    }
    TvDialogSupport::notice(this, success);
    if (refreshLan)
        NxDataCenter::instance()->lanCenter->refreshLan(3);
    accept();
}

bool VeDevSettingDialog::refuseSeparators(const QStringList& texts) {
    for (const QString& text : texts) {
        if (TvDialogSupport::breaksRecord(text)) {
            qWarning() << "device settings: a text with ';' or '=' refused";
            TvDialogSupport::notice(this, tr("输入的内容不能包含 ; 或 ="));
            return true;
        }
    }
    return false;
}

// ---- Alarm-channel answers and the survey ----

void VeDevSettingDialog::alarmDataSlot(int type, QString text1, QString text2, int value) {
    if (type < 2003 || type > 2006 || (!text1.isEmpty() && text1 != m_deviceId))
        return;
    loading = true;
    if (type == 2003) {
        ui->checkBox_4G->setChecked(value == 1);
    } else if (type == 2004) {
        ui->groupBox_connectAP->setChecked(value == 1);
        ui->lineEdit_connectAP_ssid->setText(text2);
    } else {
        (type == 2005 ? ui->checkBox_control_1 : ui->checkBox_control_2)->setChecked(value != 0);
    }
    loading = false;
    // Only a camera that answers has the 4G and hotspot options, so only then is the page offered.
    if (!m_rowPages.contains(Page4G))
        addRow(tr("4G设置"), Page4G);
}

void VeDevSettingDialog::searchFailedSlot() {
    if (!m_surveying)
        return;
    m_surveying = false;
    ui->pushBtn_scan->setEnabled(true);
    TvDialogSupport::notice(this, tr("搜索WiFi失败，请稍后再试"));
}

void VeDevSettingDialog::searchSucceedSlot(QList<VeSSIDInfoObject*> list) {
    for (VeSSIDInfoObject* network : list)
        network->deleteLater(); // the receiver owns them
    if (!m_surveying)
        return;
    m_surveying = false;
    ui->comboBox_ssid->clear();
    for (const VeSSIDInfoObject* network : list)
        ui->comboBox_ssid->addItem(QStringLiteral("[%1%]%2").arg(network->signal).arg(network->name),
                                   network->name);
    ui->label_ssidNum->setText(QString::number(list.size()));
    ui->pushBtn_scan->setEnabled(true);
}

void VeDevSettingDialog::openIEAddressSlot(QString address) {
    QDesktopServices::openUrl(QUrl(address));
}

void VeDevSettingDialog::on_listWidget_currentRowChanged(int row) {
    const int page = m_rowPages.value(row, -1);
    if (page >= 0 && page < ui->stackedWidget->count())
        ui->stackedWidget->setCurrentIndex(page);
}

// ---- Wired and wireless network ----

void VeDevSettingDialog::on_radioBtn_dhcp_clicked(bool checked) {
    for (QWidget* edit : {ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway, ui->lineEdit_DNS})
        edit->setEnabled(!checked);
}

void VeDevSettingDialog::on_radioBtn_manule_ip_clicked(bool checked) {
    on_radioBtn_dhcp_clicked(!checked);
}

void VeDevSettingDialog::on_pushBtn_ip_ok_clicked() {
    IPInfo record = m_ipInfo;
    const QString error = Form::readWired(ui.get(), &record);
    if (!error.isEmpty()) {
        TvDialogSupport::notice(this, error);
        return;
    }
    m_ipInfo = record;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    const qint32 mode = record.flag;
    write(
        ui->pushBtn_ip_ok, [data, camera, mode, record] { return data->setIPInfo(camera, mode, record); },
        [this](qint32 result) {
            finishRestart(result, tr("配置成功，设备正在重启"), tr("配置失败，请稍后再试"), false);
        });
}

void VeDevSettingDialog::on_pushBtn_wifi_ok_clicked() {
    const QString sid =
        ui->comboBox_ssid->currentIndex() >= 0 ? ui->comboBox_ssid->currentData().toString() : QString();
    const QString pwd = ui->lineEdit_wifi_pwd->text();
    if (refuseSeparators({sid, pwd}))
        return;
    if (sid.toUtf8().size() >= int(sizeof m_wifiInfo.sid)) {
        TvDialogSupport::notice(this, tr("无线网络名称太长（最多31个字节）"));
        return;
    }
    const WiFiConfig config = Form::wifiConfig(m_wifiInfo, sid, pwd);
    const qint32 open = ui->groupBox_wifi->isChecked() ? 1 : 0;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_wifi_ok,
        [data, camera, open, config] { return data->setWiFiInfo(camera, 1, open, config); },
        [this](qint32 result) {
            finishRestart(result, tr("配置成功，设备正在重启，请拔掉网线"), tr("配置失败，请稍后再试"),
                          false);
        });
}

void VeDevSettingDialog::on_pushBtn_scan_clicked() {
    if (!m_camera || m_surveying)
        return;
    m_surveying = true;
    ui->pushBtn_scan->setEnabled(false);
    NxWiFiSSIDCenter* center = NxDataCenter::instance()->wifiSsidCenter;
    VeCameraModel* camera = m_camera;
    const QString mac = QString::fromUtf8(m_wifiInfo.mac);
    TvDialogSupport::runJob(
        this, [center, camera, mac] { return center->search(camera, mac) ? qint32(0) : qint32(-1); },
        [this](qint32 result) {
            if (result < 0 && m_surveying) {
                m_surveying = false;
                ui->pushBtn_scan->setEnabled(true);
                TvDialogSupport::notice(this, tr("搜索WiFi失败，请稍后再试"));
            }
        });
}

// ---- Video, applied at once ----

void VeDevSettingDialog::change(qint32* field, qint32 selector, qint32 value) {
    if (loading)
        return;
    *field = value;
    writeVideo({{selector, value}});
}

void VeDevSettingDialog::writeVideo(const QList<QPair<qint32, qint32>>& writes) {
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    // Null for a single change: the worker runs the jobs in posting order, so changes arrive in order.
    QPushButton* button = writes.size() > 1 ? ui->pushBtn_video_reset : nullptr;
    write(
        button,
        [data, camera, writes] {
            for (const auto& w : writes) {
                const qint32 result = data->setVideoParam(camera, w.first, w.second);
                if (result < 0)
                    return result;
            }
            return qint32(0);
        },
        [this](qint32 result) {
            if (result >= 0 || m_videoFailureShown)
                return;
            m_videoFailureShown = true; // one box for a camera that went away, not one per control
            qWarning() << "video setting failed" << result;
            TvDialogSupport::notice(this, tr("设置失败，请检查设备是否在线"));
        });
}

void VeDevSettingDialog::on_comboBox_sharp_currentIndexChanged(int) {
    change(&m_videoParam.sha, 67, ui->comboBox_sharp->currentText().toInt());
}
void VeDevSettingDialog::on_comboBox_bright_currentIndexChanged(int) {
    change(&m_videoParam.bri, 50, ui->comboBox_bright->currentText().toInt());
}
void VeDevSettingDialog::on_comboBox_contrast_currentIndexChanged(int) {
    change(&m_videoParam.con, 52, ui->comboBox_contrast->currentText().toInt());
}
void VeDevSettingDialog::on_comboBox_saturation_currentIndexChanged(int) {
    change(&m_videoParam.sat, 53, ui->comboBox_saturation->currentText().toInt());
}
void VeDevSettingDialog::on_comboBox_framerate_currentIndexChanged(int) {
    change(&m_videoParam.rate, 57, ui->comboBox_framerate->currentText().toInt());
}
void VeDevSettingDialog::on_comboBox_frequency_currentIndexChanged(int index) {
    change(&m_videoParam.frequency, 70, index == 0 ? 60 : 50);
}
void VeDevSettingDialog::on_comboBox_rate_currentIndexChanged(int) {
    change(&m_videoParam.stream, 54, ui->comboBox_rate->currentText().toInt());
}
void VeDevSettingDialog::on_comboBox_cbrvbr_currentIndexChanged(int index) {
    change(&m_videoParam.cbrvbr, 106, index);
}
void VeDevSettingDialog::on_comboBox_alarm_currentIndexChanged(int index) {
    if (!loading)
        m_emailInfo.senc = index;
    change(&m_videoParam.sens, 59, index);
}
void VeDevSettingDialog::on_comboBox_audio_sence_currentIndexChanged(int index) {
    change(&m_videoParam.audioalarm, 112, index + 1);
}
void VeDevSettingDialog::on_checkBox_pir_clicked(bool checked) {
    change(&m_videoParam.piralarm, 113, checked ? 2 : 1);
}

void VeDevSettingDialog::on_pushBtn_video_reset_clicked() {
    writeVideo(TvDialogSupport::resetVideoDefaults(&m_videoParam));
    loading = true;
    const QString resolution = ui->comboBox_resolution->currentText();
    Form::fillVideo(ui.get(), &m_videoParam, resolution);
    loading = false;
}

void VeDevSettingDialog::on_pushBtn_video_ok_clicked() {
    // Every value went to the camera when it was chosen.
}

// ---- SD card ----

void VeDevSettingDialog::on_pushBtn_sd_ok_clicked() {
    SDInfo record = m_sdInfo;
    if (!Form::readSD(ui.get(), &record)) {
        TvDialogSupport::notice(this, tr("录像分割大小只能在5M至100M之间。"));
        return;
    }
    m_sdInfo = record;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_sd_ok, [data, camera, record] { return data->setSDInfo(camera, record); },
        [this](qint32 result) {
            if (result < 0)
                TvDialogSupport::notice(this, tr("配置失败，请稍后再试"));
        });
}

void VeDevSettingDialog::on_pushBtn_format_clicked() {
    if (!lanOnline) {
        TvDialogSupport::notice(this, tr("设备不在局域网，无法格式化！"));
        return;
    }
    if (!confirm(tr("格式化后，SD卡里所有文件都会被清除，确定要格式化？")))
        return;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_format, [data, camera] { return data->formatSD(camera); },
        [this](qint32 result) {
            finishRestart(result, tr("格式化成功，设备正在重启..."), tr("格式化失败！"), true);
        });
}

// ---- E-mail ----

void VeDevSettingDialog::enableEmailApply() {
    if (!loading)
        ui->pushBtn_email_ok->setEnabled(true);
}

void VeDevSettingDialog::on_lineEdit_sender_email_textChanged(QString text) {
    if (loading)
        return;
    const QString guess = Form::smtpGuess(text);
    if (!guess.isEmpty())
        ui->lineEdit_smtp_server->setText(guess);
    enableEmailApply();
}
void VeDevSettingDialog::on_lineEdit_sender_pwd_textChanged(QString) {
    enableEmailApply();
}
void VeDevSettingDialog::on_lineEdit_smtp_server_textChanged(QString) {
    enableEmailApply();
}
void VeDevSettingDialog::on_lineEdit_receiver_email_textChanged(QString) {
    enableEmailApply();
}
void VeDevSettingDialog::on_comboBox_alarm_pic_currentIndexChanged(int) {
    enableEmailApply();
}
void VeDevSettingDialog::on_comboBox_email_encryp_currentIndexChanged(int) {
    enableEmailApply();
}

void VeDevSettingDialog::on_pushBtn_email_clear_clicked() {
    ui->lineEdit_sender_email->clear();
    ui->lineEdit_sender_pwd->clear();
    ui->lineEdit_smtp_server->clear();
    ui->lineEdit_receiver_email->clear();
    ui->lineEdit_smtp_port->setText(QStringLiteral("25"));
    ui->comboBox_alarm_pic->setCurrentIndex(3);
    ui->comboBox_email_encryp->setCurrentIndex(0);
    on_pushBtn_email_ok_clicked();
}

void VeDevSettingDialog::on_pushBtn_email_ok_clicked() {
    EmailInfo record = m_emailInfo;
    const QString error = Form::readEmail(ui.get(), &record);
    if (!error.isEmpty()) {
        TvDialogSupport::notice(this, error);
        return;
    }
    m_emailInfo = record;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_email_ok, [data, camera, record] { return data->setEmailInfo(camera, record); },
        [this](qint32 result) {
            if (result >= 0) {
                ui->pushBtn_email_ok->setEnabled(false);
                return;
            }
            TvDialogSupport::notice(this, tr("配置失败，请稍后再试"));
        });
}

// ---- ONVIF, 4G and maintenance ----

void VeDevSettingDialog::on_comboBox_onvif_currentIndexChanged(int) {
    if (!loading)
        ui->pushBtn_onvif_ok->setEnabled(true);
}
void VeDevSettingDialog::on_comboBox_onvif_audio_currentIndexChanged(int) {
    if (!loading)
        ui->pushBtn_onvif_ok->setEnabled(true);
}

void VeDevSettingDialog::on_pushBtn_onvif_ok_clicked() {
    const qint32 onvif = ui->comboBox_onvif->currentIndex();
    const qint32 audio = ui->comboBox_onvif_audio->currentIndex();
    // The camera takes the service first with the audio it had, then the new audio.
    const qint32 oldAudio = m_onvifAudio < 0 ? audio : m_onvifAudio;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_onvif_ok,
        [data, camera, onvif, audio, oldAudio] {
            const qint32 first = data->setOnvif(camera, onvif, oldAudio);
            return first < 0 ? first : data->setOnvif(camera, onvif, audio);
        },
        [this](qint32 result) {
            finishRestart(result, tr("设置成功，设备正在重启，大概需要2分钟..."), tr("配置失败，请稍后再试"),
                          true);
        });
}

void VeDevSettingDialog::on_pushButton_4G_apply_clicked() {
    const bool prefer4G = ui->checkBox_4G->isChecked();
    const bool hotspot = ui->groupBox_connectAP->isChecked();
    const bool switch1 = ui->checkBox_control_1->isChecked();
    const bool switch2 = ui->checkBox_control_2->isChecked();
    const QString ssid = ui->lineEdit_connectAP_ssid->text();
    const QString pwd = ui->lineEdit_connectAP_pwd->text();
    if (hotspot && ssid.isEmpty()) {
        TvDialogSupport::notice(this, tr("SSID不能为空！"));
        return;
    }
    if (hotspot && refuseSeparators({ssid, pwd}))
        return;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushButton_4G_apply,
        [=] { return data->setNetworkOptions(camera, prefer4G, hotspot, ssid, pwd, switch1, switch2); },
        [this](qint32 result) {
            TvDialogSupport::notice(this, result < 0 ? tr("配置失败") : tr("配置成功"));
        });
}

void VeDevSettingDialog::on_pushBtn_sync_time_clicked() {
    // The LAN search carries the computer's time to the cameras.
    NxDataCenter::instance()->lanCenter->refreshLan(3);
    TvDialogSupport::notice(this, tr("同步时间成功。"));
}

void VeDevSettingDialog::on_pushBtn_update_firmware_clicked() {
    if (!confirm(tr("确定要升级固件？升级过程大约需要3分钟，请不要拔掉电源或网线。")))
        return;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_update_firmware, [data, camera] { return data->updateFirmware(camera); },
        [this](qint32 result) {
            finishRestart(result, tr("正在升级固件，升级过程大约需要3分钟..."),
                          tr("升级固件失败，请稍后再试"), true);
        });
}

void VeDevSettingDialog::on_pushBtn_reset_default_clicked() {
    if (!confirm(tr("确定要恢复出厂设置？")))
        return;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    write(
        ui->pushBtn_reset_default, [data, camera] { return data->resetDefault(camera); },
        [this](qint32 result) {
            finishRestart(result, tr("恢复出厂设置成功，设备正在重启，大概需要一分钟。"),
                          tr("恢复出厂设置失败，请稍后再试"), true);
        });
}

void VeDevSettingDialog::on_pushBtn_reboot_clicked() {
    if (!confirm(tr("确定要重启设备？")))
        return;
    NxDataCenter* data = NxDataCenter::instance();
    VeCameraModel* camera = m_camera;
    const QString mac = QString::fromUtf8(m_ipInfo.mac);
    write(
        ui->pushBtn_reboot, [data, camera, mac] { return data->rebootDevice(camera, mac); },
        [this](qint32 result) {
            finishRestart(result, tr("设备正在重启，大概需要一分钟。"), tr("重启设备失败，请稍后再试"), true);
        });
}
