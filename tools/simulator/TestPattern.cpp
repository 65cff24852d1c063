#include "TestPattern.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

struct Glyph {
    char c;
    std::uint8_t rows[7];
};

const Glyph kFont[] = {
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1C, 0x12, 0x11, 0x11, 0x11, 0x12, 0x1C}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}},
    {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}}, {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'_', {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1F}},
};

const Glyph* glyph(char c) {
    const char u = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const Glyph& g : kFont)
        if (g.c == u)
            return &g;
    return nullptr;
}

void fillRect(std::uint8_t* p, int stride, int width, int height, int x0, int y0, int w, int h,
              std::uint8_t v) {
    for (int yy = y0 < 0 ? 0 : y0; yy < y0 + h && yy < height; ++yy) {
        const int xs = x0 < 0 ? 0 : x0;
        const int xe = (x0 + w) > width ? width : x0 + w;
        if (xe > xs)
            std::memset(p + static_cast<std::size_t>(yy) * stride + xs, v, static_cast<std::size_t>(xe - xs));
    }
}

} // namespace

void TestPattern::text(std::uint8_t* y, int stride, int width, int height, int x0, int y0, int scale,
                       const std::string& s, std::uint8_t value) {
    int x = x0;
    for (char c : s) {
        if (const Glyph* g = glyph(c)) {
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (0x10 >> col))
                        fillRect(y, stride, width, height, x + col * scale, y0 + row * scale, scale, scale,
                                 value);
        }
        x += 6 * scale;
    }
}

void TestPattern::draw(int frame, int rate, int width, int height, const std::string& cameraId,
                       const std::string& label, std::uint8_t* y, int yStride, std::uint8_t* u,
                       std::uint8_t* v, int cStride) {
    const int shift = frame * 4;
    for (int row = 0; row < height; ++row) {
        std::uint8_t* line = y + static_cast<std::size_t>(row) * yStride;
        for (int col = 0; col < width; ++col)
            line[col] =
                static_cast<std::uint8_t>(40 + (((col + row + shift) * 128 / (width + height)) & 127));
    }
    unsigned hue = 0;
    for (char c : cameraId)
        hue = hue * 33 + static_cast<unsigned char>(c);
    for (int row = 0; row < height / 2; ++row) {
        std::memset(u + static_cast<std::size_t>(row) * cStride, static_cast<int>(96 + hue % 64), width / 2);
        std::memset(v + static_cast<std::size_t>(row) * cStride, static_cast<int>(96 + (hue / 64) % 64),
                    width / 2);
    }
    // Bouncing box: movement is visible even in a still.
    const int box = height / 6;
    const int span = width - box;
    int bx = (frame * width / (rate * 3)) % (2 * span);
    if (bx > span)
        bx = 2 * span - bx;
    fillRect(y, yStride, width, height, bx, height - box - height / 12, box, box, 235);

    const int scale = height / 90 > 1 ? height / 90 : 1;
    const int margin = scale * 4;
    fillRect(y, yStride, width, height, 0, 0, width, margin * 2 + scale * 36, 16);
    text(y, yStride, width, height, margin, margin, scale * 2, cameraId, 235);
    const int centi = (frame % rate) * 100 / rate;
    const int seconds = frame / rate;
    char clock[64];
    std::snprintf(clock, sizeof clock, "%02d:%02d.%02d  F%04d", seconds / 60, seconds % 60, centi, frame);
    text(y, yStride, width, height, margin, margin + scale * 16, scale, label, 200);
    text(y, yStride, width, height, margin, margin + scale * 26, scale, clock, 235);
}

