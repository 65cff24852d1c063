#pragma once

#include "VeBasicDialog.h"

#include <QString>

#include <memory>

class VeCameraModel;

namespace Ui {
class VeAddDeviceDialog;
}

// Adds a camera to the cloud account by id and access password: the cloud's device record (or, when
// the cloud stays silent for 5 seconds, the LAN's knowledge of the id) decides.
class VeAddDeviceDialog : public VeBasicDialog {
    Q_OBJECT
public:
    explicit VeAddDeviceDialog(QWidget* parent = nullptr);
    ~VeAddDeviceDialog() override;

    bool isWaiting() const { return !m_pendingId.isEmpty(); }

public slots:
    void didLoadDeviceInfoSlot(VeCameraModel* camera);

private slots:
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void enterWaiting(const QString& id);
    void leaveWaiting();
    // The camera joins the list with the typed password (and alias, when one was typed).
    void addAndAccept(VeCameraModel* camera);

    std::unique_ptr<Ui::VeAddDeviceDialog> ui;
    QString m_pendingId;
    int m_timerId = -1;
};
