#include "NxAlarmLog.h"

#include <QDebug>

#include <atomic>

namespace {

// Before the database is installed (or when it could not be opened) events have nowhere to go.
class NoAlarmLog : public NxAlarmLog {
public:
    void insertAlarm(const QString& devID, int type) override {
        qWarning() << "insert failed: no alarm log installed" << devID << type;
    }
};

NoAlarmLog g_noLog;
std::atomic<NxAlarmLog*> g_log{nullptr};

} // namespace

NxAlarmLog* NxAlarmLog::instance() {
    NxAlarmLog* log = g_log.load(std::memory_order_acquire);
    return log ? log : &g_noLog;
}

void NxAlarmLog::install(NxAlarmLog* log) {
    g_log.store(log, std::memory_order_release);
}
