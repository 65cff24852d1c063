#pragma once

#include <QMutex>
#include <QString>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class TvMediaObject;

// One recording's own thread: opens the file, writes what is pushed and closes it, so that nothing
// that waits for the disk runs on the thread that pushes (the SDK's callback thread) or on the GUI
// thread. The queue between them is bounded: when the disk cannot keep up, whole groups of pictures are
// dropped up to the next key frame (a producer that must lose nothing waits for room first). The thread holds
// the writer until it has closed the file, so a writer whose owner is gone still finishes on its own.
class VeRecordWriter {
public:
    struct Limits {
        int64_t maxBytes = 24 * 1024 * 1024;
        int maxPackets = 1500;
    };
    // Called once, on the writer thread, when the file is closed (or could not be opened).
    using EndedFunction = std::function<void(const QString& path, bool ok)>;

    // Starts the thread; the first packets pushed should begin with a key frame group.
    static std::shared_ptr<VeRecordWriter> start(const QString& path, EndedFunction ended, Limits limits);
    static std::shared_ptr<VeRecordWriter> start(const QString& path, EndedFunction ended) {
        return start(path, std::move(ended), Limits());
    }
    struct Token {
    private:
        friend class VeRecordWriter;
        Token() = default;
    };
    VeRecordWriter(Token, const QString& path, EndedFunction ended, Limits limits);
    ~VeRecordWriter();
    VeRecordWriter(const VeRecordWriter&) = delete;
    VeRecordWriter& operator=(const VeRecordWriter&) = delete;

    // Any thread, never waits for the disk. key: the packet holds an IDR slice. arrivalUs: wall clock.
    void push(std::shared_ptr<const TvMediaObject> object, int64_t arrivalUs, bool key);
    // Writes what is queued, then the trailer, and closes; returns at once.
    void finish();
    // For a producer that must lose nothing (a download): waits up to ms until a packet of `bytes`
    // fits the queue; false when it still does not, or the writer is finishing or failed. Call it
    // holding no lock that the GUI thread takes.
    bool waitForRoom(int64_t bytes, int ms);
    // The file could not be opened or a write failed: the writer takes nothing more.
    bool hasFailed() const { return m_failed.load(); }
    // Called once a second: counts a second while packets keep being written; "hh:mm:ss".
    QString elapsedText();
    int droppedPackets() const { return m_dropped.load(); }
    int writtenPackets() const { return m_written.load(); }

    // Waits up to ms for every writer of the process to close its file; true when none is left.
    static bool waitForWriters(int ms);

private:
    struct Item {
        std::shared_ptr<const TvMediaObject> object;
        int64_t arrivalUs = 0;
        bool key = false;
    };
    void run();
    void fail();
    bool takeBatch(std::deque<Item>& batch);

    const QString m_path;
    const EndedFunction m_ended;
    const Limits m_limits;
    QMutex m_mutex;
    QWaitCondition m_wake;
    QWaitCondition m_room;
    std::deque<Item> m_queue;
    int64_t m_queuedBytes = 0;
    bool m_finishing = false;
    bool m_dropping = false;
    std::atomic<bool> m_failed{false};
    std::atomic<int> m_dropped{0};
    std::atomic<int> m_written{0};
    std::atomic<qint64> m_lastWriteMs{0};
    std::atomic<int> m_elapsedSeconds{0};
};
