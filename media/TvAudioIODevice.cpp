#include "TvAudioIODevice.h"

#include "AlawCodec.h"
#include "TvMutexLocker.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

TvAudioIODevice::TvAudioIODevice(QObject* parent) : QIODevice(parent) {}

TvAudioIODevice::~TvAudioIODevice() {
    close();
}

bool TvAudioIODevice::open(int mode) {
    if (mode != kModeTalk && mode != kModeListen) {
        qWarning() << "TvAudioIODevice::open: unknown mode" << mode;
        return false;
    }
    if (isOpen())
        close();
    m_mode = mode;
    return QIODevice::open(mode == kModeTalk ? QIODevice::WriteOnly : QIODevice::ReadOnly);
}

int TvAudioIODevice::append(const char* data, int length) {
    TvMutexLocker lock(&m_mutex);
    if (data && length > 0)
        m_playback.append(data, length);
    // Whole samples only, so that dropping never shifts the byte pairs.
    const int excess = m_playback.size() - kMaxPlaybackBytes;
    if (excess > 0)
        m_playback.remove(0, excess + (excess & 1));
    return m_playback.size();
}

void TvAudioIODevice::close() {
    TvMutexLocker lock(&m_mutex);
    if (isOpen())
        QIODevice::close();
    m_mode = 0;
    m_playback.clear();
    m_capture.clear();
}

void TvAudioIODevice::clear() {
    TvMutexLocker lock(&m_mutex);
    m_playback.clear();
    m_capture.clear();
}

int TvAudioIODevice::playbackBytes() {
    TvMutexLocker lock(&m_mutex);
    return m_playback.size();
}

int TvAudioIODevice::captureBytes() {
    TvMutexLocker lock(&m_mutex);
    return m_capture.size();
}

qint64 TvAudioIODevice::bytesAvailable() const {
    TvMutexLocker lock(&m_mutex);
    return m_playback.size() + QIODevice::bytesAvailable();
}

qint64 TvAudioIODevice::readData(char* data, qint64 maxSize) {
    TvMutexLocker lock(&m_mutex);
    if (!data || maxSize <= 0 || m_playback.isEmpty())
        return 0;
    const int count = int(std::min<qint64>(maxSize, m_playback.size()));
    std::memcpy(data, m_playback.constData(), size_t(count));
    m_playback.remove(0, count);
    return count;
}

qint64 TvAudioIODevice::writeData(const char* data, qint64 length) {
    if (!data || length <= 0)
        return 0;
    QByteArray blocks;
    {
        TvMutexLocker lock(&m_mutex);
        m_capture.append(data, int(length));
        const int whole = m_capture.size() / kBlockBytes * kBlockBytes;
        blocks = m_capture.left(whole);
        m_capture.remove(0, whole);
    }
    // The sink runs outside the lock: it may hand the block to another thread.
    for (int at = 0; at < blocks.size(); at += kBlockBytes) {
        std::int16_t pcm[kBlockBytes / 2];
        std::memcpy(pcm, blocks.constData() + at, kBlockBytes);
        const std::vector<std::uint8_t> alaw = AlawCodec::encode(pcm, kBlockBytes / 2);
        if (m_sink)
            m_sink(QByteArray(reinterpret_cast<const char*>(alaw.data()), int(alaw.size())));
    }
    return length;
}
