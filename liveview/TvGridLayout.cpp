#include "TvGridLayout.h"

#include <array>

namespace {

struct Slot {
    float x, y, w, h;
};

// One row per cell count; the fractions are these decimals exactly (.3333 and .6666, not thirds).
using Layout = std::array<Slot, TvGridLayout::kMaxCells>;

Layout grid(int columns, float step) {
    Layout l{};
    const float offsets[4] = {0.f, step, step == .3333f ? .6666f : 2 * step, 3 * step};
    for (int i = 0; i < columns * columns; ++i)
        l[i] = {offsets[i % columns], offsets[i / columns], step, step};
    return l;
}

const std::array<Layout, TvGridLayout::kMaxCells>& layouts() {
    static const std::array<Layout, TvGridLayout::kMaxCells> table = [] {
        std::array<Layout, TvGridLayout::kMaxCells> t{};
        t[0] = {{{0, 0, 1, 1}}};
        t[1] = {{{0, 0, 1, .5f}, {0, .5f, 1, .5f}}};
        t[2] = {{{0, 0, .5f, .5f}, {.5f, 0, .5f, .5f}, {0, .5f, 1, .5f}}};
        t[3] = grid(2, .5f);
        t[4] = {{{0, 0, .3333f, .5f},
                 {.3333f, 0, .3333f, .5f},
                 {.6666f, 0, .3333f, .5f},
                 {0, .5f, .5f, .5f},
                 {.5f, .5f, .5f, .5f}}};
        t[5] = {{{0, 0, .6666f, .6666f},
                 {.6666f, 0, .3333f, .3333f},
                 {.6666f, .3333f, .3333f, .3333f},
                 {0, .6666f, .3333f, .3333f},
                 {.3333f, .6666f, .3333f, .3333f},
                 {.6666f, .6666f, .3333f, .3333f}}};
        t[6] = {{{0, 0, .5f, .5f},
                 {.5f, 0, .25f, .25f},
                 {.75f, 0, .25f, .25f},
                 {.5f, .25f, .25f, .25f},
                 {.75f, .25f, .25f, .25f},
                 {0, .5f, .5f, .5f},
                 {.5f, .5f, .5f, .5f}}};
        t[7] = {{{0, 0, .75f, .75f},
                 {.75f, 0, .25f, .25f},
                 {.75f, .25f, .25f, .25f},
                 {.75f, .5f, .25f, .25f},
                 {0, .75f, .25f, .25f},
                 {.25f, .75f, .25f, .25f},
                 {.5f, .75f, .25f, .25f},
                 {.75f, .75f, .25f, .25f}}};
        t[8] = grid(3, .3333f);
        t[9] = {{{0, 0, .5f, .5f},
                 {.5f, 0, .25f, .25f},
                 {.75f, 0, .25f, .25f},
                 {.5f, .25f, .25f, .25f},
                 {.75f, .25f, .25f, .25f},
                 {0, .5f, .5f, .5f},
                 {.5f, .5f, .25f, .25f},
                 {.75f, .5f, .25f, .25f},
                 {.5f, .75f, .25f, .25f},
                 {.75f, .75f, .25f, .25f}}};
        t[10] = {{{0, 0, .5f, .3333f},
                  {.5f, 0, .25f, .25f},
                  {.75f, 0, .25f, .25f},
                  {0, .3333f, .5f, .3333f},
                  {.5f, .25f, .25f, .25f},
                  {.75f, .25f, .25f, .25f},
                  {.5f, .5f, .25f, .25f},
                  {.75f, .5f, .25f, .25f},
                  {0, .6666f, .5f, .3333f},
                  {.5f, .75f, .25f, .25f},
                  {.75f, .75f, .25f, .25f}}};
        t[11] = {{{0, 0, .5f, .25f},
                  {.5f, 0, .25f, .25f},
                  {.75f, 0, .25f, .25f},
                  {0, .25f, .5f, .25f},
                  {.5f, .25f, .25f, .25f},
                  {.75f, .25f, .25f, .25f},
                  {0, .5f, .5f, .25f},
                  {.5f, .5f, .25f, .25f},
                  {.75f, .5f, .25f, .25f},
                  {0, .75f, .5f, .25f},
                  {.5f, .75f, .25f, .25f},
                  {.75f, .75f, .25f, .25f}}};
        t[12] = {{{0, 0, .25f, .25f},
                  {.25f, 0, .25f, .25f},
                  {.5f, 0, .25f, .25f},
                  {.75f, 0, .25f, .25f},
                  {0, .25f, .25f, .25f},
                  {.25f, .25f, .5f, .5f},
                  {.75f, .25f, .25f, .25f},
                  {0, .5f, .25f, .25f},
                  {.75f, .5f, .25f, .25f},
                  {0, .75f, .25f, .25f},
                  {.25f, .75f, .25f, .25f},
                  {.5f, .75f, .25f, .25f},
                  {.75f, .75f, .25f, .25f}}};
        t[13] = {{{0, 0, .2222f, .2222f},
                  {.2222f, 0, .2222f, .2222f},
                  {.4444f, 0, .2222f, .2222f},
                  {.6666f, 0, .3333f, .3333f},
                  {0, .2222f, .2222f, .2222f},
                  {.2222f, .2222f, .2222f, .2222f},
                  {.4444f, .2222f, .2222f, .2222f},
                  {0, .4444f, .2222f, .2222f},
                  {.2222f, .4444f, .2222f, .2222f},
                  {.4444f, .4444f, .2222f, .2222f},
                  {.6666f, .3333f, .3333f, .3333f},
                  {0, .6666f, .3333f, .3333f},
                  {.3333f, .6666f, .3333f, .3333f},
                  {.6666f, .6666f, .3333f, .3333f}}};
        Layout l15{};
        for (int i = 0; i < 12; ++i)
            l15[i] = {.25f * static_cast<float>(i % 4), .2222f * static_cast<float>(i / 4), .25f, .2222f};
        l15[4].y = l15[5].y = l15[6].y = l15[7].y = .2222f;
        l15[8].y = l15[9].y = l15[10].y = l15[11].y = .4444f;
        l15[12] = {0, .6666f, .3333f, .3333f};
        l15[13] = {.3333f, .6666f, .3333f, .3333f};
        l15[14] = {.6666f, .6666f, .3333f, .3333f};
        t[14] = l15;
        t[15] = grid(4, .25f);
        return t;
    }();
    return table;
}

} // namespace

QRect TvGridLayout::slotRect(int count, int index, int width, int height) {
    if (count < 1 || count > kMaxCells || index < 0 || index >= count)
        return {};
    const Slot& s = layouts()[count - 1][index];
    // A slot that reaches the right or bottom edge takes the last pixel too; others leave a line.
    const float gw = s.x + s.w >= 0.999f ? 0.f : 1.f;
    const float gh = s.y + s.h >= 0.999f ? 0.f : 1.f;
    const float W = static_cast<float>(width);
    const float H = static_cast<float>(height);
    return QRect(static_cast<int>(s.x * W), static_cast<int>(s.y * H), static_cast<int>(s.w * W - gw),
                 static_cast<int>(s.h * H - gh));
}
