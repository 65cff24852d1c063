#pragma once

#include <QMap>
#include <QMutex>
#include <QString>

#include <atomic>
#include <memory>

class TvDisplayMangeView;
class TvMediaObject;

// The stream entry: the SDK's packets, on its callback threads, become media objects and reach the cell
// filed under their call's play key. Keeps the two call maps (play key <-> call identity) and the
// received-byte counter of the status line.
//
// One road lock, which lives as long as the process, guards the installed router, the call maps and
// the grid's binding and removal of cells. A packet is routed entirely under it, so once uninstall()
// has returned no packet is on its way to the router or its cells, and the router may be destroyed.
class TvStreamRouter {
public:
    explicit TvStreamRouter(TvDisplayMangeView* display);
    ~TvStreamRouter();
    TvStreamRouter(const TvStreamRouter&) = delete;
    TvStreamRouter& operator=(const TvStreamRouter&) = delete;

    static QMutex& roadMutex();

    // The video center's stream handler (SDK thread).
    static void deliverStream(const char* callId, const unsigned char* data, int length, bool isVideo);

    // Packets reach this router from now on; uninstall() stops them (exit) and waits for one in flight.
    void install();
    void uninstall();

    // Only under roadMutex().
    void fileCallLocked(const QString& playKey, const QString& callId);
    void removeCallLocked(const QString& playKey);
    bool hasCallLocked(const QString& playKey) const { return m_callIdByPlayKey.contains(playKey); }
    // Under roadMutex(), SDK thread: the object to the cell of its call (video) or the selected cell.
    void routeLocked(const char* callId, std::unique_ptr<TvMediaObject> object);

    // Takes the lock itself; empty when the key has no call.
    QString callIdFor(const QString& playKey);

    // Safe from any thread.
    void addReceivedBytes(qint64 bytes) { m_receivedBytes += bytes; }
    qint64 takeReceivedBytes() { return m_receivedBytes.exchange(0); }

private:
    TvDisplayMangeView* m_display;
    QMap<QString, QString> m_callIdByPlayKey;
    QMap<QString, QString> m_playKeyByCallId;
    std::atomic<qint64> m_receivedBytes{0};
};
