#include "VeAddDeviceDialog.h"

#include "ui_VeAddDeviceDialog.h"

#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"
#include "pcQuorvane.h"

#include <QApplication>
#include <QDebug>
#include <QIcon>
#include <QTimerEvent>

namespace {
// A device id fits its saved field and travels inside key=value records.
bool isValidId(const QString& id) {
    if (id.size() > 31)
        return false;
    for (const QChar c : id)
        if (c.unicode() <= 0x20 || c.unicode() >= 0x7f || c == QLatin1Char(';') || c == QLatin1Char('='))
            return false;
    return true;
}
} // namespace

VeAddDeviceDialog::VeAddDeviceDialog(QWidget* parent) : VeBasicDialog(parent), ui(new Ui::VeAddDeviceDialog) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("添加设备"), 9);
    NxDataCenter* data = NxDataCenter::instance();
    const QMap<QString, VeCameraModel*> listed = data->loginCenter->cloudDevicesSnapshot();
    for (const QString& id : data->lanCenter->lanDevicesSnapshot().keys())
        if (!listed.contains(id))
            ui->comboBox_devid->addItem(QIcon(), id);
    connect(data->loginCenter, &NxLoginCenter::didLoadDeviceInfoSignal, this,
            &VeAddDeviceDialog::didLoadDeviceInfoSlot);
}

VeAddDeviceDialog::~VeAddDeviceDialog() {
    if (isWaiting())
        QApplication::restoreOverrideCursor();
}

void VeAddDeviceDialog::on_pushBtn_ok_clicked() {
    const QString id = ui->comboBox_devid->currentText().trimmed();
    if (id.isEmpty()) {
        TvDialogSupport::notice(this, tr("设备ID不能为空"));
        return;
    }
    if (!isValidId(id)) {
        qWarning() << "add device: id refused" << id;
        TvDialogSupport::notice(this, tr("设备ID格式不正确（最多31个字母、数字或符号，不含 ; 和 =）"));
        return;
    }
    if (TvDialogSupport::breaksRecord(ui->lineEdit_pwd->text())) {
        TvDialogSupport::notice(this, tr("访问密码不能包含 ; 或 ="));
        return;
    }
    NxLoginCenter* login = NxDataCenter::instance()->loginCenter;
    if (login->cloudDevice(id)) {
        TvDialogSupport::notice(this, tr("已经添加过该设备，不需要重复添加"));
        return;
    }
    enterWaiting(id);
    TvDialogSupport::runJob(
        this, [login, id] { return login->queryDeviceStatus(id); },
        [this, id](qint32 result) {
            // A late reply may still bring the record: the 5-second wait decides then.
            if (result >= 0 || result == PCQ_ERR_TIMEOUT || m_pendingId != id)
                return;
            qWarning() << "add device: status request failed" << id << result;
            leaveWaiting();
            TvDialogSupport::notice(this, tr("添加失败，请稍后重试"));
        });
}

void VeAddDeviceDialog::on_pushBtn_cancel_clicked() {
    reject();
}

void VeAddDeviceDialog::enterWaiting(const QString& id) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    setEnabled(false);
    m_pendingId = id;
    m_timerId = startTimer(5000, Qt::CoarseTimer);
}

void VeAddDeviceDialog::leaveWaiting() {
    if (m_timerId != -1)
        killTimer(m_timerId);
    m_timerId = -1;
    if (isWaiting())
        QApplication::restoreOverrideCursor();
    m_pendingId.clear();
    setEnabled(true);
}

void VeAddDeviceDialog::addAndAccept(VeCameraModel* camera) {
    const QString alias = ui->lineEdit_alias->text().trimmed();
    if (!alias.isEmpty())
        camera->alias = alias;
    NxDataCenter::instance()->loginCenter->addDevice(camera);
    TvDialogSupport::notice(this, tr("添加设备成功"));
    accept();
}

void VeAddDeviceDialog::didLoadDeviceInfoSlot(VeCameraModel* camera) {
    if (!isWaiting())
        return;
    if (!camera) {
        leaveWaiting();
        TvDialogSupport::notice(this, tr("您添加的设备不存在"));
        return;
    }
    if (camera->deviceId != m_pendingId)
        return;
    leaveWaiting();
    camera->userAccess = ui->lineEdit_pwd->text();
    if (camera->isAccessPwdValid()) {
        addAndAccept(camera);
    } else {
        qWarning() << "add device: access password refused for" << camera->deviceId;
        camera->userAccess.clear();
        TvDialogSupport::notice(this, tr("添加失败，访问密码错误"));
    }
}

void VeAddDeviceDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timerId)
        return;
    const QString id = m_pendingId;
    leaveWaiting();
    qWarning() << "add device: no device record within 5 s for" << id;
    if (VeCameraModel* lan = NxDataCenter::instance()->lanCenter->device(id)) {
        lan->userAccess = ui->lineEdit_pwd->text();
        addAndAccept(lan);
    } else {
        TvDialogSupport::notice(this, tr("添加失败，请稍后重试"));
    }
}
