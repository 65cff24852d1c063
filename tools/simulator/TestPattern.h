#pragma once

#include <cstdint>
#include <string>

// Where a camera's head points, as the picture shows it.
struct HeadView {
    int pan = 0;  // degrees, right positive
    int tilt = 0; // degrees, up positive
    int zoom = 1;
    bool flip = false;
    bool mirror = false;
    // The camera's picture settings, 1..63; 32 leaves the picture as it is.
    int brightness = 32;
    int contrast = 32;
    int saturation = 32;
    bool plainPicture() const { return brightness == 32 && contrast == 32 && saturation == 32; }
    bool home() const { return pan == 0 && tilt == 0 && zoom == 1 && !flip && !mirror && plainPicture(); }
};

// The moving test picture: a drifting gradient, a bouncing box, the camera id, the stream label and
// the clip clock, drawn straight into planar YUV 4:2:0.
class TestPattern {
public:
    static void draw(int frame, int rate, int width, int height, const std::string& cameraId,
                     const std::string& label, std::uint8_t* y, int yStride, std::uint8_t* u, std::uint8_t* v,
                     int cStride);
    // The scene the head looks at: a grid every ten degrees and a red cross-hair at the scene's centre,
    // both shifted against pan and tilt and scaled by the zoom, then the picture flipped and mirrored as
    // the head is, and brightness, contrast and saturation applied; a text line names the state.
    static void drawHead(const HeadView& head, int width, int height, std::uint8_t* y, int yStride,
                         std::uint8_t* u, std::uint8_t* v, int cStride);
    // Degrees of the scene across the picture at zoom 1: the whole pan range, so the cross-hair stays in
    // sight.
    static constexpr int kFieldDegrees = 360;
    // Text in the built-in 5x7 font; unknown characters draw as blanks.
    static void text(std::uint8_t* y, int stride, int width, int height, int x0, int y0, int scale,
                     const std::string& text, std::uint8_t value);
};
