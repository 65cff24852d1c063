#include "AlawEncoder.h"

std::uint8_t AlawEncoder::encode(std::int16_t sample) {
    static const int segEnd[8] = {0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF};
    int pcm = sample;
    int mask;
    if (pcm >= 0) {
        mask = 0xD5;
    } else {
        mask = 0x55;
        pcm = -pcm - 8;
    }
    int seg = 0;
    while (seg < 8 && pcm > segEnd[seg])
        ++seg;
    if (seg >= 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    int aval = seg << 4;
    aval |= (seg < 2) ? ((pcm >> 4) & 0x0F) : ((pcm >> (seg + 3)) & 0x0F);
    return static_cast<std::uint8_t>(aval ^ mask);
}
