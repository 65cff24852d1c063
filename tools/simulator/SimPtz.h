#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

// The pan/tilt/zoom head of a simulated camera: a held direction moves it at a steady speed until the
// stop command, zoom steps one level per command, cruises and flip/mirror toggle, and eight presets
// remember positions. Times are steady-clock milliseconds, passed in so that the model stays plain.
class SimPtz {
public:
    static constexpr int kPanLimit = 180; // degrees either side
    static constexpr int kTiltLimit = 90;
    static constexpr int kDegreesPerSecond = 40;
    static constexpr int kMaxZoom = 10;

    // Direction 1 up, 2 down, 3 left, 4 right (the selector numbers); another direction replaces it.
    void move(int direction, std::int64_t nowMs);
    void stop(std::int64_t nowMs);
    void zoom(int step) { m_zoom = clamp(m_zoom + step, 1, kMaxZoom); }
    // 1 horizontal, 2 vertical, 3 all; the same number again ends it.
    void toggleCruise(int kind) { m_cruise = (m_cruise == kind) ? 0 : kind; }
    void toggleFlip() { m_flip ^= 1; }
    void toggleMirror() { m_mirror ^= 1; }
    void setPreset(int n, std::int64_t nowMs);
    // False for a preset that was never set (the head stays).
    bool goPreset(int n, std::int64_t nowMs);
    void reset();

    std::pair<int, int> position(std::int64_t nowMs) const; // pan, tilt
    int zoomLevel() const { return m_zoom; }
    int cruise() const { return m_cruise; }
    int flip() const { return m_flip; }
    int mirror() const { return m_mirror; }
    int lastPreset() const { return m_preset; }
    int moving() const { return m_direction; }
    // "pan=.. tilt=.. zoom=.. moving=.. cruise=.. flip=.. mirror=.. preset=.. presets=n:pan:tilt,..."
    std::string describe(std::int64_t nowMs) const;

private:
    static int clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }
    void settle(std::int64_t nowMs);

    int m_pan = 0, m_tilt = 0, m_zoom = 1;
    int m_direction = 0;
    std::int64_t m_sinceMs = 0;
    int m_cruise = 0, m_flip = 0, m_mirror = 0, m_preset = 0;
    std::map<int, std::pair<int, int>> m_presets;
};
