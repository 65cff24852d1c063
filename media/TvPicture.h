#pragma once

#include "TvFFmpeg.h"

#include <QByteArray>

#include <cstdint>

// A decoded picture held by reference: the decoder's frame buffers are shared (AVFrame reference
// counting), never copied, and live as long as some TvPicture or the decoder holds them. Move-only.
class TvPicture {
public:
    TvPicture() = default;

    // A new reference to frame. Null, with a log line, when the frame has no planes, a size outside
    // TvYuvLayout::validSize or a pixel format the converter cannot read.
    static TvPicture reference(const AVFrame* frame);
    // A copy of a planar YUV 4:2:0 picture in TvYuvLayout, for callers that only have the packed bytes.
    static TvPicture copyOf(const uint8_t* yuv, int width, int height);

    bool isNull() const { return !m_frame; }
    int width() const { return m_frame ? m_frame->width : 0; }
    int height() const { return m_frame ? m_frame->height : 0; }
    const AVFrame* frame() const { return m_frame.get(); }
    // Another reference to the same buffers.
    TvPicture share() const { return reference(m_frame.get()); }

    // The picture packed in TvYuvLayout (converted when the decoder gave another YUV format); false when
    // null or when the conversion fails.
    bool pack(QByteArray& out) const;

private:
    TvFFmpeg::FramePtr m_frame;
};
