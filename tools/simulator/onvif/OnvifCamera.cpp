#include "OnvifCamera.h"

#include <glib.h>

#include <cstdio>

namespace {

// A name-based UUID (version 5 layout) from the camera id.
std::string uuidFor(const std::string& id) {
    gchar* hex = g_compute_checksum_for_string(G_CHECKSUM_SHA1, ("kvab-onvif-" + id).c_str(), -1);
    std::string h(hex);
    g_free(hex);
    h[12] = '5';
    h[16] = "89ab"[std::stoi(h.substr(16, 1), nullptr, 16) & 3];
    return h.substr(0, 8) + "-" + h.substr(8, 4) + "-" + h.substr(12, 4) + "-" + h.substr(16, 4) + "-" +
           h.substr(20, 12);
}

} // namespace

OnvifCamera::OnvifCamera(std::string id, bool ptz, std::string password)
    : m_id(std::move(id)), m_ptz(ptz), m_uuid(uuidFor(m_id)), m_password(std::move(password)) {}

std::string OnvifCamera::password() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_password;
}

void OnvifCamera::setPassword(const std::string& password) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_password = password;
}

void OnvifCamera::recordPtz(const std::string& entry) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_ptzLog.size() >= kMaxLogEntries)
        m_ptzLog.erase(m_ptzLog.begin());
    m_ptzLog.push_back(entry);
}

std::string OnvifCamera::ptzLog() const {
    std::lock_guard<std::mutex> lock(m_lock);
    std::string out;
    for (const auto& e : m_ptzLog)
        out += (out.empty() ? "" : ";") + e;
    return out;
}

void OnvifCamera::clearPtzLog() {
    std::lock_guard<std::mutex> lock(m_lock);
    m_ptzLog.clear();
}

void OnvifCamera::countCall(const std::string& action) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_calls.size() < 64 || m_calls.count(action))
        ++m_calls[action];
}

std::string OnvifCamera::calls() const {
    std::lock_guard<std::mutex> lock(m_lock);
    std::string out;
    for (const auto& c : m_calls)
        out += (out.empty() ? "" : " ") + c.first + "=" + std::to_string(c.second);
    return out;
}

bool OnvifCamera::setPreset(std::string* token, const std::string& name) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (token->empty() || !m_presets.count(*token)) {
        if (m_presets.size() >= kMaxPresets)
            return false;
        *token = "Preset_" + std::to_string(m_nextPreset++);
    }
    m_presets[*token] = name.empty() ? *token : name;
    return true;
}

bool OnvifCamera::hasPreset(const std::string& token) const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_presets.count(token) > 0;
}

std::vector<std::pair<std::string, std::string>> OnvifCamera::presets() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return {m_presets.begin(), m_presets.end()};
}
