#include "VeUpdateAccessPwdDialog.h"

#include "ui_VeUpdateAccessPwdDialog.h"

#include "NxDataCenter.h"
#include "NxLoginCenter.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"
#include "pcQuorvane.h"

#include <QApplication>
#include <QDebug>

VeUpdateAccessPwdDialog::VeUpdateAccessPwdDialog(VeCameraModel* camera, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeUpdateAccessPwdDialog), m_camera(camera) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("修改访问密码"), 9);
    if (camera)
        ui->lineEdit_devid->setText(camera->deviceId);
    connect(NxDataCenter::instance()->loginCenter, &NxLoginCenter::updateAccessPwdResultSignal, this,
            &VeUpdateAccessPwdDialog::updateAccessPwdResultSlot);
}

VeUpdateAccessPwdDialog::~VeUpdateAccessPwdDialog() {
    setWaiting(false);
}

void VeUpdateAccessPwdDialog::setWaiting(bool on) {
    if (on == m_waiting)
        return;
    m_waiting = on;
    if (on)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    setEnabled(!on);
}

void VeUpdateAccessPwdDialog::on_pushBtn_ok_clicked() {
    const QString oldPwd = ui->lineEdit_old_pwd->text();
    const QString newPwd = ui->lineEdit_new_pwd->text();
    const QString confirm = ui->lineEdit_new_pwd_confirm->text();
    NxDataCenter* data = NxDataCenter::instance();
    if (oldPwd.isEmpty()) {
        TvDialogSupport::notice(this, tr("旧密码不能为空"));
        return;
    }
    if (!m_camera || !data->checkAccessPwd(oldPwd, m_camera->devAccess)) {
        TvDialogSupport::notice(this, tr("旧密码错误，请重新输入"));
        ui->lineEdit_old_pwd->setFocus();
        return;
    }
    if (newPwd.size() < 4) {
        TvDialogSupport::notice(this, tr("新密码长度至少为4位"));
        return;
    }
    if (newPwd != confirm) {
        TvDialogSupport::notice(this, tr("两次输入的新密码不一致"));
        return;
    }
    if (TvDialogSupport::breaksRecord(newPwd) || newPwd.toUtf8().size() > 31 ||
        newPwd.toUtf8().size() != newPwd.size()) {
        TvDialogSupport::notice(this, tr("新密码最多31位，只能包含字母、数字和符号（不含 ; 和 =）"));
        return;
    }
    setWaiting(true);
    NxLoginCenter* login = data->loginCenter;
    const QString id = m_camera->deviceId;
    TvDialogSupport::runJob(
        this, [login, id, newPwd] { return qint32(login->changeAccessPwd(id, newPwd)); },
        [this](qint32 result) {
            // Success waits for the cloud's answer; anything else is the answer.
            if (result != LoginCenterResultSuccess)
                updateAccessPwdResultSlot(LoginCenterResultType(result));
        });
}

void VeUpdateAccessPwdDialog::updateAccessPwdResultSlot(LoginCenterResultType result) {
    if (!m_waiting)
        return; // another dialog's change, or one this dialog has reported already
    setWaiting(false);
    qWarning() << "access password change result" << int(result);
    if (result != LoginCenterResultSuccess || !m_camera) {
        TvDialogSupport::notice(this, tr("访问密码修改失败，请稍后再试"));
        return;
    }
    const QString newPwd = ui->lineEdit_new_pwd->text();
    char md5[PCQ_MD5_SIZE] = {};
    vmoConversionMD5(newPwd.toUtf8().constData(), md5);
    NxDataCenter::instance()->loginCenter->updateAccessPwd(newPwd, QString::fromLatin1(md5), m_camera);
    TvDialogSupport::notice(this, tr("访问密码修改成功，请牢记您的新密码"));
    accept();
}

void VeUpdateAccessPwdDialog::on_pushBtn_cancel_clicked() {
    reject();
}
