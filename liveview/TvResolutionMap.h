#pragma once

#include <QMap>
#include <QMutex>
#include <QString>

// The application-wide map from a play key to the "WxH" text of the first picture its cell decoded.
class TvResolutionMap {
public:
    static TvResolutionMap* instance();

    // Any thread.
    void set(const QString& playKey, const QString& resolution);
    QString value(const QString& playKey);

private:
    TvResolutionMap() = default;
    QMutex m_mutex;
    QMap<QString, QString> m_map;
};
