#include "NxDeviceStateCenter.h"

#include "NxLanCenter.h"

#include "TvMutexLocker.h"

NxDeviceStateCenter::NxDeviceStateCenter(QObject* parent) : QObject(parent) {}

NxDeviceStateCenter* NxDeviceStateCenter::instance() {
    // Never destroyed: SDK threads may ask until the process ends.
    static NxDeviceStateCenter* center = new NxDeviceStateCenter;
    return center;
}

bool NxDeviceStateCenter::isLanDevice(const QString& deviceId) const {
    const NxLanCenter* lan = m_lanCenter.load(std::memory_order_acquire);
    return lan && lan->contains(deviceId);
}

bool NxDeviceStateCenter::isWanOnline(const QString& deviceId) const {
    TvMutexLocker locker(&mutex);
    return wanState.value(deviceId, 0) == 1;
}

void NxDeviceStateCenter::setWanState(const QString& deviceId, int state) {
    TvMutexLocker locker(&mutex);
    wanState.insert(deviceId, state);
}

void NxDeviceStateCenter::clearWanState() {
    TvMutexLocker locker(&mutex);
    wanState.clear();
}

QMap<QString, int> NxDeviceStateCenter::wanStateSnapshot() const {
    TvMutexLocker locker(&mutex);
    return wanState;
}

void NxDeviceStateCenter::attachLanCenter(NxLanCenter* lanCenter) {
    m_lanCenter.store(lanCenter, std::memory_order_release);
}
