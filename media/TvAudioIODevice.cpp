#include "TvAudioIODevice.h"

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
        QByteArray encoded(kBlockBytes / 2, Qt::Uninitialized);
        for (int i = 0; i < kBlockBytes / 2; ++i) {
            const auto lo = uint8_t(blocks[at + 2 * i]);
            const auto hi = uint8_t(blocks[at + 2 * i + 1]);
            encoded[i] = char(alaw(int16_t(uint16_t(lo | (hi << 8)))));
        }
        if (m_sink)
            m_sink(encoded);
    }
    return length;
}

std::uint8_t TvAudioIODevice::alaw(std::int16_t sample) {
    static const int segmentEnd[8] = {0xFF, 0x1FF, 0x3FF, 0x7FF, 0xFFF, 0x1FFF, 0x3FFF, 0x7FFF};
    int pcm = sample;
    int mask = 0xD5;
    if (pcm < 0) {
        mask = 0x55;
        pcm = -pcm - 8;
    }
    int segment = 0;
    while (segment < 8 && pcm > segmentEnd[segment])
        ++segment;
    if (segment >= 8)
        return std::uint8_t(0x7F ^ mask);
    int value = segment << 4;
    value |= (segment < 2) ? ((pcm >> 4) & 0x0F) : ((pcm >> (segment + 3)) & 0x0F);
    return std::uint8_t(value ^ mask);
}
