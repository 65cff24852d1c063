#include "VeConfigWiFiDialog.h"

#include "ui_VeConfigWiFiDialog.h"

#include "NxDataCenter.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QDebug>

VeConfigWiFiDialog::VeConfigWiFiDialog(VeCameraModel* camera, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeConfigWiFiDialog), m_camera(camera) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("WiFi配置"), 9);
}

VeConfigWiFiDialog::~VeConfigWiFiDialog() = default;

void VeConfigWiFiDialog::on_pushBtn_ok_clicked() {
    const QString ssid = ui->lineEdit_ssid->text();
    const QString pwd = ui->lineEdit_pwd->text();
    if (ssid.isEmpty()) {
        TvDialogSupport::notice(this, tr("SSID 不能为空"));
        return;
    }
    // Both travel inside one key=value command: a separator would set other fields at the camera.
    if (TvDialogSupport::breaksRecord(ssid) || TvDialogSupport::breaksRecord(pwd)) {
        qWarning() << "Wi-Fi settings refused: a separator in the network name or password";
        TvDialogSupport::notice(this, tr("SSID 和密码不能包含 ; 或 ="));
        return;
    }
    if (!m_camera) {
        TvDialogSupport::notice(this, tr("配置失败，请稍后再试"));
        return;
    }
    VeCameraModel* camera = m_camera;
    NxDataCenter* data = NxDataCenter::instance();
    setEnabled(false);
    TvDialogSupport::runJob(
        this, [data, camera, ssid, pwd] { return data->sendWiFiJoin(camera, ssid, pwd); },
        [this](qint32 result) {
            setEnabled(true);
            if (result < 0) {
                qWarning() << "Wi-Fi settings not sent" << result;
                TvDialogSupport::notice(this, tr("配置失败，请稍后再试"));
                return;
            }
            accept();
        });
}

void VeConfigWiFiDialog::on_pushBtn_cancel_clicked() {
    reject();
}
