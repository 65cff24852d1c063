#include "VeUpdateAliasDialog.h"

#include "ui_VeUpdateAliasDialog.h"

#include "NxDataCenter.h"
#include "NxLoginCenter.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QDebug>

VeUpdateAliasDialog::VeUpdateAliasDialog(VeCameraModel* camera, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeUpdateAliasDialog), m_camera(camera) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("修改设备别名"), 9);
    if (camera) {
        ui->lineEdit_devid->setText(camera->deviceId);
        ui->lineEdit_alias->setText(camera->alias);
    }
}

VeUpdateAliasDialog::~VeUpdateAliasDialog() = default;

void VeUpdateAliasDialog::on_pushBtn_ok_clicked() {
    QString alias = ui->lineEdit_alias->text().trimmed();
    if (alias.isEmpty())
        alias = ui->lineEdit_devid->text();
    if (!m_camera) {
        // The camera left the list while the dialog was open: nothing is renamed.
        qWarning() << "rename: the camera is gone";
        TvDialogSupport::notice(this, tr("设备已不在列表中"));
        reject();
        return;
    }
    NxDataCenter::instance()->loginCenter->updateAlias(alias, m_camera);
    accept();
}

void VeUpdateAliasDialog::on_pushBtn_cancel_clicked() {
    reject();
}
