#pragma once

#include <QMetaType>

// A play cell's display state; crosses threads in queued signals.
enum TvPlayState {
    TvPlayStateIdle = 0,
    TvPlayStatePlaying = 1,
    TvPlayStateConnecting = 2,
    TvPlayStateOffline = 3,
    TvPlayStateOfflineAlt = 4,
    TvPlayStateFailed = 5,
    // The watchdog timed out: the last picture is shown dimmed while the call is made again.
    TvPlayStateReconnecting = 6,
};

Q_DECLARE_METATYPE(TvPlayState)
