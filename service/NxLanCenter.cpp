#include "NxLanCenter.h"

#include "NxAsyncJob.h"
#include "NxDataCenter.h"
#include "NxRecordCodec.h"
#include "VeCameraModel.h"

#include <pcQuorvane.h>

#include "TvMutexLocker.h"
#include <QDebug>
#include <QThread>

NxLanCenter::NxLanCenter(NxDataCenter* dataCenter, QObject* parent)
    : QObject(parent), m_dataCenter(dataCenter) {
    nx_InitLAN(this, &NxLanCenter::lanDeviceCallback);
}

void NxLanCenter::lanDeviceCallback(void* context, const char* deviceId, const char* flag, int nxid, int, int,
                                    const char* audioType) {
    const QByteArray id = NxRecordCodec::boundedText(deviceId, 0);
    qWarning("devid %s and nxid %d", id.constData(), nxid);
    if (!context || !deviceId)
        return;
    if (id == "301")
        return;
    auto* center = static_cast<NxLanCenter*>(context);
    const QString idText = QString::fromUtf8(id);
    auto* record = new VeCameraModel(idText, idText, QString::fromUtf8(NxRecordCodec::boundedText(flag, 0)),
                                     QString::fromUtf8(NxRecordCodec::boundedText(audioType, 0)), nxid, 1,
                                     QString(), QString());
    center->handleNxLanDataCallback(record);
}

void NxLanCenter::handleNxLanDataCallback(VeCameraModel* record) {
    if (!record)
        return;
    const QString id = record->deviceId;
    bool isNew = false;
    {
        TvMutexLocker locker(&mutex);
        VeCameraModel* stored = lanDevices.value(id);
        if (!stored) {
            qWarning() << "局域网发现新设备" << id;
            if (VeCameraModel* old = m_retired.take(id)) {
                // Its old record comes back, with the new handle like a known camera's; its texts stay,
                // as a list or dialog on the GUI thread may be reading them.
                old->nxid = record->nxid;
                old->online = record->online;
                delete record;
                record = old;
            }
            // Records are the GUI's objects: one made on an SDK thread moves to the center's thread.
            if (record->thread() == QThread::currentThread() && record->thread() != thread())
                record->moveToThread(thread());
            lanDevices.insert(id, record);
            isNew = true;
        } else {
            if (stored->nxid != record->nxid)
                stored->nxid = record->nxid;
            qWarning() << "handleNxLanDataCallback" << 51;
            // The stored record stays the one others hold; the duplicate is nobody's.
            if (stored != record)
                delete record;
        }
    }
    // Raised after the release: a receiver on this thread (a direct connection) may read the table.
    if (isNew)
        emit findNewDeviceSignal(id);
    else
        emit LanDeviceOnlineSignal(id);
}

void NxLanCenter::refreshLan(int mode) {
    {
        TvMutexLocker locker(&mutex);
        const QList<VeCameraModel*> records = lanDevices.values();
        for (VeCameraModel* record : records) {
            if (!record->playing) {
                lanDevices.remove(record->deviceId);
                m_retired.insert(record->deviceId, record);
            }
        }
    }
    qWarning("局域网刷新方式 %d", mode);
    if (m_dataCenter)
        m_dataCenter->runInBackground([] { nx_LanRefresh(); });
    else
        NxAsyncJob::start([] { nx_LanRefresh(); });
}

bool NxLanCenter::contains(const QString& deviceId) const {
    TvMutexLocker locker(&mutex);
    return lanDevices.contains(deviceId);
}

VeCameraModel* NxLanCenter::device(const QString& deviceId) const {
    TvMutexLocker locker(&mutex);
    return lanDevices.value(deviceId);
}

bool NxLanCenter::handleOf(const QString& deviceId, qint32* nxid) const {
    TvMutexLocker locker(&mutex);
    const VeCameraModel* record = lanDevices.value(deviceId);
    if (!record)
        return false;
    *nxid = record->nxid;
    return true;
}

QMap<QString, VeCameraModel*> NxLanCenter::lanDevicesSnapshot() const {
    TvMutexLocker locker(&mutex);
    return lanDevices;
}

QList<VeCameraModel*> NxLanCenter::lanDeviceList() const {
    TvMutexLocker locker(&mutex);
    return lanDevices.values();
}
