#pragma once

#include <QObject>

class TvDisplayMangeView;
class TvPlayWidget;

// Which stream each camera of the grid plays: its sub stream while more than kMaxMainStreamCells cells
// share the view, its main stream when it fills the view (single-cell view, or the only cell, in full
// screen or not). A stream the person chose in the menu is kept, and with the setting off every camera
// plays the stream it was asked for.
class TvStreamChooser : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxMainStreamCells = 4;

    explicit TvStreamChooser(TvDisplayMangeView* display);

    static bool wantsMain(int cellCount, bool fillsView, bool askedMain, bool chosen, bool adaptive);
    // The stream the cell's camera should play in the grid as it is now.
    bool wantsMain(const TvPlayWidget* cell) const;

public slots:
    // The grid changed (cells, single-cell view) or a cell began to play: every playing cell whose camera
    // plays the other stream switches. It keeps its last picture and waits for the new stream's first
    // key frame while the play host calls the camera again.
    void cellsChangedSlot();

private:
    TvDisplayMangeView* m_display;
};
