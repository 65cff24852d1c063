#pragma once

#include "OnvifSoap.h"

#include <map>
#include <string>
#include <vector>

namespace pcq {

// The device, media and PTZ services of one ONVIF camera. The service addresses and the profiles are read
// once (GetCapabilities, GetProfiles) and kept; a refused login forgets them so the next call asks again.
// Not thread-safe: the backend serialises the calls to one camera.
class OnvifCamera {
public:
    OnvifCamera(std::string deviceXaddr, int timeoutMs);

    void setCredentials(const OnvifCredentials& credentials);
    const OnvifCredentials& credentials() const { return m_credentials; }
    const std::string& deviceXaddr() const { return m_deviceXaddr; }

    // Each returns PCQ_OK or the failure of OnvifSoap::call (PCQ_ERR_FAILED also for a camera without
    // the profile or PTZ asked for).
    int deviceInformation(std::string* model);
    // stream: PCQ_STREAM_MAIN (first profile) or PCQ_STREAM_SUB (second, else the first).
    int streamUri(int stream, std::string* uri);
    // Velocities in -1..1; all zero is not a stop, use stop().
    int continuousMove(double pan, double tilt, double zoom);
    int stop();
    int setPreset(int number);
    int gotoPreset(int number);

private:
    struct Profile {
        std::string token;
        bool ptz = false;
    };
    int call(const std::string& url, const std::string& body, OnvifXml* reply);
    int ensureProfiles();
    int ptzProfile(std::string* token);
    int presetToken(const std::string& profile, int number, std::string* token);

    std::string m_deviceXaddr;
    int m_timeoutMs;
    OnvifCredentials m_credentials;
    std::string m_mediaXaddr;
    std::string m_ptzXaddr;
    std::vector<Profile> m_profiles;
    std::map<int, std::string> m_presetTokens; // our preset number -> the camera's token
};

} // namespace pcq
