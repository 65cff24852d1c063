#include "TvStreamRouter.h"

#include "TvDisplayMangeView.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvPacketSink.h"
#include "TvStreamEntry.h"

#include <QDebug>

namespace {

// Guarded by the road lock.
TvStreamRouter* g_router = nullptr;

// Takes the one object the stream entry builds, so the copy is made before the road lock is taken.
class ObjectCatch : public TvPacketSink {
public:
    void deliverPacket(const char*, std::unique_ptr<TvMediaObject> object) override {
        caught = std::move(object);
    }
    std::unique_ptr<TvMediaObject> caught;
};

} // namespace

TvStreamRouter::TvStreamRouter(TvDisplayMangeView* display) : m_display(display) {}

TvStreamRouter::~TvStreamRouter() {
    uninstall();
}

QMutex& TvStreamRouter::roadMutex() {
    static QMutex* mutex = new QMutex; // SDK threads may still call in while the process ends
    return *mutex;
}

void TvStreamRouter::install() {
    TvMutexLocker lock(&roadMutex());
    g_router = this;
}

void TvStreamRouter::uninstall() {
    TvMutexLocker lock(&roadMutex());
    if (g_router == this)
        g_router = nullptr;
    m_callIdByPlayKey.clear();
    m_playKeyByCallId.clear();
}

void TvStreamRouter::deliverStream(const char* callId, const unsigned char* data, int length, bool isVideo) {
    ObjectCatch sink;
    if (isVideo)
        TvStreamEntry::videoPacket(sink, callId, data, length);
    else
        TvStreamEntry::audioPacket(sink, data, length);
    if (!sink.caught)
        return;
    TvMutexLocker lock(&roadMutex());
    if (g_router) // none before the window exists and once an exit has started
        g_router->routeLocked(callId, std::move(sink.caught));
}

void TvStreamRouter::routeLocked(const char* callId, std::unique_ptr<TvMediaObject> object) {
    addReceivedBytes(object->length());
    if (!object->isVideo()) {
        m_display->deliverPacket(std::move(object), QString());
        return;
    }
    const auto it = m_playKeyByCallId.constFind(QString::fromUtf8(callId ? callId : ""));
    if (it == m_playKeyByCallId.constEnd()) {
        qWarning() << "handleStreamCallback" << 341;
        return;
    }
    m_display->deliverPacket(std::move(object), it.value());
}

void TvStreamRouter::fileCallLocked(const QString& playKey, const QString& callId) {
    m_callIdByPlayKey.insert(playKey, callId);
    m_playKeyByCallId.insert(callId, playKey);
}

void TvStreamRouter::removeCallLocked(const QString& playKey) {
    const QString callId = m_callIdByPlayKey.take(playKey);
    if (!callId.isEmpty())
        m_playKeyByCallId.remove(callId);
}

QString TvStreamRouter::callIdFor(const QString& playKey) {
    TvMutexLocker lock(&roadMutex());
    return m_callIdByPlayKey.value(playKey);
}
