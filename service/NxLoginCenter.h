#pragma once

#include "LoginCenterResultType.h"
#include "NxParamRecords.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>
#include <functional>

class NxDataCenter;
class NxVideoCenter;
class VeCameraModel;

// The cloud side: login and monitor registration, the user's device list and its online states, and
// the dispatch of every SDK system event. Operations that wait for an answer are bounded by one timer
// of the SDK's answer wait (20 s by default), armed and disarmed only on the center's own thread; an
// answer that comes when its operation is no longer pending is logged and dropped, so every operation
// reports exactly once. No SDK call that waits for the network runs on the GUI thread or under the
// main mutex.
class NxLoginCenter : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kDefaultAccount = "tarnveil";

    // Loads the saved device list and starts the built-in-account login on a worker thread.
    explicit NxLoginCenter(NxDataCenter* dataCenter, QObject* parent = nullptr);

    bool login(const QString& user, const QString& password);
    void loginDefault();
    void loginDefaultAsync();
    void logout();
    void queryAllDeviceStatus();
    qint32 queryDeviceStatus(const QString& deviceId);
    LoginCenterResultType changeAccessPwd(const QString& first, const QString& second);

    void addDevice(VeCameraModel* record);
    void removeDevice(const QString& deviceId);
    void updateAlias(const QString& alias, VeCameraModel* record);
    void updateAccessPwd(const QString& userPwd, const QString& devicePwd, VeCameraModel* record);

    // Readers of the device list (under the list mutex); records are the list's, not the caller's.
    QMap<QString, VeCameraModel*> cloudDevicesSnapshot() const;
    QList<VeCameraModel*> cloudDeviceList() const;
    VeCameraModel* cloudDevice(const QString& deviceId) const;
    int pendingOperation() const;
    bool isLoggedIn() const;

    static void systemCallback(void* context, int command, const char* text, int length);
    void handleSystemCommand(int command, const QByteArray& text, int length);

    // Call progress (105/106) goes to the video center once it exists.
    void setVideoCenter(NxVideoCenter* videoCenter);

signals:
    void loginResultSignal(LoginCenterResultType result);
    void updateAccessPwdResultSignal(LoginCenterResultType result);
    void registMonitorResultSignal(LoginCenterResultType result);
    void didLoadDeviceInfoSignal(VeCameraModel* record);
    void updateDeviceListSignal();
    void startLoginTimerSignal(int milliseconds);
    void stopLoginTimerSignal();
    void wanDeviceOnlineSignal(QString deviceId);

public slots:
    void registMoniterSuccess(LoginCenterResultType result);
    void startLoginTimerSlot(int milliseconds);
    void stopLoginTimerSlot();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    bool loginTo(const QString& user, const QString& password, const QString& host, int port);
    // Arms the wait for a new pending operation (under the main mutex).
    void beginLocked(qint32 op);
    // Ends the operation started by beginLocked when it is still the pending one (a failed send).
    void abandon(qint32 op, quint64 serial);
    void runInBackground(std::function<void()> job);
    static void sendStatusRequests(const QStringList& ids);
    void handleDeviceInfo(const QByteArray& text);
    void applyDeviceInfo(const NxDeviceInfoRecord& info);
    void saveLocked();

    QMap<QString, VeCameraModel*> cloudDevices;
    qint32 pendingOp = 0;
    mutable QMutex mainMutex;
    mutable QMutex listMutex;
    int timerId = -1;
    bool loggedIn = false;
    // Counts the operations begun, so that a late failure of one cannot end the next.
    quint64 m_opSerial = 0;

    // Records taken out of the list: cells and dialogs may still hold them, so they are kept, not
    // destroyed, for the life of the process.
    QList<VeCameraModel*> m_retired;
    NxDataCenter* m_dataCenter;
    std::atomic<NxVideoCenter*> m_videoCenter{nullptr};
};
