#pragma once

#include <QByteArray>
#include <QtGlobal>

// Machine-wide CPU time counters, in the shape the load indicator wants: kernel time includes idle time.
struct TvSystemTimes {
    quint64 idle = 0;
    quint64 kernel = 0;
    quint64 user = 0;

    // Reads the aggregate "cpu" line of /proc/stat; false when it cannot be read or parsed.
    static bool read(TvSystemTimes* times);
    // Parses the text of /proc/stat.
    static bool parse(const QByteArray& procStat, TvSystemTimes* times);
};
