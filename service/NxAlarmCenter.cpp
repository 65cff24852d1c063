#include "NxAlarmCenter.h"

#include "NxAlarmLog.h"
#include "NxRecordCodec.h"

#include <pcQuorvane.h>

#include "TvMutexLocker.h"
#include <QDebug>

#include <atomic>

namespace {

// Device id -> local time ("yyyyMMddHHmmss") of its last recorded alarm; lives until process exit.
// SDK threads may differ from one report to the next, so it has a lock of its own.
QMap<QString, QString>& lastAlarmTime() {
    static QMap<QString, QString>* map = new QMap<QString, QString>;
    return *map;
}

QMutex& lastAlarmTimeMutex() {
    static QMutex* mutex = new QMutex;
    return *mutex;
}

std::atomic<NxAlarmCenter::Clock> g_clock{nullptr};

QDateTime now() {
    const NxAlarmCenter::Clock clock = g_clock.load();
    return clock ? clock() : QDateTime::currentDateTime();
}

} // namespace

NxAlarmCenter::NxAlarmCenter(QObject* parent) : QObject(parent) {
    InitAlarmInfo(this, &NxAlarmCenter::alarmCallback);
}

void NxAlarmCenter::setClock(Clock clock) {
    g_clock.store(clock);
}

void NxAlarmCenter::alarmCallback(void* context, int command, const char* text, int flag, int value) {
    const QString body = QString::fromUtf8(NxRecordCodec::boundedText(text, 0));
    if (!context) {
        qWarning("alarm nCmd %d, cDevid %s, iFlag %d, ilParm %d", command, qUtf8Printable(body), flag, value);
        return;
    }
    static_cast<NxAlarmCenter*>(context)->handleAlarm(command, body, flag, value);
}

void NxAlarmCenter::handleAlarm(int command, const QString& text, int flag, int value) {
    qWarning("alarm nCmd %d, cDevid %s, iFlag %d, ilParm %d", command, qUtf8Printable(text), flag, value);
    if (command >= 2001 && command <= 2006) {
        const QPair<QString, QString> parts = NxRecordCodec::splitAlarmData(command, text);
        emit alarmDataSignal(command, parts.first, parts.second, flag);
        return;
    }
    if (command != 107 && command != 302)
        return;
    const QString id = NxRecordCodec::alarmDeviceId(text);
    const QString stamp = now().toString(QStringLiteral("yyyyMMddHHmmss"));
    {
        TvMutexLocker locker(&lastAlarmTimeMutex());
        if (lastAlarmTime().value(id) == stamp)
            return;
        lastAlarmTime().insert(id, stamp);
    }
    qWarning() << "devid is " << id;
    NxAlarmLog::instance()->insertAlarm(id, flag != 0 ? NxAlarmLog::IoAlarm : NxAlarmLog::MotionAlarm);
    emit alarmSignal(id);
}
