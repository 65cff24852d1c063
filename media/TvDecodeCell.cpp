#include "TvDecodeCell.h"

#include "TvMutexLocker.h"

TvDecodeCell::~TvDecodeCell() {
    TvMutexLocker lock(&m_queueMutex);
    m_queue.clear();
}

bool TvDecodeCell::enqueue(std::unique_ptr<TvMediaObject> object) {
    if (!object)
        return false;
    TvMutexLocker lock(&m_queueMutex);
    if (!m_running.load() || m_state.load() == 0)
        return false;
    m_queue.push_back(std::move(object));
    m_queueCondition.wakeAll();
    return true;
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

void TvDecodeCell::playAudio(const uint8_t*, int) {}

QString TvDecodeCell::cellName() const {
    return QStringLiteral("cell(0x%1)").arg(reinterpret_cast<quintptr>(this), 0, 16);
}
