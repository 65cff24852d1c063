#include "ServiceTestSupport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::mutex& logMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

// Plain strings, not implicitly shared Qt lists: lines arrive from SDK threads while the test reads.
std::vector<std::string>& logLines() {
    static std::vector<std::string>* l = new std::vector<std::string>;
    return *l;
}

void handler(QtMsgType type, const QMessageLogContext&, const QString& message) {
    {
        std::lock_guard<std::mutex> locker(logMutex());
        logLines().push_back(message.toStdString());
    }
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qPrintable(message));
        abort();
    }
}

} // namespace

void LogCapture::install() {
    qInstallMessageHandler(handler);
}

QStringList LogCapture::lines() {
    std::lock_guard<std::mutex> locker(logMutex());
    QStringList out;
    for (const std::string& line : logLines())
        out << QString::fromStdString(line);
    return out;
}

void LogCapture::clear() {
    std::lock_guard<std::mutex> locker(logMutex());
    logLines().clear();
}

bool LogCapture::contains(const QString& part) {
    for (const QString& line : lines())
        if (line.contains(part))
            return true;
    return false;
}

void RecordingAlarmLog::insertAlarm(const QString& devID, int type) {
    std::lock_guard<std::mutex> locker(m_mutex);
    m_events.append(qMakePair(devID, type));
}

QList<QPair<QString, int>> RecordingAlarmLog::events() {
    std::lock_guard<std::mutex> locker(m_mutex);
    return m_events;
}

void RecordingAlarmLog::clear() {
    std::lock_guard<std::mutex> locker(m_mutex);
    m_events.clear();
}
