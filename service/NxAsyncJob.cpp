#include "NxAsyncJob.h"

#include "TvHandOver.h"

#include <QCoreApplication>
#include <QThread>

void NxAsyncJob::start(std::function<void()> job) {
    QThread* thread = QThread::create(std::move(job));
    // deleteLater needs an event loop: give the thread object to the application's thread, whichever
    // thread (an SDK thread included) started the job.
    if (QCoreApplication* app = QCoreApplication::instance())
        thread->moveToThread(app->thread());
    // The connection is made here but called on the application's thread: its slot object is handed
    // over through Qt's event queue.
    QObject::connect(thread, &QThread::finished, thread, tvHandOver([thread] { thread->deleteLater(); }));
    thread->start();
}
