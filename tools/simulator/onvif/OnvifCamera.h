#pragma once

#include <atomic>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// One simulated ONVIF camera: what its services answer and what was asked of them. Written by the
// ONVIF thread (SOAP calls) and the control commands, so everything changeable is under the lock or
// atomic.
class OnvifCamera {
public:
    // Bounds that keep a misbehaving client from growing the camera without end.
    static constexpr std::size_t kMaxPresets = 32;
    static constexpr std::size_t kMaxLogEntries = 256;

    OnvifCamera(std::string id, bool ptz, std::string password);

    const std::string& id() const { return m_id; }
    bool ptz() const { return m_ptz; }
    // The endpoint reference: the same for the same id, so a client keeps it across restarts.
    const std::string& uuid() const { return m_uuid; }
    const std::string& user() const { return m_user; }

    std::string password() const;
    void setPassword(const std::string& password);

    // The PTZ calls in the order made, "ContinuousMove x y z;Stop;...".
    void recordPtz(const std::string& entry);
    std::string ptzLog() const;
    void clearPtzLog();
    // How often each action was asked, and how often a request was refused for its credentials.
    void countCall(const std::string& action);
    std::string calls() const;

    // Stores a preset under token (a new token when empty or unknown); false when full.
    bool setPreset(std::string* token, const std::string& name);
    bool hasPreset(const std::string& token) const;
    std::vector<std::pair<std::string, std::string>> presets() const;

    std::atomic<bool> stalled{false};  // the RTSP streams hold their media back
    std::atomic<bool> vanished{false}; // discovery no longer answers for this camera
    std::atomic<int> httpPort{0};

private:
    const std::string m_id;
    const bool m_ptz;
    const std::string m_uuid;
    const std::string m_user = "admin";
    mutable std::mutex m_lock;
    std::string m_password;
    std::vector<std::string> m_ptzLog;
    std::map<std::string, int> m_calls;
    std::map<std::string, std::string> m_presets; // token -> name
    int m_nextPreset = 1;
};
