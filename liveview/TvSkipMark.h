#pragma once

#include <QLabel>

// A small plate in a cell's top right corner, shown while the cell's queue skips pictures to catch up
// with the camera.
class TvSkipMark : public QLabel {
    Q_OBJECT
public:
    explicit TvSkipMark(QWidget* parent = nullptr);

    // Keeps the plate in the top right corner of a cell of that width.
    void placeIn(int cellWidth);
};
