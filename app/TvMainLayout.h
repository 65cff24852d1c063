#pragma once

#include <QRect>
#include <QSize>

namespace Ui {
class MainWindow;
}

// Where the main window's panels go for a window size: the tool bars along the top and bottom, the
// right panel (device tree above, live toolbar below) between them, the video area in what is left.
// The form is laid out by hand because the video area leaves the window for full screen and returns.
class TvMainLayout {
public:
    static void apply(Ui::MainWindow* ui, const QSize& size);
    // The video area's place inside the window.
    static QRect displayArea(const Ui::MainWindow* ui);
};
