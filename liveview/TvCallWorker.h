#pragma once

#include <QMap>
#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QString>

#include <deque>
#include <functional>

class QThreadPool;

// Runs the SDK calls that may block for seconds (opening and closing a camera's calls) off the GUI
// thread. Jobs of one camera run one after the other in the order they were posted, so a close always
// comes before the next open; different cameras do not wait for each other.
class TvCallWorker {
public:
    static TvCallWorker* instance();

    // `work` runs on a worker thread after every earlier job of the same key; `done` then runs with its
    // result on the GUI thread, unless `context` (a GUI-thread object) is gone by then.
    void post(const QString& key, std::function<int()> work, QObject* context = nullptr,
              std::function<void(int)> done = {});

    // Blocks until every posted job has finished (tests and shutdown).
    bool waitForIdle(int msecs);

private:
    struct Job {
        std::function<int()> work;
        QPointer<QObject> context;
        std::function<void(int)> done;
    };
    TvCallWorker();
    void drain(const QString& key);

    QMutex m_mutex;
    QMap<QString, std::deque<Job>> m_queues;
    QThreadPool* m_pool;
};
