#include "TvDeviceActions.h"

#include "NxDataCenter.h"
#include "TvDialogSupport.h"
#include "TvResolutionMap.h"
#include "VeAddDeviceDialog.h"
#include "VeCameraModel.h"
#include "VeCameraSettingDialog.h"
#include "VeLocalAccessPwdDialog.h"
#include "VeUpdateAccessPwdDialog.h"
#include "VeUpdateAliasDialog.h"

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
