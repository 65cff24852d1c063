#pragma once

#include <QString>

// The device service's answers that a camera record needs about itself. The record sits below the
// service, so the service installs an implementation at start-up; until then every answer is "no".
class TvDeviceQuery {
public:
    virtual ~TvDeviceQuery() = default;

    // The camera was found on the local network.
    virtual bool isLanDevice(const QString& deviceId) const = 0;
    // The cloud server reports the camera online.
    virtual bool isWanOnline(const QString& deviceId) const = 0;
    // Only the SDK's answer 1 counts as a match.
    virtual bool checkAccessPwd(const QString& localPwd, const QString& storedPwd) const = 0;

    static TvDeviceQuery* installed();
    // Not owned; pass nullptr to remove. The service's implementation lives until the process ends.
    static void install(TvDeviceQuery* query);
};
