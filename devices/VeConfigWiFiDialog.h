#pragma once

#include "VeBasicDialog.h"

#include <QPointer>

#include <memory>

class VeCameraModel;

namespace Ui {
class VeConfigWiFiDialog;
}

// Sends a wireless network name and password to a camera.
class VeConfigWiFiDialog : public VeBasicDialog {
    Q_OBJECT
public:
    VeConfigWiFiDialog(VeCameraModel* camera, QWidget* parent = nullptr);
    ~VeConfigWiFiDialog() override;

    bool isWaiting() const { return !isEnabled(); }

private slots:
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();

private:
    std::unique_ptr<Ui::VeConfigWiFiDialog> ui;
    QPointer<VeCameraModel> m_camera;
};
