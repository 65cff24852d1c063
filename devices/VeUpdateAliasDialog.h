#pragma once

#include "VeBasicDialog.h"

#include <QPointer>

#include <memory>

class VeCameraModel;

namespace Ui {
class VeUpdateAliasDialog;
}

// Renames a listed camera; an empty alias gives the camera its id as its name.
class VeUpdateAliasDialog : public VeBasicDialog {
    Q_OBJECT
public:
    VeUpdateAliasDialog(VeCameraModel* camera, QWidget* parent = nullptr);
    ~VeUpdateAliasDialog() override;

private slots:
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();

private:
    std::unique_ptr<Ui::VeUpdateAliasDialog> ui;
    QPointer<VeCameraModel> m_camera;
};
