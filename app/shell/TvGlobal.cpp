#include "TvGlobal.h"

#include "TvMutexLocker.h"
#include "TvSystemTimes.h"

#include <QMutex>
#include <QRegExp>

namespace TvGlobal {

const char* const kEmailPattern = "[A-Z0-9a-z._%+-]+@[A-Za-z0-9._-]+\\.[A-Za-z]{2,4}";

bool isValidEmail(const QString& text) {
    QRegExp rx(QString::fromLatin1(kEmailPattern), Qt::CaseSensitive);
    return rx.exactMatch(text);
}

QString cpuUsageText() {
    static QMutex mutex;
    static TvSystemTimes previous; // all zero before the first call: the first reading covers the uptime
    TvMutexLocker lock(&mutex);

    QString text = QStringLiteral("CPU : 0%");
    TvSystemTimes now;
    if (!TvSystemTimes::read(&now))
        return text;
    const quint64 idle = now.idle - previous.idle;
    const quint64 total = (now.kernel - previous.kernel) + (now.user - previous.user);
    previous = now;
    if (total == 0)
        return text;
    const quint64 busy = total > idle ? total - idle : 0;
    return QStringLiteral("CPU : %1%").arg(busy * 100 / total);
}

QString translatorPathFor(int language) {
    return language == 0 ? QStringLiteral(":/tr_zh_CN") : QStringLiteral(":/tr_en_US");
}

} // namespace TvGlobal
