#pragma once

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

class NxLanCenter;

// Answers the two questions every routing decision rests on: is the camera on the local network, and
// is it online at the cloud server. Safe to ask from any thread.
class NxDeviceStateCenter : public QObject {
    Q_OBJECT
public:
    static NxDeviceStateCenter* instance();

    // The id is in the LAN center's table (asked under the LAN center's mutex).
    bool isLanDevice(const QString& deviceId) const;
    // The cloud state table holds 1 for the id.
    bool isWanOnline(const QString& deviceId) const;

    void setWanState(const QString& deviceId, int state);
    void clearWanState();
    QMap<QString, int> wanStateSnapshot() const;

    // The data center attaches its LAN center once it exists; before that nothing is LAN-found.
    void attachLanCenter(NxLanCenter* lanCenter);

private:
    explicit NxDeviceStateCenter(QObject* parent = nullptr);

    QMap<QString, int> wanState;
    mutable QMutex mutex;
    std::atomic<NxLanCenter*> m_lanCenter{nullptr};
};
