#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// G.711 A-law, the cameras' sound format: the one encoder shared by the client's talk path and the
// simulated cameras. The encoder is the common reference one the cameras expect, whose codes for the
// smallest negative samples (-1 to -7) differ from FFmpeg's pcm_alaw.
class AlawCodec {
public:
    static std::uint8_t encode(std::int16_t sample);
    static std::vector<std::uint8_t> encode(const std::int16_t* samples, std::size_t count);
    static std::int16_t decode(std::uint8_t code);
};
