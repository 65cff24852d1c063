#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a simulated camera heard through talk-back: the A-law blocks are decoded and the newest second
// of sound is kept, so that its level and dominant frequency can be reported.
class SimTalkMeter {
public:
    static constexpr int kRate = 8000;

    void add(const std::uint8_t* alaw, std::size_t length);
    void addPcm(const std::int16_t* pcm, std::size_t count);
    void reset() { *this = SimTalkMeter(); }
    // Root mean square of the kept samples (0 when none).
    double rms() const;
    // The strongest frequency from 50 to 3950 Hz in 10 Hz steps over the kept samples; 0 when silent.
    int dominantHz() const;
    std::int64_t samples() const { return m_total; }
    // "samples=.. rms=.. freq=.."
    std::string describe() const;

private:
    std::vector<std::int16_t> m_recent; // at most one second
    std::int64_t m_total = 0;
};
