#include "NxAsyncJob.h"

#include "TvHandOver.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>

namespace {
// Standard primitives rather than Qt's: the end of a job is then visible to ThreadSanitizer too.
struct Jobs {
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;
};

// Built in place and never destroyed: a job may still end while the process exits.
Jobs& jobs() {
    alignas(Jobs) static unsigned char storage[sizeof(Jobs)];
    static Jobs* instance = ::new (storage) Jobs;
    return *instance;
}
} // namespace

void NxAsyncJob::start(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(jobs().mutex);
        ++jobs().running;
    }
    QThread* thread = QThread::create([job = std::move(job)] {
        job();
        // Notified under the lock, so a waiter that saw the count drop also saw the notification end.
        std::lock_guard<std::mutex> lock(jobs().mutex);
        --jobs().running;
        jobs().idle.notify_all();
    });
    // deleteLater needs an event loop: give the thread object to the application's thread, whichever
    // thread (an SDK thread included) started the job.
    if (QCoreApplication* app = QCoreApplication::instance())
        thread->moveToThread(app->thread());
    // The connection is made here but called on the application's thread: its slot object is handed
    // over through Qt's event queue.
    QObject::connect(thread, &QThread::finished, thread, tvHandOver([thread] { thread->deleteLater(); }));
    thread->start();
}

bool NxAsyncJob::waitForAll(int milliseconds) {
    Jobs& all = jobs();
    std::unique_lock<std::mutex> lock(all.mutex);
    return all.idle.wait_for(lock, std::chrono::milliseconds(milliseconds),
                             [&all] { return all.running == 0; });
}
