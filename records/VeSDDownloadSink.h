#pragma once

#include "VeRecordCenter.h"

#include <QMutex>
#include <QString>

#include <atomic>

// Where the frames of one SD download go: the SDK thread hands each frame here, the first key frame
// starts the recording, and the GUI thread ends it. Nothing here waits for the disk.
class VeSDDownloadSink {
public:
    enum class Frame { Idle, Received, End, Bad };
    // No access unit of a camera comes near this; a larger length is a broken callback.
    static constexpr int kMaxFrameBytes = 16 * 1024 * 1024;
    // How long one frame may wait for a disk that falls behind before the recorder drops pictures.
    static constexpr int kDiskWaitMs = 4000;

    VeSDDownloadSink() { m_recordCenter.setDownloadMode(true); }

    // GUI thread. Frames from now on belong to the file recorded to path.
    void begin(const QString& path);
    // GUI thread. Takes no more frames; the recording closes its file on its own thread. The path
    // recorded to, empty when no recording ran.
    QString finish();
    bool endReached() const { return m_endReached.load(); }
    VeRecordCenter* recordCenter() { return &m_recordCenter; }

    // SDK thread, once per data callback.
    Frame take(const unsigned char* data, int length, int resolution, int frameType);

private:
    QMutex m_mutex;
    bool m_active = false;
    QString m_path; // until the first key frame starts the recording
    std::atomic<bool> m_endReached{false};
    bool m_unknownResolutionLogged = false;
    VeRecordCenter m_recordCenter;
};
