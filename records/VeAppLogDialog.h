#pragma once

#include "VeBasicDialog.h"

#include <QMap>
#include <QStringList>

#include <memory>

class VeAlarmTableModel;
class VeCameraModel;
class VeDataBase;

namespace Ui {
class VeAppLogDialog;
}

// The alarm log: a camera filter, the list of events newest first, and clearing per camera or all.
class VeAppLogDialog : public VeBasicDialog {
    Q_OBJECT
public:
    // cameraIds are the filter's entries after "all", in the order cameraFilterIds gives them.
    VeAppLogDialog(VeDataBase* database, const QStringList& cameraIds, QWidget* parent = nullptr);
    ~VeAppLogDialog() override;

    // The cloud account's cameras by id, then the LAN-found cameras that are not among them.
    static QStringList cameraFilterIds(const QMap<QString, VeCameraModel*>& cloudDevices,
                                       const QMap<QString, VeCameraModel*>& lanDevices);

private slots:
    void on_comboBox_devid_currentIndexChanged(int index);
    void on_pushBtn_clear_log_clicked();

private:
    void fill();

    std::unique_ptr<Ui::VeAppLogDialog> ui;
    VeDataBase* m_database;
    VeAlarmTableModel* m_model;
};
