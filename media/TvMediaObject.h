#pragma once

#include <QObject>

#include <cstdint>
#include <memory>

// One encoded video access unit (H.264 Annex B) or one encoded audio block, copied once from the SDK.
// The copy carries AV_INPUT_BUFFER_PADDING_SIZE zero bytes past the payload so decoders can read it
// in place.
class TvMediaObject : public QObject {
    Q_OBJECT
public:
    static constexpr int kNominalWidth = 1920;
    static constexpr int kNominalHeight = 1080;

    TvMediaObject(bool isVideo, const uint8_t* source, int length, int width, int height,
                  QObject* parent = nullptr);
    ~TvMediaObject() override;

    // A fresh video copy with the same sizes; null for an invalid object.
    std::unique_ptr<TvMediaObject> clone() const;

    const uint8_t* data() const { return m_data.get(); }
    int length() const { return m_length; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int sampleRate() const { return m_sampleRate; }
    bool isVideo() const { return m_isVideo; }
    bool isInvalid() const { return m_invalid; }

    // Type of the first NAL unit after a four- or three-byte start code: 7 SPS, 8 PPS, 5 IDR; -1 when
    // the payload does not begin with a start code.
    int firstNalType() const;
    static int firstNalType(const uint8_t* data, int length);
    // Video: decoding may begin here (an IDR picture, or the parameter sets that come before one).
    bool startsKeyFrame() const { return m_keyFrame; }
    // Video: only sequence or picture parameter sets, no picture.
    bool isParameterSetsOnly() const { return m_parameterSetsOnly; }

    // Live objects of this class in the process; leak checks on the stream road use it.
    static int liveCount();

private:
    std::unique_ptr<uint8_t[]> m_data;
    int m_length = 0;
    int m_width = 0;
    int m_height = 0;
    int m_sampleRate = 0;
    bool m_isVideo = false;
    bool m_invalid = false;
    bool m_keyFrame = false;
    bool m_parameterSetsOnly = false;
};
