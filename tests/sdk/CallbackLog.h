#pragma once

#include "pcQuorvane.h"

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Collects everything the SDK's callbacks deliver, for tests to wait on and inspect.
class CallbackLog {
public:
    struct Lan {
        QString id, flag, audio;
        int nxid;
    };
    struct System {
        int command;
        QString text;
        int length;
    };
    struct Alarm {
        int command;
        QString text;
        int flag;
    };
    struct Video {
        QString callId;
        QByteArray data;
    };
    struct SdData {
        int sequence;
        QByteArray data;
        int length;
        int resolution;
        int frameType;
    };

    static CallbackLog& instance();
    void registerAll();
    void clear();
    // Waits up to ms for the predicate, checked under the log's lock.
    bool waitFor(const std::function<bool()>& done, int ms);

    std::mutex mutex;
    std::condition_variable cv;
    QList<Lan> lan;
    QList<System> system;
    QList<Alarm> alarms;
    QList<Video> video;
    QList<QByteArray> audio;
    QList<QPair<QByteArray, int>> wifi;
    QList<QPair<QString, int>> sdFiles;
    QList<SdData> sdData;
    QList<std::thread::id> threads;
    long videoBytes = 0;
    QMap<QString, int> handles; // latest handle per camera; kept by clear()

    int lastNxid(const QString& id);
    bool hasSystem(int command, const QString& text = QString());

private:
    CallbackLog() = default;
    void note();
};
