#pragma once

class QWidget;
class VeCameraModel;

// What a play cell asks of the window that hosts the live view. The main window installs itself while
// it exists; cells ask nothing while none is installed (before start-up, during exit).
class TvPlayHost {
public:
    virtual ~TvPlayHost() = default;

    // Close the camera's call, wait a moment and call again (only when the camera is online).
    virtual void reconnectCamera(VeCameraModel* camera) = 0;
    // A cell changed its state: the live-view toolbar follows.
    virtual void cellStateChanged(QWidget* cell) = 0;
    // The camera's mainStream changed while it plays: close its call and call again with that stream.
    // The cell keeps its picture meanwhile.
    virtual void switchStream(VeCameraModel* camera) { (void)camera; }

    static TvPlayHost* installed();
    // GUI thread only; nullptr removes it.
    static void install(TvPlayHost* host);
};
