#include "VeLocalAccessPwdDialog.h"

#include "ui_VeLocalAccessPwdDialog.h"

#include "NxDataCenter.h"
#include "NxLoginCenter.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

VeLocalAccessPwdDialog::VeLocalAccessPwdDialog(VeCameraModel* camera, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeLocalAccessPwdDialog), m_camera(camera) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("访问密码"), 9);
}

VeLocalAccessPwdDialog::~VeLocalAccessPwdDialog() = default;

void VeLocalAccessPwdDialog::on_pushBtn_ok_clicked() {
    const QString pwd = ui->lineEdit_pwd->text();
    if (TvDialogSupport::breaksRecord(pwd)) {
        TvDialogSupport::notice(this, tr("访问密码不能包含 ; 或 ="));
        return;
    }
    if (m_camera)
        NxDataCenter::instance()->loginCenter->updateAccessPwd(pwd, QString(), m_camera);
    accept();
}

void VeLocalAccessPwdDialog::on_pushBtn_cancel_clicked() {
    reject();
}
