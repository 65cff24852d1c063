#pragma once

#include "VeFrameTimer.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVCodecParserContext;
struct AVFormatContext;
struct AVPacket;
struct AVStream;

// Recording parameters: H.264 stored as received.
struct VeRecordParams {
    int codec = 0; // 0: H.264, the only codec recorded
    int reserved = 0;
    int frameRateNum = 1;
    int frameRateDen = 15; // frames per second where the stream gives no time
    int timeBaseNum = 1;
    int timeBaseDen = 1000000; // source times in microseconds
    int width = 0;
    int height = 0;
    const uint8_t* parameterSets = nullptr; // SPS and PPS with their start codes
    int parameterSetsLength = 0;
    int profile = -1; // FF_PROFILE_H264_*; unknown: Constrained Baseline is declared
    int level = -1;
};

// One packet handed to the recorder.
struct VeRecordPacket {
    const uint8_t* data = nullptr; // Annex B, three- or four-byte start codes
    int length = 0;
    int64_t pts = 0; // arrival time in microseconds; 0 when unknown
    int kind = 0;    // 0: video
    bool key = false;
};

// Writes one H.264 stream into a QuickTime file without re-encoding. Decode times are the packets'
// arrival times and presentation times follow the pictures' order counts (VeFrameTimer), so B-frames play
// in order and the file lasts as long as the recording did. The file is fragmented at every key frame
// (empty moov, one moof/mdat per group, flushed as written), so a recording cut short by a crash or a
// full disk stays playable up to its last complete group. Used by one thread at a time.
class VeVideoRecorder : public QObject {
    Q_OBJECT
public:
    VeVideoRecorder(const QString& path, const VeRecordParams& params, QObject* parent = nullptr);
    ~VeVideoRecorder() override;

    // Size, profile and level of a key access unit (its SPS and first slice), from libavcodec's parser;
    // the nominal size when the stream does not say.
    static void probe(const uint8_t* data, int length, int nominalWidth, int nominalHeight,
                      VeRecordParams& params);

    // False when the file could not be set up; writes then do nothing.
    bool isOpen() const { return m_context != nullptr; }
    // 1 when taken, 0 when dropped (waiting for the first key frame, or not open), -1 when writing to
    // the file failed (the recorder is then failed for good).
    int writePacket(const VeRecordPacket& packet);
    // Writes what is held back, the trailer, and closes the file. True when every write succeeded and at
    // least one picture was written. Later calls return false and do nothing.
    bool close();

    static QString formatElapsed(int seconds);

    int packetCount() const { return m_packetCount; }
    bool hasWritten() const { return m_written; }
    bool hasFailed() const { return m_failed; }
    const QString& path() const { return m_path; }

private:
    struct ContextDeleter {
        void operator()(AVFormatContext* p) const;
    };
    struct PacketDeleter {
        void operator()(AVPacket* p) const;
    };
    struct ParserDeleter {
        void operator()(AVCodecParserContext* p) const;
    };
    struct CodecDeleter {
        void operator()(AVCodecContext* p) const;
    };
    struct Held {
        std::vector<uint8_t> data;
        bool key = false;
    };
    int pictureOrder(const uint8_t* data, int length);
    bool writeReady();

    QString m_path;
    bool m_written = false;
    bool m_failed = false;
    std::unique_ptr<AVFormatContext, ContextDeleter> m_context;
    std::unique_ptr<AVPacket, PacketDeleter> m_packet;
    std::unique_ptr<AVCodecParserContext, ParserDeleter> m_parser;
    std::unique_ptr<AVCodecContext, CodecDeleter> m_parserContext;
    AVStream* m_stream = nullptr;
    int m_packetCount = 0;
    bool m_waitKey = true;
    VeFrameTimer m_timer;
    std::deque<Held> m_held; // packets whose times are not final yet, in decode order
};
