#pragma once

#include <QRect>

// The fixed grid layouts of the video area: for n cells (1..16), where slot i goes. Neighbouring
// cells keep a one-pixel line of background between them.
class TvGridLayout {
public:
    static constexpr int kMaxCells = 16;

    // The rectangle of slot `index` of the layout for `count` cells in a W x H area; empty when the
    // count or index is out of range.
    static QRect slotRect(int count, int index, int width, int height);
};
