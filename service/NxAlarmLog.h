#pragma once

#include <QString>

// Where the centers record alarm log events. The alarm database implements it and installs itself;
// until then the events only go to the log.
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

    // The installed log, or the logging default; never null.
    static NxAlarmLog* instance();
    // Not owned; it must live until the process ends. nullptr restores the default.
    static void install(NxAlarmLog* log);
};
