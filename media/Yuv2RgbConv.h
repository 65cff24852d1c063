#pragma once

#include <cstdint>

// Integer, table-driven planar YUV 4:2:0 (TvYuvLayout) to packed RGB conversion for snapshots.
class Yuv2RgbConv {
public:
    // Builds the 16.16 fixed-point tables once; later calls do nothing.
    static void initTables();

    // Writes width x height x 3 bytes of RGB to out, the bottom picture row first. Chroma rows are
    // ceil(width / 2) samples long, so odd sizes convert without reading past a plane. Returns 0,
    // or -1 for bad arguments.
    static int convert(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* out, int width,
                       int height);
};
