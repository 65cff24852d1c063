#include "SimTalkMeter.h"

#include "AlawCodec.h"

#include <cmath>

void SimTalkMeter::add(const std::uint8_t* alaw, std::size_t length) {
    std::vector<std::int16_t> pcm(length);
    for (std::size_t i = 0; i < length; ++i)
        pcm[i] = AlawCodec::decode(alaw[i]);
    addPcm(pcm.data(), length);
}

void SimTalkMeter::addPcm(const std::int16_t* pcm, std::size_t count) {
    m_recent.insert(m_recent.end(), pcm, pcm + count);
    m_total += static_cast<std::int64_t>(count);
    if (m_recent.size() > static_cast<std::size_t>(kRate))
        m_recent.erase(m_recent.begin(), m_recent.end() - kRate);
}

double SimTalkMeter::rms() const {
    if (m_recent.empty())
        return 0.0;
    double sum = 0.0;
    for (std::int16_t s : m_recent)
        sum += double(s) * double(s);
    return std::sqrt(sum / double(m_recent.size()));
}

int SimTalkMeter::dominantHz() const {
    if (rms() < 1.0)
        return 0;
    // Goertzel power at each candidate frequency.
    int best = 0;
    double bestPower = 0.0;
    for (int hz = 50; hz < kRate / 2; hz += 10) {
        const double coeff = 2.0 * std::cos(2.0 * M_PI * hz / kRate);
        double s1 = 0.0, s2 = 0.0;
        for (std::int16_t x : m_recent) {
            const double s0 = x + coeff * s1 - s2;
            s2 = s1;
            s1 = s0;
        }
        const double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;
        if (power > bestPower) {
            bestPower = power;
            best = hz;
        }
    }
    return best;
}

std::string SimTalkMeter::describe() const {
    return "samples=" + std::to_string(m_total) + " rms=" + std::to_string(static_cast<int>(rms())) +
           " freq=" + std::to_string(dominantHz());
}
