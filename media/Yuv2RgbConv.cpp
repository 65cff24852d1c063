#include "Yuv2RgbConv.h"

#include "TvYuvLayout.h"

#include <cstdio>
#include <mutex>

namespace {

struct Tables {
    int luma[256];
    int vRed[256];
    int uBlue[256];
    int uGreen[256];
    int vGreen[256];
    uint8_t clampStore[1024];
    const uint8_t* clamp = clampStore + 384; // addressed from -384 to 639
};

Tables g_tables;
std::once_flag g_tablesOnce;

void buildTables() {
    for (int s = 0; s < 256; ++s) {
        // Half a unit of rounding, so that Y = 235 gives 255 and not 254.
        g_tables.luma[s] = (s - 16) * 76309 + 32768;
        g_tables.vRed[s] = (s - 128) * 104597;
        g_tables.uBlue[s] = (s - 128) * 132201;
        g_tables.uGreen[s] = (s - 128) * 25675;
        g_tables.vGreen[s] = (s - 128) * 53279;
    }
    for (int i = -384; i < 640; ++i)
        g_tables.clampStore[i + 384] = static_cast<uint8_t>(i < 0 ? 0 : (i > 255 ? 255 : i));
}

} // namespace

void Yuv2RgbConv::initTables() {
    std::call_once(g_tablesOnce, buildTables);
}

int Yuv2RgbConv::convert(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* out, int width,
                         int height) {
    if (!y || !u || !v || !out || !TvYuvLayout::validSize(width, height)) {
        std::fprintf(stderr, "[Yuv2RgbConv::convert]error bad arguments.\n");
        return -1;
    }
    initTables();
    const Tables& t = g_tables;
    const int cw = TvYuvLayout::chromaWidth(width);
    const size_t rowBytes = size_t(width) * 3;
    for (int row = 0; row < height; ++row) {
        const uint8_t* yRow = y + size_t(row) * width;
        const uint8_t* uRow = u + size_t(row / 2) * cw;
        const uint8_t* vRow = v + size_t(row / 2) * cw;
        // Bottom row first: row r lands in output row height - 1 - r.
        uint8_t* dst = out + size_t(height - 1 - row) * rowBytes;
        for (int col = 0; col < width; ++col) {
            const int luma = t.luma[yRow[col]];
            const int us = uRow[col / 2];
            const int vs = vRow[col / 2];
            dst[0] = t.clamp[(luma + t.vRed[vs]) >> 16];
            dst[1] = t.clamp[(luma - t.uGreen[us] - t.vGreen[vs]) >> 16];
            dst[2] = t.clamp[(luma + t.uBlue[us]) >> 16];
            dst += 3;
        }
    }
    return 0;
}
