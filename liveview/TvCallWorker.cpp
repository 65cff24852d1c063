#include "TvCallWorker.h"

#include "TvHandOver.h"
#include "TvMutexLocker.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

TvCallWorker* TvCallWorker::instance() {
    static TvCallWorker* worker = new TvCallWorker; // lives until the process ends
    return worker;
}

TvCallWorker::TvCallWorker() : m_pool(new QThreadPool) {
    // One thread per camera that may be stuck in a dead call at once.
    m_pool->setMaxThreadCount(16);
}

void TvCallWorker::post(const QString& key, std::function<int()> work, QObject* context,
                        std::function<void(int)> done) {
    TvMutexLocker lock(&m_mutex);
    std::deque<Job>& queue = m_queues[key];
    const bool idle = queue.empty();
    queue.push_back(Job{std::move(work), QPointer<QObject>(context), std::move(done)});
    if (idle)
        m_pool->start(tvHandOver([this, key] { drain(key); }));
}

void TvCallWorker::drain(const QString& key) {
    for (;;) {
        Job job;
        {
            TvMutexLocker lock(&m_mutex);
            job = m_queues[key].front();
        }
        const int result = job.work ? job.work() : 0;
        // The context is only looked at on the GUI thread, where it can be deleted.
        if (job.done && QCoreApplication::instance()) {
            QMetaObject::invokeMethod(QCoreApplication::instance(),
                                      tvHandOver([context = job.context, done = job.done, result] {
                                          if (context)
                                              done(result);
                                      }),
                                      Qt::QueuedConnection);
        }
        TvMutexLocker lock(&m_mutex);
        std::deque<Job>& queue = m_queues[key];
        queue.pop_front();
        if (queue.empty()) {
            m_queues.remove(key);
            return;
        }
    }
}

bool TvCallWorker::waitForIdle(int msecs) {
    return m_pool->waitForDone(msecs);
}
