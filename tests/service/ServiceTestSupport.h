#pragma once

#include "NxAlarmLog.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <mutex>

// Collects every log line of the test process, so tests can check what reached the log.
class LogCapture {
public:
    static void install();
    static QStringList lines();
    static void clear();
    static bool contains(const QString& part);
};

// Records alarm log events instead of writing a database.
class RecordingAlarmLog : public NxAlarmLog {
public:
    void insertAlarm(const QString& devID, int type) override;
    QList<QPair<QString, int>> events();
    void clear();

private:
    std::mutex m_mutex;
    QList<QPair<QString, int>> m_events;
};
