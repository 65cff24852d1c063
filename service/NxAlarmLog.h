#pragma once

#include <QString>

// The sink the centers write alarm log events to. The service cannot reach the database above it, so
// start-up installs it here; without one, an event is dropped with a log line.
class NxAlarmLog {
public:
    // Event types of the alarm log.
    enum Type {
        MotionAlarm = 0,
        IoAlarm = 1,
        VideoOpened = 2,
        VideoClosed = 3,
        CameraOnline = 4,
        CameraOffline = 5
    };

    virtual ~NxAlarmLog() = default;
    // Called from SDK threads; an implementation must be safe to call from any thread.
    virtual void insertAlarm(const QString& devID, int type) = 0;

    // The installed log, or the dropping default; never null.
    static NxAlarmLog* instance();
    // Not owned; it must live until the process ends. nullptr restores the default.
    static void install(NxAlarmLog* log);
};
