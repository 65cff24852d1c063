#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

class TvMediaObject;
class VeRecordWriter;

// A cell's recording front end: keeps copies of the packets since the last key frame group began, so a
// recording always starts at a key frame, and hands packets to the recording's writer thread while
// recording. Nothing here waits for the disk.
class VeRecordCenter : public QObject {
    Q_OBJECT
public:
    // The key-frame cache never holds more than this; beyond it, it starts again at the next key frame.
    static constexpr int64_t kCacheMaxBytes = 8 * 1024 * 1024;
    static constexpr int kCacheMaxPackets = 900;

    explicit VeRecordCenter(QObject* parent = nullptr);
    // Does not wait: a writer still closing its file finishes on its own.
    ~VeRecordCenter() override;

    // SDK thread, for every object the cell receives; only valid video objects take part. The object
    // stays the caller's (the centre copies what it keeps). Never waits for the disk.
    void push(const TvMediaObject* object);
    // False (with a log line) when already recording or when no key frame group is cached; otherwise
    // true at once: the file is opened on the recording's own thread, and recordingEndedSignal follows.
    bool start(const QString& path);
    // True when a recording was running; returns at once, the writer finishes the file on its own.
    bool stop();
    // Drops the cached key-frame group (the call it came from is over).
    void clearCache();
    // For a download from the camera's card, which comes faster than it was filmed: the file is timed
    // by the stream's own frame rate instead of the packets' arrival.
    void setDownloadMode(bool on);
    // A download must lose nothing: waits up to ms until the running recording can take a packet of
    // `bytes` (true at once without a recording). Holds no lock while it waits.
    bool waitForRoom(int64_t bytes, int ms);

    // False again once the recording failed on its own.
    bool isRecording();
    // The recording's elapsed time, "00:00:00" without one.
    QString elapsedText();
    int cachedCount();
    QString path();

    // Waits up to ms for every recording of the process to close its file; true when none is left.
    static bool waitForWriters(int ms);

signals:
    // Once per started recording, from its writer thread. ok is false when the file could not be opened,
    // a write or the trailer failed, or no picture was written; what was written stays playable.
    void recordingEndedSignal(QString path, bool ok);

private:
    bool m_download = false;
    struct Cached {
        std::shared_ptr<const TvMediaObject> object;
        int64_t arrivalUs = 0;
        bool key = false;
    };
    struct Link;
    bool writerAliveLocked();
    void restartCache(std::shared_ptr<const TvMediaObject> object, int64_t arrivalUs, bool key);

    QMutex m_mutex;
    std::deque<Cached> m_cache;
    int64_t m_cacheBytes = 0;
    std::vector<uint8_t> m_parameterSets; // of the current group, for an IDR that comes without them
    bool m_lastWasParameterSets = false;
    QString m_path;
    std::shared_ptr<VeRecordWriter> m_writer;
    std::shared_ptr<Link> m_link;
};
