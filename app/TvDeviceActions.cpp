#include "TvDeviceActions.h"

#include "NxDataCenter.h"
#include "TvDialogSupport.h"
#include "TvResolutionMap.h"
#include "VeAddDeviceDialog.h"
#include "VeCameraModel.h"
#include "VeCameraSettingDialog.h"
#include "VeDevSettingDialog.h"
#include "VeLocalAccessPwdDialog.h"
#include "VeUpdateAccessPwdDialog.h"
#include "VeUpdateAliasDialog.h"

#include <QApplication>
#include <QDebug>
#include <QPointer>
#include <QWidget>

#include <memory>

TvDeviceActions::TvDeviceActions(QWidget* window) : QObject(window), m_window(window) {}

bool TvDeviceActions::askLocalPassword(VeCameraModel* camera) {
    if (!camera || camera->isLanOnline() || camera->isAccessPwdValid())
        return false;
    qWarning() << "access password needed for" << camera->deviceId;
    auto* dialog = new VeLocalAccessPwdDialog(camera, m_window);
    dialog->exec();
    return true;
}

void TvDeviceActions::addDevice() {
    auto* dialog = new VeAddDeviceDialog(m_window);
    dialog->exec();
}

bool TvDeviceActions::updateAlias(VeCameraModel* camera) {
    if (!camera)
        return false;
    auto* dialog = new VeUpdateAliasDialog(camera, m_window);
    return dialog->exec() == QDialog::Accepted;
}

void TvDeviceActions::updateAccessPwd(VeCameraModel* camera) {
    if (!camera)
        return;
    auto* dialog = new VeUpdateAccessPwdDialog(camera, m_window);
    dialog->exec();
}

void TvDeviceActions::cameraSetting(VeCameraModel* camera) {
    if (!camera || m_reading)
        return;
    m_reading = true;
    NxDataCenter* data = NxDataCenter::instance();
    auto param = std::make_shared<VideoParam>();
    const QPointer<VeCameraModel> guard(camera);
    TvDialogSupport::runJob(
        this, [data, camera, param] { return data->getVideoParam(camera, param.get()); },
        [this, guard, param](qint32 result) {
            m_reading = false;
            if (result < 0 || !guard) {
                qWarning() << "camera settings not read" << result;
                TvDialogSupport::notice(m_window, tr("读取设备参数失败，请稍后再试"));
                return;
            }
            auto* dialog = new VeCameraSettingDialog(
                guard, *param, TvResolutionMap::instance()->value(guard->playKey), m_window);
            dialog->exec();
        });
}

namespace {
// Everything the device settings dialog opens with, read in this order.
struct DeviceRecords {
    VideoParam video{};
    SDInfo sd{};
    EmailInfo email{};
    IPInfo ip{};
    WiFiInfo wifi{};
    qint32 onvif = -1;
    qint32 onvifAudio = -1;
};
} // namespace

void TvDeviceActions::deviceSetting(VeCameraModel* camera, bool wirelessPage,
                                    std::function<void(VeCameraModel*)> accepted) {
    if (!camera || m_reading)
        return;
    m_reading = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    NxDataCenter* data = NxDataCenter::instance();
    auto records = std::make_shared<DeviceRecords>();
    const bool lan = camera->isLanOnline();
    const QPointer<VeCameraModel> guard(camera);
    TvDialogSupport::runJob(
        this,
        [data, camera, records, lan] {
            const qint32 result = data->getVideoParam(camera, &records->video);
            if (result < 0)
                return result;
            data->getSDInfo(camera, &records->sd);
            data->getEmailInfo(camera, &records->email);
            data->getIPInfo(camera, &records->ip);
            data->getWiFiInfo(camera, &records->wifi);
            if (lan)
                data->getOnvifState(camera, &records->onvif, &records->onvifAudio);
            return result;
        },
        [this, guard, records, lan, wirelessPage, accepted](qint32 result) {
            m_reading = false;
            QApplication::restoreOverrideCursor();
            if (result < 0 || !guard) {
                qWarning() << "device settings not read" << result;
                TvDialogSupport::notice(m_window, QCoreApplication::translate(
                                                      "VeDevSettingDialog", "读取设备参数失败，请稍后再试"));
                return;
            }
            guard->playKey = guard->deviceId;
            auto* dialog = new VeDevSettingDialog(guard, records->video, records->ip, records->wifi,
                                                  records->sd, records->email, m_window);
            dialog->setResolution(TvResolutionMap::instance()->value(guard->playKey));
            if (lan)
                dialog->setOnvifState(records->onvif, records->onvifAudio);
            if (wirelessPage)
                dialog->showWirelessPage();
            if (dialog->exec() == QDialog::Accepted && guard && accepted)
                accepted(guard);
        });
}
