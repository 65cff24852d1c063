#pragma once

#include <QList>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>

class NxDataCenter;
class VeCameraModel;

// The table of cameras the SDK found on the local network. A camera in it takes the LAN path with its
// handle. Reports arrive on SDK threads; every reader and writer of the table holds the mutex.
class NxLanCenter : public QObject {
    Q_OBJECT
public:
    // The data center runs the searches on the service's worker; without one they run on a job thread.
    explicit NxLanCenter(NxDataCenter* dataCenter = nullptr, QObject* parent = nullptr);

    static void lanDeviceCallback(void* context, const char* deviceId, const char* flag, int nxid, int value1,
                                  int value2, const char* audioType);
    // Files one report. Takes ownership of `record`: it is kept when new, deleted when the id is known.
    void handleNxLanDataCallback(VeCameraModel* record);
    // Forgets the cameras that are not playing and starts a new search (on a worker thread: it waits
    // for the network); `mode` only goes to the log.
    void refreshLan(int mode);

    bool contains(const QString& deviceId) const;
    // The stored record for the id, or nullptr. The record outlives its removal from the table.
    VeCameraModel* device(const QString& deviceId) const;
    // The handle of the stored record, read under the mutex (reports may change it at any time).
    bool handleOf(const QString& deviceId, qint32* nxid) const;
    // A copy of the table, ordered by id.
    QMap<QString, VeCameraModel*> lanDevicesSnapshot() const;
    QList<VeCameraModel*> lanDeviceList() const;

signals:
    void findNewDeviceSignal(QString deviceId);
    void LanDeviceOnlineSignal(QString deviceId);

private:
    QMap<QString, VeCameraModel*> lanDevices;
    mutable QMutex mutex;
    // Records a refresh took out of the table, by id. Lists, cells and dialogs may still hold them, so
    // they are not destroyed; a camera found again gets its old record back, which bounds this map by
    // the number of cameras ever seen instead of growing with every refresh.
    QMap<QString, VeCameraModel*> m_retired;
    NxDataCenter* m_dataCenter;
};
