#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

struct AVFormatContext;
struct AVPacket;
struct AVStream;

// Recording parameters: H.264 stored as received at a fixed frame rate.
struct VeRecordParams {
    int codec = 0; // 0: H.264, the only codec recorded
    int reserved = 0;
    int frameRateNum = 1;
    int frameRateDen = 15; // frames per second
    int timeBaseNum = 1;
    int timeBaseDen = 1000000; // source times in microseconds
    int width = 0;
    int height = 0;
    const uint8_t* parameterSets = nullptr; // SPS and PPS with their start codes
    int parameterSetsLength = 0;
};

// One packet handed to the recorder.
struct VeRecordPacket {
    const uint8_t* data = nullptr; // Annex B
    int length = 0;
    int64_t pts = 0; // microseconds
    int kind = 0;    // 0: video
    bool key = false;
};

// Writes one H.264 stream into a QuickTime file without re-encoding. The file is fragmented at every
// key frame (empty moov, one moof/mdat per key-frame group, flushed as written), so a recording cut
// short by a crash or a full disk stays playable up to its last complete group.
class VeVideoRecorder : public QObject {
    Q_OBJECT
public:
    VeVideoRecorder(const QString& path, const VeRecordParams& params, QObject* parent = nullptr);
    ~VeVideoRecorder() override;

    // False when the file could not be set up; writes then do nothing.
    bool isOpen() const { return m_context != nullptr; }
    // 1 when written, 0 when dropped (waiting for the first key frame, or not open).
    int writePacket(const VeRecordPacket& packet);
    // Writes the trailer and closes the file; later calls do nothing.
    void close();

    // Called once a second: counts a second while packets keep arriving; "hh:mm:ss".
    QString elapsedText();
    static QString formatElapsed(int seconds);

    int packetCount() const { return m_packetCount; }
    bool hasWritten() const { return m_written; }
    const QString& path() const { return m_path; }

private:
    struct ContextDeleter {
        void operator()(AVFormatContext* p) const;
    };
    struct PacketDeleter {
        void operator()(AVPacket* p) const;
    };

    QString m_path;
    bool m_written = false;
    std::unique_ptr<AVFormatContext, ContextDeleter> m_context;
    std::unique_ptr<AVPacket, PacketDeleter> m_packet;
    AVStream* m_stream = nullptr;
    int m_packetCount = 0;
    int64_t m_firstPts = 0;
    bool m_hasFirstPts = false;
    int64_t m_lastOffset = 0;
    int64_t m_frameDuration = 66666;
    bool m_waitKey = true;
    int m_elapsedSeconds = 0;
    qint64 m_lastWriteMs = 0;
};
