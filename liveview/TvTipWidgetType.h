#pragma once

#include <QMetaType>

// Kinds of status-bar tips; the values are fixed because the main window compares them.
enum TvTipWidgetType {
    TvTipSnapOk = 0,
    TvTipSnapFailed = 1,
    TvTipRecordDone = 2,
    TvTipRecordFailed = 3,
    TvTipMessage = 4,
};

Q_DECLARE_METATYPE(TvTipWidgetType)
