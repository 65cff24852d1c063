#include "TvSystemTimes.h"

#include <QFile>
#include <QList>

bool TvSystemTimes::parse(const QByteArray& procStat, TvSystemTimes* times) {
    const int end = procStat.indexOf('\n');
    const QByteArray line = procStat.left(end < 0 ? procStat.size() : end);
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 5 || fields[0] != "cpu")
        return false;
    // user nice system idle [iowait irq softirq steal]
    quint64 v[8] = {};
    for (int i = 1; i < fields.size() && i <= 8; ++i) {
        bool ok = false;
        v[i - 1] = fields[i].toULongLong(&ok);
        if (!ok)
            return false;
    }
    times->user = v[0] + v[1];
    times->idle = v[3] + v[4];
    times->kernel = v[2] + v[5] + v[6] + v[7] + times->idle;
    return true;
}

bool TvSystemTimes::read(TvSystemTimes* times) {
    QFile file(QStringLiteral("/proc/stat"));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return parse(file.readLine(512), times);
}
