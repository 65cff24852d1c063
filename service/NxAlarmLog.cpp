#include "NxAlarmLog.h"

#include <QDebug>

#include <atomic>

namespace {

class LoggingAlarmLog : public NxAlarmLog {
public:
    void insertAlarm(const QString& devID, int type) override {
        qWarning() << "alarm log (no database):" << devID << "type" << type;
    }
};

LoggingAlarmLog g_defaultLog;
std::atomic<NxAlarmLog*> g_log{nullptr};

} // namespace

NxAlarmLog* NxAlarmLog::instance() {
    NxAlarmLog* log = g_log.load(std::memory_order_acquire);
    return log ? log : &g_defaultLog;
}

void NxAlarmLog::install(NxAlarmLog* log) {
    g_log.store(log, std::memory_order_release);
}
