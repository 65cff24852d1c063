#include "TvDecodeThread.h"

#include "ADec.h"
#include "TvConditionWait.h"
#include "TvDecodeCell.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "VDec.h"

#include <QDateTime>
#include <QDebug>

#include <memory>

TvDecodeThread::TvDecodeThread(TvDecodeCell* cell, QObject* parent) : QThread(parent), m_cell(cell) {}

TvDecodeThread::TvDecodeThread(std::function<void()> job) : QThread(nullptr), m_job(std::move(job)) {}

TvDecodeThread::~TvDecodeThread() {
    tvHappensAfter(this);
    qWarning() << "will destroy thread" << QThread::currentThreadId();
    // Waiting first (not holding the run mutex) keeps a thread that has not entered run yet from
    // deadlocking against its own destructor.
    requestInterruption();
    quit();
    wait();
    // Through the project's guard, so that ThreadSanitizer sees run() end before the members go.
    { TvMutexLocker lock(&m_runMutex); }
    qWarning() << "did destroy thread" << QThread::currentThreadId();
}

TvDecodeThread* TvDecodeThread::startJob(std::function<void()> job) {
    auto* thread = new TvDecodeThread(std::move(job));
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    // Last on finished, still on the job's thread: the deletion on the GUI thread comes after it.
    connect(
        thread, &QThread::finished, thread, [thread]() { tvHappensBefore(thread); }, Qt::DirectConnection);
    thread->start(QThread::TimeCriticalPriority);
    return thread;
}

void TvDecodeThread::run() {
    {
        TvMutexLocker lock(&m_runMutex);
        if (m_cell)
            decodeLoop();
        else if (m_job)
            m_job();
    }
    qWarning() << "did end run..." << QThread::currentThreadId();
}

void TvDecodeThread::decodeLoop() {
    TvDecodeCell* cell = m_cell;
    const QString name = cell->cellName();
    qWarning() << "启动解码线程" << name;

    std::unique_ptr<VDec> video;
    std::unique_ptr<ADec> audio;

    while (cell->isRunning()) {
        std::unique_ptr<TvMediaObject> object;
        {
            TvMutexLocker lock(&cell->queueMutex());
            if (!cell->isRunning())
                break;
            // Taken off the queue here; decoding then runs without the queue mutex so that the SDK thread
            // never waits for a picture to decode.
            object = cell->takeNextLocked();
            if (!object) {
                tvConditionWait(cell->queueCondition(), &cell->queueMutex());
                if (cell->isRunning())
                    object = cell->takeNextLocked();
                if (!object) {
                    qWarning() << "mainThread" << 639 << name;
                    break;
                }
            }
        }

        if (object->isVideo()) {
            if (!video) {
                VDecSetup setup;
                setup.streamType = 10;
                setup.width = object->width();
                setup.height = object->height();
                video = VDec::create(setup);
            }
            if (video) {
                VDecFrame frame;
                frame.payload = object->data();
                frame.length = object->length();
                frame.width = object->width();
                frame.height = object->height();
                frame.packed = false; // the cell takes the decoder's picture by reference
                const int result = video->decode(frame);
                if (frame.damaged > 0)
                    cell->addDamagedPictures(frame.damaged);
                if (result >= 1 && frame.decoded)
                    cell->updatePicture(frame.decoded);
            }
        } else if (cell->isListening() && cell->playState() != 0) {
            if (!audio) {
                ADecSetup setup;
                setup.codecType = 0;
                setup.channels = 1;
                setup.sampleRate = 8000;
                setup.frameSize = 1280;
                audio = ADec::create(setup);
            }
            if (audio) {
                ADecFrame frame;
                frame.payload = object->data();
                frame.length = object->length();
                if (audio->decode(frame) >= 0 && frame.pcm && frame.pcmBytes > 0)
                    cell->playAudio(frame.pcm, frame.pcmBytes);
            }
        }
        object.reset();
    }

    video.reset();
    audio.reset();
    if (cell->damagedPictures() > 0)
        qWarning() << "damaged pictures" << cell->damagedPictures() << name;
    {
        TvMutexLocker lock(&cell->queueMutex());
        qWarning() << "缓存队列还有数据" << cell->clearQueueLocked();
    }
    qWarning() << QDateTime::currentDateTime().toString(Qt::ISODateWithMs) << "结束解码线程" << name;
    QThread::msleep(static_cast<unsigned long>(m_endPauseMs));
    qWarning() << QDateTime::currentDateTime().toString(Qt::ISODateWithMs) << "通知释放资源";
    cell->decodeLoopFinished();
}
