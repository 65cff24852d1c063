#include "NxAsyncJob.h"

#include "TvHandOver.h"

#include <QCoreApplication>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {
// Standard primitives rather than Qt's: the end of a job is then visible to ThreadSanitizer too.
std::mutex g_mutex;
std::condition_variable g_idle;
int g_running = 0;
} // namespace

void NxAsyncJob::start(std::function<void()> job) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        ++g_running;
    }
    QThread* thread = QThread::create([job = std::move(job)] {
        job();
        // Notified under the lock, so a waiter that saw the count drop also saw the notification end.
        std::lock_guard<std::mutex> lock(g_mutex);
        --g_running;
        g_idle.notify_all();
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
    std::unique_lock<std::mutex> lock(g_mutex);
    return g_idle.wait_for(lock, std::chrono::milliseconds(milliseconds), [] { return g_running == 0; });
}
