#include "VeSDDownloadSink.h"

#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "VeSDFileEntry.h"

#include <pcQuorvane.h>

#include <QDebug>

void VeSDDownloadSink::begin(const QString& path) {
    TvMutexLocker locker(&m_mutex);
    // A recording left from the previous file must not take this file's frames.
    m_recordCenter.stop();
    m_recordCenter.clearCache();
    m_active = true;
    m_path = path;
    m_endReached = false;
}

QString VeSDDownloadSink::finish() {
    TvMutexLocker locker(&m_mutex);
    m_active = false;
    m_path.clear();
    QString recorded;
    if (m_recordCenter.isRecording()) {
        recorded = m_recordCenter.path();
        m_recordCenter.stop();
    }
    m_recordCenter.clearCache();
    return recorded;
}

VeSDDownloadSink::Frame VeSDDownloadSink::take(const unsigned char* data, int length, int resolution,
                                               int frameType) {
    // A disk that falls behind slows the download (back to the camera) instead of losing pictures; the
    // wait is outside the lock that the GUI thread takes to begin and finish files.
    if (length > 0 && length <= kMaxFrameBytes && !m_recordCenter.waitForRoom(length, kDiskWaitMs))
        qWarning() << "SD download: the disk is too slow, pictures may be dropped";
    TvMutexLocker locker(&m_mutex);
    if (!m_active)
        return Frame::Idle;
    if (length == PCQ_SD_END_OF_FILE) {
        m_endReached = true;
        return Frame::End;
    }
    if (length <= 0 || length > kMaxFrameBytes || !data) {
        qWarning() << "SD frame dropped: length" << length;
        return Frame::Bad;
    }
    bool known = true;
    const QSize size = VeSDFileEntry::frameSize(resolution, &known);
    if (!known && !m_unknownResolutionLogged) {
        m_unknownResolutionLogged = true;
        qWarning() << "SD frames of unknown resolution code" << resolution << "taken as 1920x1080";
    }
    const TvMediaObject object(true, data, length, size.width(), size.height());
    if (m_recordCenter.isRecording()) {
        m_recordCenter.push(&object);
    } else if (frameType == 2) {
        // Frames before the first key frame cannot be played and are dropped.
        m_recordCenter.push(&object);
        const QString path = std::exchange(m_path, QString());
        if (!path.isEmpty() && !m_recordCenter.start(path))
            qWarning() << "SD download not recorded:" << path;
    }
    return Frame::Received;
}
