#pragma once

#include "TvMediaObject.h"

#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

// The queue side of a play cell as its decode loop sees it: the media queue with its mutex and wait
// condition, the running flag, the play state and the listening flag, and the hooks the loop calls.
// The play cell derives from it; the decode loop (TvDecodeThread) works against it only.
class TvDecodeCell {
public:
    using MediaQueue = std::deque<std::unique_ptr<TvMediaObject>>;

    TvDecodeCell() = default;
    virtual ~TvDecodeCell();
    TvDecodeCell(const TvDecodeCell&) = delete;
    TvDecodeCell& operator=(const TvDecodeCell&) = delete;

    QMutex& queueMutex() { return m_queueMutex; }
    QWaitCondition& queueCondition() { return m_queueCondition; }
    // Only under queueMutex().
    MediaQueue& mediaQueue() { return m_queue; }

    // Written under queueMutex(); may be read without it.
    bool isRunning() const { return m_running.load(); }
    void setRunning(bool running) { m_running.store(running); }
    // TvPlayState value: 0 idle, 1 playing, 2 connecting.
    int playState() const { return m_state.load(); }
    void setPlayState(int state) { m_state.store(state); }
    bool isListening() const { return m_listening.load(); }
    void setListening(bool listening) { m_listening.store(listening); }

    // Pictures the decoder reported damaged (concealed errors) since the cell was made; any thread.
    int damagedPictures() const { return m_damaged.load(); }
    void addDamagedPictures(int count) { m_damaged += count; }

    // The queue half of pushMediaObject: under the queue mutex, appends the object and wakes the loop
    // when the cell runs and is not idle; otherwise the object is freed. Returns whether it was queued.
    bool enqueue(std::unique_ptr<TvMediaObject> object);
    // Under the queue mutex: clears the running flag and wakes the loop so that it ends.
    void stopDecoding();
    // Objects waiting in the queue.
    int queuedCount();

    // Decode thread: a decoded picture (planar YUV 4:2:0, TvYuvLayout) for the renderer.
    virtual void updateImage(const uint8_t* yuv, int width, int height) = 0;
    // Decode thread, while listening: decoded 16-bit PCM for the cell's audio output, if it has one.
    virtual void playAudio(const uint8_t* pcm, int bytes);
    // Decode thread, last step of the loop: the cell should delete itself later on the GUI thread.
    virtual void decodeLoopFinished() = 0;
    // How the cell appears in the loop's log lines.
    virtual QString cellName() const;

private:
    QMutex m_queueMutex;
    QWaitCondition m_queueCondition;
    MediaQueue m_queue;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_state{0};
    std::atomic<bool> m_listening{false};
    std::atomic<int> m_damaged{0};
};
