#include "NxDeviceQueryAdapter.h"

#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"

NxDeviceQueryAdapter::NxDeviceQueryAdapter(NxDataCenter* dataCenter) : m_dataCenter(dataCenter) {}

bool NxDeviceQueryAdapter::isLanDevice(const QString& deviceId) const {
    return NxDeviceStateCenter::instance()->isLanDevice(deviceId);
}

bool NxDeviceQueryAdapter::isWanOnline(const QString& deviceId) const {
    return NxDeviceStateCenter::instance()->isWanOnline(deviceId);
}

bool NxDeviceQueryAdapter::checkAccessPwd(const QString& localPwd, const QString& storedPwd) const {
    return m_dataCenter->checkAccessPwd(localPwd, storedPwd);
}
