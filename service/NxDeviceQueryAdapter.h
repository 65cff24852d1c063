#pragma once

#include "TvDeviceQuery.h"

class NxDataCenter;

// Answers the camera record's questions about itself from the device service.
class NxDeviceQueryAdapter : public TvDeviceQuery {
public:
    explicit NxDeviceQueryAdapter(NxDataCenter* dataCenter);

    bool isLanDevice(const QString& deviceId) const override;
    bool isWanOnline(const QString& deviceId) const override;
    bool checkAccessPwd(const QString& localPwd, const QString& storedPwd) const override;

private:
    NxDataCenter* m_dataCenter;
};
