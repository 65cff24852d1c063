#include "NxAsyncJob.h"

#include <QCoreApplication>
#include <QThread>

void NxAsyncJob::start(std::function<void()> job) {
    QThread* thread = QThread::create(std::move(job));
    // deleteLater needs an event loop: give the thread object to the application's thread, whichever
    // thread (an SDK thread included) started the job.
    if (QCoreApplication* app = QCoreApplication::instance())
        thread->moveToThread(app->thread());
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
}
