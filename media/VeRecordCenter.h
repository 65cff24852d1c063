#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>

class TvMediaObject;
class VeVideoRecorder;

// A cell's recording front end: keeps copies of the packets since the last sequence parameter set, so a
// recording always starts at a key frame, and feeds the recorder while recording.
class VeRecordCenter : public QObject {
    Q_OBJECT
public:
    explicit VeRecordCenter(QObject* parent = nullptr);
    ~VeRecordCenter() override;

    // SDK thread, for every object the cell receives; only valid video objects take part. The object
    // stays the caller's (the centre copies what it keeps).
    void push(const TvMediaObject* object);
    // False (with a log line) when already recording, when no key frame is cached yet, or when the
    // file cannot be created (unwritable folder): the cell then shows the recording failure tip.
    bool start(const QString& path);
    // Closes the file; false when not recording.
    bool stop();

    bool isRecording();
    // The recorder's elapsed time, "00:00:00" without one.
    QString elapsedText();
    int cachedCount();
    QString path();

    // Position of the first start code whose NAL unit type is the given one, or -1.
    static int findNal(const uint8_t* data, int length, int type);

private:
    void writeLocked(const TvMediaObject& object);

    std::deque<std::unique_ptr<TvMediaObject>> m_cache;
    QMutex m_mutex;
    QString m_path;
    bool m_recording = false;
    std::unique_ptr<VeVideoRecorder> m_recorder;
};