void TestPattern::drawHead(const HeadView& head, int width, int height, std::uint8_t* y, int yStride,
                           std::uint8_t* u, std::uint8_t* v, int cStride) {
    const int zoom = head.zoom < 1 ? 1 : head.zoom;
    // Pixels per degree of the scene; the head turning right moves the scene left.
    const int perTen = width * zoom * 10 / kFieldDegrees;
    const int cx = width / 2 - head.pan * width * zoom / kFieldDegrees;
    const int cy = height / 2 + head.tilt * width * zoom / kFieldDegrees;
    const int line = height / 180 > 1 ? height / 180 : 1;
    if (perTen > 4) {
        for (int x = ((cx % perTen) + perTen) % perTen; x < width; x += perTen)
            fillRect(y, yStride, width, height, x, 0, line, height, 96);
        for (int row = ((cy % perTen) + perTen) % perTen; row < height; row += perTen)
            fillRect(y, yStride, width, height, 0, row, width, line, 96);
    }
    // The cross-hair in red, so that it can be found in a decoded picture; even sizes keep the chroma
    // planes aligned with it.
    const int arm = (height / 8 * zoom) & ~1;
    const int thick = (line * 4 + 1) & ~1;
    const int hx = (cx - thick / 2) & ~1, vy = (cy - thick / 2) & ~1;
    const int ax = (cx - arm) & ~1, ay = (cy - arm) & ~1;
    fillRect(y, yStride, width, height, hx, ay, thick, 2 * arm, 120);
    fillRect(y, yStride, width, height, ax, vy, 2 * arm, thick, 120);
    for (std::uint8_t* plane : {u, v}) {
        const std::uint8_t value = plane == u ? 90 : 240;
        fillRect(plane, cStride, width / 2, height / 2, hx / 2, ay / 2, thick / 2, arm, value);
        fillRect(plane, cStride, width / 2, height / 2, ax / 2, vy / 2, arm, thick / 2, value);
    }
    auto reverse = [](std::uint8_t* p, int stride, int w, int h, bool rows, bool cols) {
        if (rows)
            for (int r = 0; r < h / 2; ++r)
                std::swap_ranges(p + static_cast<std::size_t>(r) * stride,
                                 p + static_cast<std::size_t>(r) * stride + w,
                                 p + static_cast<std::size_t>(h - 1 - r) * stride);
        if (cols)
            for (int r = 0; r < h; ++r)
                std::reverse(p + static_cast<std::size_t>(r) * stride,
                             p + static_cast<std::size_t>(r) * stride + w);
    };
    reverse(y, yStride, width, height, head.flip, head.mirror);
    reverse(u, cStride, width / 2, height / 2, head.flip, head.mirror);
    reverse(v, cStride, width / 2, height / 2, head.flip, head.mirror);
    if (!head.plainPicture()) {
        const auto adjust = [](std::uint8_t* p, int stride, int w, int h, int gain, int offset) {
            for (int r = 0; r < h; ++r)
                for (std::uint8_t* q = p + static_cast<std::size_t>(r) * stride; q < p + r * stride + w; ++q)
                    *q = static_cast<std::uint8_t>(std::clamp((*q - 128) * gain / 32 + 128 + offset, 0, 255));
        };
        adjust(y, yStride, width, height, head.contrast, (head.brightness - 32) * 3);
        adjust(u, cStride, width / 2, height / 2, head.saturation, 0);
        adjust(v, cStride, width / 2, height / 2, head.saturation, 0);
    }
    if (head.home())
        return;
    char state[128];
    std::snprintf(state, sizeof state, "PAN %d TILT %d ZOOM %d%s%s", head.pan, head.tilt, zoom,
                  head.flip ? " FLIP" : "", head.mirror ? " MIRROR" : "");
    if (!head.plainPicture())
        std::snprintf(state + std::strlen(state), sizeof state - std::strlen(state), " BRI %d CON %d SAT %d",
                      head.brightness, head.contrast, head.saturation);
    const int scale = height / 90 > 1 ? height / 90 : 1;
    fillRect(y, yStride, width, height, 0, height - scale * 14, width, scale * 14, 16);
    text(y, yStride, width, height, scale * 4, height - scale * 11, scale, state, 235);
}
