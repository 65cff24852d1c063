#include "VeUpdateAccessPwdDialog.h"

#include "ui_VeUpdateAccessPwdDialog.h"

#include "NxDataCenter.h"
#include "NxLoginCenter.h"
#include "TvDefaultSettings.h"
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
    // A standard (ONVIF) camera checks a user name and password itself: there is no old password to
    // compare, and the library keeps the pair it is given ("USER:PASSWORD") for the camera.
    m_standard = camera && camera->devFlag.startsWith(QLatin1String("ONVIF"));
    ui->label_user->setVisible(m_standard);
    ui->lineEdit_user->setVisible(m_standard);
    ui->label_1->setVisible(!m_standard);
    ui->lineEdit_old_pwd->setVisible(!m_standard);
    const int colon = camera ? camera->userAccess.indexOf(QLatin1Char(':')) : -1;
    ui->lineEdit_user->setText(colon > 0 ? camera->userAccess.left(colon) : QStringLiteral("admin"));
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
    const QString user = ui->lineEdit_user->text().trimmed();
    if (m_standard) {
        if (!m_camera)
            return;
        if (user.isEmpty() || user.contains(QLatin1Char(':')) || TvDialogSupport::breaksRecord(user)) {
            TvDialogSupport::notice(this, tr("用户名不能为空，也不能包含冒号"));
            ui->lineEdit_user->setFocus();
            return;
        }
    } else if (oldPwd.isEmpty()) {
        TvDialogSupport::notice(this, tr("旧密码不能为空"));
        return;
    } else if (!m_camera || !data->checkAccessPwd(oldPwd, m_camera->devAccess)) {
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
    const QString secret = m_standard ? user + QLatin1Char(':') + newPwd : newPwd;
    TvDialogSupport::runJob(
        this, [login, id, secret] { return qint32(login->changeAccessPwd(id, secret)); },
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
        TvDialogSupport::notice(this, m_standard && result == LoginCenterResultFailure
                                          ? tr("摄像机拒绝了该用户名或密码")
                                          : tr("访问密码修改失败，请稍后再试"));
        return;
    }
    const QString newPwd = ui->lineEdit_new_pwd->text();
    if (m_standard) { // the camera's own password is unchanged: only what this client signs in with
        const QString user = ui->lineEdit_user->text().trimmed();
        const QString access = user + QLatin1Char(':') + newPwd;
        NxDataCenter::instance()->loginCenter->updateAccessPwd(access, QString(), m_camera);
        // Found on the LAN, it is in no cloud list: kept for the next start.
        m_camera->userAccess = access;
        TvDefaultSettings::instance()->setStandardAccess(m_camera->deviceId, access);
        TvDialogSupport::notice(this, tr("访问密码修改成功，请牢记您的新密码"));
        accept();
        return;
    }
    char md5[PCQ_MD5_SIZE] = {};
    vmoConversionMD5(newPwd.toUtf8().constData(), md5);
    NxDataCenter::instance()->loginCenter->updateAccessPwd(newPwd, QString::fromLatin1(md5), m_camera);
    TvDialogSupport::notice(this, tr("访问密码修改成功，请牢记您的新密码"));
    accept();
}

void VeUpdateAccessPwdDialog::on_pushBtn_cancel_clicked() {
    reject();
}
