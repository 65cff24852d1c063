#pragma once

#include "TvMediaObject.h"

#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>

struct AVFrame;

// The queue side of a play cell as its decode loop sees it: the media queue with its mutex and wait
// condition, the running flag, the play state and the listening flag, and the hooks the loop calls.
// The play cell derives from it; the decode loop (TvDecodeThread) works against it only.
//
// The queue keeps the live edge: when it holds more than half a second of pictures, everything in front
// of the newest key frame is skipped; when it holds more than kMaxQueuedBytes without a key frame to
// skip to, it is emptied and pictures are dropped until the next key frame. Decoding never resumes on a
// picture that needs one it did not see.
class TvDecodeCell {
public:
    using MediaQueue = std::deque<std::unique_ptr<TvMediaObject>>;

    // Half a second at the cameras' 25 pictures a second.
    static constexpr int kMaxQueuedPictures = 12;
    // A few key frame groups of a 4 Mbit/s main stream.
    static constexpr qint64 kMaxQueuedBytes = 4 * 1024 * 1024;

    TvDecodeCell() = default;
    virtual ~TvDecodeCell();
    TvDecodeCell(const TvDecodeCell&) = delete;
    TvDecodeCell& operator=(const TvDecodeCell&) = delete;

    QMutex& queueMutex() { return m_queueMutex; }
    QWaitCondition& queueCondition() { return m_queueCondition; }
    // Only under queueMutex(): takes the head of the queue (null when empty); empties the queue and
    // returns how many objects it held.
    std::unique_ptr<TvMediaObject> takeNextLocked();
    int clearQueueLocked();

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
    // Pictures dropped to keep the live edge since the cell was made; any thread.
    int skippedPictures() const { return m_skipped.load(); }

    // The queue half of pushMediaObject: under the queue mutex, appends the object and wakes the loop
    // when the cell runs and is not idle; otherwise the object is freed. Returns whether it was queued
    // (an object dropped to keep the live edge counts as not queued).
    bool enqueue(std::unique_ptr<TvMediaObject> object);
    // The stream changes (a new call): its pictures are dropped until its first key frame.
    void awaitKeyFrame();
    // Under the queue mutex: clears the running flag and wakes the loop so that it ends.
    void stopDecoding();
    // Objects waiting in the queue, and the bytes they hold.
    int queuedCount();
    qint64 queuedBytes();

    // Decode thread: a decoded picture (planar YUV 4:2:0, TvYuvLayout) for the renderer.
    virtual void updateImage(const uint8_t* yuv, int width, int height) = 0;
    // Decode thread: a decoded picture by reference, as the decoder gave it. The default packs it and
    // calls updateImage; a cell that can keep the reference overrides it and copies nothing.
    virtual void updatePicture(const AVFrame* picture);
    // Decode thread, while listening: decoded 16-bit PCM for the cell's audio output, if it has one.
    virtual void playAudio(const uint8_t* pcm, int bytes);
    // Decode thread, last step of the loop: the cell should delete itself later on the GUI thread.
    virtual void decodeLoopFinished() = 0;
    // How the cell appears in the loop's log lines.
    virtual QString cellName() const;

private:
    // Under the queue mutex: drops the queue's front objects up to `end` and counts their pictures.
    void dropFrontLocked(MediaQueue::iterator end);

    QMutex m_queueMutex;
    QWaitCondition m_queueCondition;
    MediaQueue m_queue;
    int m_queuedPictures = 0;
    qint64 m_queuedBytes = 0;
    bool m_awaitKey = false;
    std::atomic<bool> m_running{false};
    std::atomic<int> m_state{0};
    std::atomic<bool> m_listening{false};
    std::atomic<int> m_damaged{0};
    std::atomic<int> m_skipped{0};
};
