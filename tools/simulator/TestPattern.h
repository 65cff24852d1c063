#pragma once

#include <cstdint>
#include <string>

// The moving test picture: a drifting gradient, a bouncing box, the camera id, the stream label and
// the clip clock, drawn straight into planar YUV 4:2:0.
class TestPattern {
public:
    static void draw(int frame, int rate, int width, int height, const std::string& cameraId,
                     const std::string& label, std::uint8_t* y, int yStride, std::uint8_t* u, std::uint8_t* v,
                     int cStride);
    // Text in the built-in 5x7 font; unknown characters draw as blanks.
    static void text(std::uint8_t* y, int stride, int width, int height, int x0, int y0, int scale,
                     const std::string& text, std::uint8_t value);
};
