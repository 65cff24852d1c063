#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QMutex>

#include <cstdint>
#include <functional>

// The byte pipe between Qt's audio devices and the camera sound, 8 kHz mono signed 16-bit PCM.
// Mode 2 (listen): decoded camera sound is appended and the audio output pulls it; the buffer keeps at
// most kMaxPlaybackBytes, dropping the oldest sound, so a slow output never drifts behind the picture.
// Mode 1 (talk): the audio input pushes microphone PCM; every full 320-sample block leaves as 320 bytes
// of G.711 A-law through the block sink, and a shorter remainder waits for the next capture.
class TvAudioIODevice : public QIODevice {
    Q_OBJECT
public:
    static constexpr int kModeTalk = 1;
    static constexpr int kModeListen = 2;
    static constexpr int kBlockBytes = 640;        // 320 samples, 40 ms
    static constexpr int kMaxPlaybackBytes = 4800; // 300 ms
    using BlockSink = std::function<void(const QByteArray& alaw)>;

    explicit TvAudioIODevice(QObject* parent = nullptr);
    ~TvAudioIODevice() override;

    // Receives the encoded talk blocks; called on the thread that writes the capture.
    void setBlockSink(BlockSink sink) { m_sink = std::move(sink); }
    bool open(int mode);
    // Listen side, any thread: returns the bytes buffered afterwards.
    int append(const char* data, int length);
    void close() override;
    void clear();
    int mode() const { return m_mode; }
    int playbackBytes();
    int captureBytes();
    bool isSequential() const override { return true; }
    // The output's backend asks before it pulls; an empty pipe must not look like the end of the sound.
    qint64 bytesAvailable() const override;
    bool atEnd() const override { return false; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 length) override;

private:
    int m_mode = 0;
    QByteArray m_playback;
    QByteArray m_capture;
    mutable QMutex m_mutex;
    BlockSink m_sink;
};
