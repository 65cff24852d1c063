#include "AlawCodec.h"

std::uint8_t AlawCodec::encode(std::int16_t sample) {
    static const int segmentEnd[8] = {0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF};
    int pcm = sample;
    int mask = 0xD5;
    if (pcm < 0) {
        mask = 0x55;
        pcm = -pcm - 8;
    }
    int segment = 0;
    while (segment < 8 && pcm > segmentEnd[segment])
        ++segment;
    if (segment >= 8)
        return static_cast<std::uint8_t>(0x7F ^ mask);
    int value = segment << 4;
    value |= (segment < 2) ? ((pcm >> 4) & 0x0F) : ((pcm >> (segment + 3)) & 0x0F);
    return static_cast<std::uint8_t>(value ^ mask);
}

std::vector<std::uint8_t> AlawCodec::encode(const std::int16_t* samples, std::size_t count) {
    std::vector<std::uint8_t> out(count);
    for (std::size_t i = 0; i < count; ++i)
        out[i] = encode(samples[i]);
    return out;
}

std::int16_t AlawCodec::decode(std::uint8_t code) {
    // Even bits inverted, then sign, segment and mantissa.
    const int a = code ^ 0x55;
    const int segment = (a & 0x70) >> 4;
    int magnitude = (a & 0x0F) << 4;
    magnitude += (segment == 0) ? 8 : 0x108;
    if (segment > 1)
        magnitude <<= segment - 1;
    return static_cast<std::int16_t>((a & 0x80) ? magnitude : -magnitude);
}
