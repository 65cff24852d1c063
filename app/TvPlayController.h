#pragma once

#include "TvPlayHost.h"

#include <QObject>
#include <QString>

class TvDisplayMangeView;
class TvPlayWidget;
class TvStreamRouter;
class VeCameraModel;

// Plays, stops and reconnects cameras: binds a cell in the grid, opens the call off the GUI thread, files
// the call with the stream router once the SDK has answered, and undoes it all on stop. While it lives it
// is the play host the cells ask to reconnect. What the window shows follows its signals.
class TvPlayController : public QObject, public TvPlayHost {
    Q_OBJECT
public:
    TvPlayController(TvDisplayMangeView* display, TvStreamRouter* router);
    ~TvPlayController() override;

    // 0, or -1 when the camera's call could not be started; the call itself completes later. The camera's
    // mainStream is the stream asked for. `chosen` (the menu's stream items, or a caller that set it): the
    // stream is kept whatever the grid; otherwise (a double-click) the grid decides.
    int playWithCamera(VeCameraModel* camera, bool chosen = true);
    // Safe for a camera that is not playing.
    void stopWithCamera(VeCameraModel* camera);
    void autoReconnectCamera(VeCameraModel* camera);
    // Exit: late call answers are hung up and no cell asks anything from here on.
    void shutDown();

    // TvPlayHost.
    void reconnectCamera(VeCameraModel* camera) override;
    void cellStateChanged(QWidget* cell) override;
    void switchStream(VeCameraModel* camera) override;

signals:
    void warningSignal(const QString& text);
    // A new cell is in the grid (the window connects its menu and recording tips).
    void cellBoundSignal(TvPlayWidget* cell);
    // A camera started or stopped playing: the device list is rebuilt.
    void updateDeviceListSignal();
    // A cell changed state (playing, reconnecting, ...): the tree icons and the live toolbar follow.
    void cellStateSignal();

private:
    // Opens the camera's video call off the GUI thread (after closing the old one when reconnecting)
    // and finishes the play or the reconnect on the GUI thread when the SDK has answered.
    void startCallAsync(TvPlayWidget* cell, VeCameraModel* camera, bool reconnect);
    void callFinished(TvPlayWidget* cell, VeCameraModel* camera, int result, bool reconnect);
    TvPlayWidget* cellOf(VeCameraModel* camera) const;

    TvDisplayMangeView* m_display;
    TvStreamRouter* m_router;
    bool m_shutDown = false;
};
