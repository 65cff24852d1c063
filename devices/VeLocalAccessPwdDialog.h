#pragma once

#include "VeBasicDialog.h"

#include <QPointer>

#include <memory>

class VeCameraModel;

namespace Ui {
class VeLocalAccessPwdDialog;
}

// Asks for a camera's access password when an action needs it and the stored one is not accepted;
// only the password kept on this computer changes.
class VeLocalAccessPwdDialog : public VeBasicDialog {
    Q_OBJECT
public:
    VeLocalAccessPwdDialog(VeCameraModel* camera, QWidget* parent = nullptr);
    ~VeLocalAccessPwdDialog() override;

private slots:
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();

private:
    std::unique_ptr<Ui::VeLocalAccessPwdDialog> ui;
    QPointer<VeCameraModel> m_camera;
};
