#include "TvDecodeCell.h"

#include "TvMutexLocker.h"
#include "TvPicture.h"

#include <iterator>

namespace {
bool holdsPicture(const TvMediaObject& object) {
    return object.isVideo() && !object.isParameterSetsOnly();
}
} // namespace

TvDecodeCell::~TvDecodeCell() {
    TvMutexLocker lock(&m_queueMutex);
    clearQueueLocked();
}

std::unique_ptr<TvMediaObject> TvDecodeCell::takeNextLocked() {
    if (m_queue.empty())
        return nullptr;
    std::unique_ptr<TvMediaObject> object = std::move(m_queue.front());
    m_queue.pop_front();
    m_queuedBytes -= object->length();
    if (holdsPicture(*object))
        --m_queuedPictures;
    return object;
}

int TvDecodeCell::clearQueueLocked() {
    const int count = int(m_queue.size());
    m_queue.clear();
    m_queuedPictures = 0;
    m_queuedBytes = 0;
    return count;
}

void TvDecodeCell::dropFrontLocked(MediaQueue::iterator end) {
    for (auto it = m_queue.begin(); it != end; ++it) {
        m_queuedBytes -= (*it)->length();
        if (holdsPicture(**it)) {
            --m_queuedPictures;
            ++m_skipped;
        }
    }
    m_queue.erase(m_queue.begin(), end);
}

bool TvDecodeCell::enqueue(std::unique_ptr<TvMediaObject> object) {
    if (!object)
        return false;
    const bool picture = holdsPicture(*object);
    TvMutexLocker lock(&m_queueMutex);
    if (!m_running.load() || m_state.load() == 0)
        return false;
    if (m_awaitKey && object->isVideo()) {
        if (!object->startsKeyFrame()) {
            if (picture)
                ++m_skipped;
            return false;
        }
        m_awaitKey = false;
    }
    m_queuedBytes += object->length();
    if (picture)
        ++m_queuedPictures;
    m_queue.push_back(std::move(object));
    bool queued = true;
    if (m_queuedPictures > kMaxQueuedPictures || m_queuedBytes > kMaxQueuedBytes) {
        // The newest key frame, with the parameter sets sent in front of it as objects of their own.
        auto key = m_queue.end();
        for (auto it = m_queue.end(); it != m_queue.begin();) {
            --it;
            if ((*it)->isVideo() && (*it)->startsKeyFrame()) {
                key = it;
                break;
            }
        }
        while (key != m_queue.end() && key != m_queue.begin() && (*std::prev(key))->isParameterSetsOnly())
            --key;
        if (key != m_queue.end() && key != m_queue.begin()) {
            dropFrontLocked(key);
        } else if (m_queuedBytes > kMaxQueuedBytes) {
            // Nothing to skip to and no room to wait for it: start again at the next key frame.
            dropFrontLocked(m_queue.end());
            m_awaitKey = true;
            queued = false;
        }
    }
    m_queueCondition.wakeAll();
    return queued;
}

void TvDecodeCell::awaitKeyFrame() {
    TvMutexLocker lock(&m_queueMutex);
    m_awaitKey = true;
}

void TvDecodeCell::stopDecoding() {
    TvMutexLocker lock(&m_queueMutex);
    m_running.store(false);
    m_queueCondition.wakeAll();
}

int TvDecodeCell::queuedCount() {
    TvMutexLocker lock(&m_queueMutex);
    return int(m_queue.size());
}

qint64 TvDecodeCell::queuedBytes() {
    TvMutexLocker lock(&m_queueMutex);
    return m_queuedBytes;
}

void TvDecodeCell::updatePicture(const AVFrame* picture) {
    QByteArray packed;
    const TvPicture held = TvPicture::reference(picture);
    if (held.pack(packed))
        updateImage(reinterpret_cast<const uint8_t*>(packed.constData()), held.width(), held.height());
}

void TvDecodeCell::playAudio(const uint8_t*, int) {}

QString TvDecodeCell::cellName() const {
    return QStringLiteral("cell(0x%1)").arg(reinterpret_cast<quintptr>(this), 0, 16);
}
