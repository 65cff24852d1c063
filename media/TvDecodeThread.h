#pragma once

#include <QMutex>
#include <QThread>

#include <functional>

class TvDecodeCell;

// A play cell's decode thread, or a one-shot job (snapshot writing, logins) on a thread of its own.
class TvDecodeThread : public QThread {
    Q_OBJECT
public:
    // The cell's decode loop; parent is normally the cell itself.
    TvDecodeThread(TvDecodeCell* cell, QObject* parent);
    // A job run once; no parent.
    explicit TvDecodeThread(std::function<void()> job);
    ~TvDecodeThread() override;

    // Runs the job once on a new thread at time-critical priority; the thread object deletes itself
    // (on the calling thread's event loop) when the job is done.
    static TvDecodeThread* startJob(std::function<void()> job);

    // Pause between the loop's clean-up and the cell's deletion request (one second in the product).
    void setEndPause(int milliseconds) { m_endPauseMs = milliseconds; }

protected:
    void run() override;

private:
    void decodeLoop();

    TvDecodeCell* m_cell = nullptr;
    std::function<void()> m_job;
    QMutex m_runMutex;
    int m_endPauseMs = 1000;
};
