#pragma once

#include "LoginCenterResultType.h"
#include "VeBasicDialog.h"

#include <QPointer>

#include <memory>

class VeCameraModel;

namespace Ui {
class VeUpdateAccessPwdDialog;
}

// Changes a camera's access password through the cloud, after checking the old one.
class VeUpdateAccessPwdDialog : public VeBasicDialog {
    Q_OBJECT
public:
    VeUpdateAccessPwdDialog(VeCameraModel* camera, QWidget* parent = nullptr);
    ~VeUpdateAccessPwdDialog() override;

    bool isWaiting() const { return m_waiting; }

public slots:
    void updateAccessPwdResultSlot(LoginCenterResultType result);

private slots:
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();

private:
    void setWaiting(bool on);

    std::unique_ptr<Ui::VeUpdateAccessPwdDialog> ui;
    QPointer<VeCameraModel> m_camera;
    bool m_waiting = false;
    bool m_standard = false; // an ONVIF camera: user name and password instead of old and new
};
