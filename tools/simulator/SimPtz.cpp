#include "SimPtz.h"

void SimPtz::move(int direction, std::int64_t nowMs) {
    settle(nowMs);
    m_direction = (direction >= 1 && direction <= 4) ? direction : 0;
}

void SimPtz::stop(std::int64_t nowMs) {
    settle(nowMs);
    m_direction = 0;
}

void SimPtz::setPreset(int n, std::int64_t nowMs) {
    m_presets[n] = position(nowMs);
}

bool SimPtz::goPreset(int n, std::int64_t nowMs) {
    const auto it = m_presets.find(n);
    if (it == m_presets.end())
        return false;
    settle(nowMs);
    m_direction = 0;
    m_pan = it->second.first;
    m_tilt = it->second.second;
    m_preset = n;
    return true;
}

void SimPtz::reset() {
    *this = SimPtz();
}

std::pair<int, int> SimPtz::position(std::int64_t nowMs) const {
    const int step = static_cast<int>((nowMs - m_sinceMs) * kDegreesPerSecond / 1000);
    int pan = m_pan, tilt = m_tilt;
    switch (m_direction) {
    case 1:
        tilt += step;
        break;
    case 2:
        tilt -= step;
        break;
    case 3:
        pan -= step;
        break;
    case 4:
        pan += step;
        break;
    default:
        break;
    }
    return {clamp(pan, -kPanLimit, kPanLimit), clamp(tilt, -kTiltLimit, kTiltLimit)};
}

void SimPtz::settle(std::int64_t nowMs) {
    const std::pair<int, int> p = position(nowMs);
    m_pan = p.first;
    m_tilt = p.second;
    m_sinceMs = nowMs;
}

std::string SimPtz::describe(std::int64_t nowMs) const {
    const std::pair<int, int> p = position(nowMs);
    std::string out = "pan=" + std::to_string(p.first) + " tilt=" + std::to_string(p.second) +
                      " zoom=" + std::to_string(m_zoom) + " moving=" + std::to_string(m_direction) +
                      " cruise=" + std::to_string(m_cruise) + " flip=" + std::to_string(m_flip) +
                      " mirror=" + std::to_string(m_mirror) + " preset=" + std::to_string(m_preset) +
                      " presets=";
    bool first = true;
    for (const auto& preset : m_presets) {
        out += (first ? "" : ",") + std::to_string(preset.first) + ":" + std::to_string(preset.second.first) +
               ":" + std::to_string(preset.second.second);
        first = false;
    }
    return out;
}
