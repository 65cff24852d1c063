#pragma once

#include "NxParamRecords.h"
#include "VeBasicDialog.h"
#include "VeSSIDInfoObject.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <QVector>

#include <functional>
#include <memory>

class QPushButton;
class VeCameraModel;

namespace Ui {
class VeDevSettingDialog;
}

// The full configuration of one camera, page by page: wired and wireless network, picture, SD card,
// alarms and e-mail, ONVIF, maintenance and the 4G options. It edits copies of the records read before
// it opened; every write waits for the camera on the device service's worker thread, with the button
// that sent it disabled until the answer is back.
class VeDevSettingDialog : public VeBasicDialog {
    Q_OBJECT
public:
    VeDevSettingDialog(VeCameraModel* camera, VideoParam videoParam, IPInfo ipInfo, WiFiInfo wifiInfo,
                       SDInfo sdInfo, EmailInfo emailInfo, QWidget* parent = nullptr);
    ~VeDevSettingDialog() override;

    // -1 disables its list; any other value selects that choice.
    void setOnvifState(qint32 onvif, qint32 onvifaudio);
    // The size the camera's cell decoded; "1280x720" stands in when empty.
    void setResolution(const QString& resolution);
    // Selects the wireless page when the camera offers it.
    void showWirelessPage();

    const VideoParam& videoParam() const { return m_videoParam; }
    const EmailInfo& emailInfo() const { return m_emailInfo; }

private slots:
    void alarmDataSlot(int type, QString text1, QString text2, int value);
    void searchFailedSlot();
    void searchSucceedSlot(QList<VeSSIDInfoObject*> list);
    void openIEAddressSlot(QString address);
    void on_listWidget_currentRowChanged(int row);
    void on_radioBtn_dhcp_clicked(bool checked);
    void on_radioBtn_manule_ip_clicked(bool checked);
    void on_pushBtn_ip_ok_clicked();
    void on_pushBtn_wifi_ok_clicked();
    void on_pushBtn_scan_clicked();
    void on_pushBtn_video_reset_clicked();
    void on_pushBtn_video_ok_clicked();
    void on_pushBtn_update_firmware_clicked();
    void on_pushBtn_reset_default_clicked();
    void on_pushBtn_reboot_clicked();
    void on_pushBtn_sync_time_clicked();
    void on_comboBox_sharp_currentIndexChanged(int index);
    void on_comboBox_bright_currentIndexChanged(int index);
    void on_comboBox_contrast_currentIndexChanged(int index);
    void on_comboBox_saturation_currentIndexChanged(int index);
    void on_comboBox_framerate_currentIndexChanged(int index);
    void on_comboBox_frequency_currentIndexChanged(int index);
    void on_comboBox_rate_currentIndexChanged(int index);
    void on_pushBtn_format_clicked();
    void on_pushBtn_sd_ok_clicked();
    void on_comboBox_alarm_currentIndexChanged(int index);
    void on_comboBox_audio_sence_currentIndexChanged(int index);
    void on_checkBox_pir_clicked(bool checked);
    void on_lineEdit_sender_email_textChanged(QString text);
    void on_pushBtn_email_clear_clicked();
    void on_pushBtn_email_ok_clicked();
    void on_lineEdit_sender_pwd_textChanged(QString text);
    void on_lineEdit_smtp_server_textChanged(QString text);
    void on_lineEdit_receiver_email_textChanged(QString text);
    void on_comboBox_alarm_pic_currentIndexChanged(int index);
    void on_comboBox_email_encryp_currentIndexChanged(int index);
    void on_comboBox_onvif_currentIndexChanged(int index);
    void on_comboBox_onvif_audio_currentIndexChanged(int index);
    void on_comboBox_cbrvbr_currentIndexChanged(int index);
    void on_pushBtn_onvif_ok_clicked();
    void on_pushButton_4G_apply_clicked();

private:
    void buildPageList();
    void addRow(const QString& text, int page);
    // Stores the value and writes it at once, unless the form is being filled.
    void change(qint32* field, qint32 selector, qint32 value);
    void writeVideo(const QList<QPair<qint32, qint32>>& writes);
    // Runs a write off the GUI thread with `button` disabled meanwhile; `done` gets the SDK result.
    void write(QPushButton* button, std::function<qint32()> work, std::function<void(qint32)> done);
    // The confirmation box: true only for OK.
    bool confirm(const QString& text);
    // A failure keeps the dialog open with its edits; a success, after which the camera restarts,
    // is reported, optionally refreshes the LAN, and closes the dialog accepted.
    void finishRestart(qint32 result, const QString& success, const QString& failure, bool refreshLan);
    void enableEmailApply();
    // A text bound for a key=value record: refused with a notice when it holds ";" or "=".
    bool refuseSeparators(const QStringList& texts);

    std::unique_ptr<Ui::VeDevSettingDialog> ui;
    QPointer<VeCameraModel> m_camera;
    QString m_deviceId;
    VideoParam m_videoParam;
    IPInfo m_ipInfo;
    WiFiInfo m_wifiInfo;
    SDInfo m_sdInfo;
    EmailInfo m_emailInfo;
    qint32 m_onvif = -1;
    qint32 m_onvifAudio = -1;
    bool loading = false;
    bool lanOnline = false;
    bool m_surveying = false;
    bool m_videoFailureShown = false;
    QVector<int> m_rowPages; // the stacked page each list row selects
};
