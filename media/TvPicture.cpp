#include "TvPicture.h"

#include "TvYuvLayout.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <QDebug>

namespace {

constexpr int kScalerSlack = 64;

bool isPacked420(int format) {
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
}

} // namespace

TvPicture TvPicture::reference(const AVFrame* frame) {
    TvPicture picture;
    if (!frame)
        return picture;
    const auto format = static_cast<AVPixelFormat>(frame->format);
    if (!frame->data[0] || !TvYuvLayout::validSize(frame->width, frame->height) ||
        format == AV_PIX_FMT_NONE || !sws_isSupportedInput(format)) {
        qWarning() << "picture refused: size" << frame->width << "x" << frame->height << "format"
                   << frame->format;
        return picture;
    }
    picture.m_frame.reset(av_frame_alloc());
    if (!picture.m_frame || av_frame_ref(picture.m_frame.get(), frame) < 0) {
        qWarning() << "picture refused: no memory for a reference";
        picture.m_frame.reset();
    }
    return picture;
}

TvPicture TvPicture::copyOf(const uint8_t* yuv, int width, int height) {
    TvPicture picture;
    if (!yuv || !TvYuvLayout::validSize(width, height)) {
        qWarning() << "picture refused: size" << width << "x" << height << (yuv ? "" : "without data");
        return picture;
    }
    TvFFmpeg::FramePtr frame(av_frame_alloc());
    if (!frame)
        return picture;
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame.get(), 0) < 0) {
        qWarning() << "picture refused: no memory for" << width << "x" << height;
        return picture;
    }
    const int cw = TvYuvLayout::chromaWidth(width);
    const int ch = TvYuvLayout::chromaHeight(height);
    av_image_copy_plane(frame->data[0], frame->linesize[0], yuv, width, width, height);
    av_image_copy_plane(frame->data[1], frame->linesize[1], yuv + TvYuvLayout::uOffset(width, height), cw, cw,
                        ch);
    av_image_copy_plane(frame->data[2], frame->linesize[2], yuv + TvYuvLayout::vOffset(width, height), cw, cw,
                        ch);
    picture.m_frame = std::move(frame);
    return picture;
}

bool TvPicture::pack(QByteArray& out) const {
    if (!m_frame)
        return false;
    const AVFrame* f = m_frame.get();
    const int w = f->width;
    const int h = f->height;
    const int cw = TvYuvLayout::chromaWidth(w);
    const int ch = TvYuvLayout::chromaHeight(h);
    out.resize(int(TvYuvLayout::pictureSize(w, h)));
    auto* base = reinterpret_cast<uint8_t*>(out.data());
    uint8_t* planes[4] = {base, base + TvYuvLayout::uOffset(w, h), base + TvYuvLayout::vOffset(w, h),
                          nullptr};
    int strides[4] = {w, cw, cw, 0};
    if (isPacked420(f->format)) {
        av_image_copy_plane(planes[0], strides[0], f->data[0], f->linesize[0], w, h);
        av_image_copy_plane(planes[1], strides[1], f->data[1], f->linesize[1], cw, ch);
        av_image_copy_plane(planes[2], strides[2], f->data[2], f->linesize[2], cw, ch);
        return true;
    }
    // Rare (Motion JPEG gives 4:2:2): a one-off scaler is cheap enough. The scaler may write a little past
    // a row's end, so it gets room behind the last plane.
    out.resize(int(TvYuvLayout::pictureSize(w, h)) + kScalerSlack);
    base = reinterpret_cast<uint8_t*>(out.data());
    planes[0] = base;
    planes[1] = base + TvYuvLayout::uOffset(w, h);
    planes[2] = base + TvYuvLayout::vOffset(w, h);
    TvFFmpeg::SwsPtr scaler(sws_getContext(w, h, static_cast<AVPixelFormat>(f->format), w, h,
                                           AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!scaler || sws_scale(scaler.get(), f->data, f->linesize, 0, h, planes, strides) <= 0) {
        qWarning() << "picture not packed: cannot convert format" << f->format;
        out.clear();
        return false;
    }
    out.resize(int(TvYuvLayout::pictureSize(w, h)));
    return true;
}
