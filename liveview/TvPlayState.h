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
};

Q_DECLARE_METATYPE(TvPlayState)
