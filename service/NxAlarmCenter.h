#pragma once

#include <QDateTime>
#include <QMap>
#include <QMutex>
#include <QObject>
#include <QString>

// The SDK's alarm channel: camera alarms (logged at most once per camera and second, and signalled to
// the play cells) and the cameras' answers to data-channel commands (for the device settings dialog).
class NxAlarmCenter : public QObject {
    Q_OBJECT
public:
    using Clock = QDateTime (*)();

    explicit NxAlarmCenter(QObject* parent = nullptr);

    static void alarmCallback(void* context, int command, const char* text, int flag, int value);
    void handleAlarm(int command, const QString& text, int flag, int value);

    // The time source of the once-per-second rule; nullptr restores the local clock.
    static void setClock(Clock clock);

signals:
    void alarmSignal(QString deviceId);
    void alarmDataSignal(int command, QString first, QString second, int flag);
};
