#pragma once

#include <cstdint>

// ITU-T G.711 A-law from 16-bit linear samples (the common reference encoder).
class AlawEncoder {
public:
    static std::uint8_t encode(std::int16_t sample);
};
