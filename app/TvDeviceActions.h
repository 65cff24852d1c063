#pragma once

#include <QObject>

#include <functional>

class QWidget;
class VeCameraModel;

// The device panel's dialog actions on one camera: adding, renaming, re-passwording, the camera
// settings, and the access-password gate before an action that needs it. Reading a camera's settings
// waits for the camera, so it runs on the device service's worker thread and the dialog opens when the
// answer is back.
class TvDeviceActions : public QObject {
    Q_OBJECT
public:
    explicit TvDeviceActions(QWidget* window);

    // A camera that is not on the LAN and whose stored password is not accepted gets the local
    // password dialog: true when it was shown (the action then ends there).
    bool askLocalPassword(VeCameraModel* camera);

    void addDevice();
    // True when the camera was renamed.
    bool updateAlias(VeCameraModel* camera);
    void updateAccessPwd(VeCameraModel* camera);
    void cameraSetting(VeCameraModel* camera);
    // Reads the camera's records off the GUI thread (a wait cursor meanwhile), then runs the device
    // settings dialog, on its wireless page when asked; `accepted` follows a change that restarts the
    // camera.
    void deviceSetting(VeCameraModel* camera, bool wirelessPage,
                       std::function<void(VeCameraModel*)> accepted);

private:
    QWidget* m_window;
    bool m_reading = false; // one settings read at a time
};
