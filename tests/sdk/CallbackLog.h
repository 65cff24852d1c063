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
    };
    struct Alarm {
        int command, flag;
        QString text;
    };
    struct Video {
        QString callId;
        QByteArray data;
    };
    struct SdData {
        QByteArray data;
        int length;
    };

    static CallbackLog& instance();
    void registerAll();
    void clear();
    // Waits up to ms for the predicate, checked under the log's lock.
    bool waitFor(const std::function<bool()>& done, int ms);
    template <typename List> bool waitSize(const List& list, int size, int ms = 3000) {
        return waitFor([&] { return list.size() >= size; }, ms);
    }
    template <typename List> int sizeOf(const List& list) {
        std::lock_guard<std::mutex> lock(mutex);
        return list.size();
    }
    bool waitSystem(int command, const QString& text = QString(), int ms = 3000) {
        return waitFor([=] { return hasSystem(command, text); }, ms);
    }
    // Latest handle reported for the camera, 0 if none.
    int nxid(const char* id);
    bool hasSystem(int command, const QString& text = QString());

    std::mutex mutex;
    std::condition_variable cv;
    QList<Lan> lan;
    QList<System> system;
    QList<Alarm> alarms;
    QList<Video> video;
    QList<QByteArray> audio;
    QList<QPair<QString, int>> sdFiles;
    QList<SdData> sdData;
    QList<std::thread::id> threads;
    QMap<QString, int> handles; // kept by clear()

private:
    CallbackLog() = default;
};

inline CallbackLog& L() {
    return CallbackLog::instance();
}
