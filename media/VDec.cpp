#include "VDec.h"

#include "TvFFmpeg.h"
#include "TvYuvLayout.h"

extern "C" {
#include <libavutil/imgutils.h>
}

#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <new>

struct VDec::State {
    const AVCodec* codec = nullptr;
    TvFFmpeg::CodecContextPtr context;
    TvFFmpeg::FramePtr decoded;
    TvFFmpeg::FramePtr shown; // the newest picture to show, handed out by reference
    TvFFmpeg::PacketPtr packet;
    TvFFmpeg::SwsPtr scaler; // only for decoders that give something other than 4:2:0
    int lastWidth = 0;
    int lastHeight = 0;
    std::unique_ptr<uint8_t[]> buffer;
    long long bufferSize = 0;
    QElapsedTimer sinceClean; // since the last clean picture, or since creation
    bool showingConcealed = false;

    bool allocate(long long size) {
        buffer.reset(new (std::nothrow) uint8_t[size_t(size)]());
        bufferSize = buffer ? size : 0;
        return buffer != nullptr;
    }
    bool storePicture(const AVFrame* frame);
};

VDec::VDec() : d(std::make_unique<State>()) {}

VDec::~VDec() = default;

std::unique_ptr<VDec> VDec::create(const VDecSetup& setup) {
    std::fprintf(stderr, "VDec create: stream type %d, nominal %dx%d\n", setup.streamType, setup.width,
                 setup.height);
    AVCodecID id = AV_CODEC_ID_H264;
    if (setup.streamType == 11)
        id = AV_CODEC_ID_MPEG4;
    else if (setup.streamType == 12)
        id = AV_CODEC_ID_MJPEG;

    std::unique_ptr<VDec> dec(new VDec());
    State& s = *dec->d;
    s.codec = avcodec_find_decoder(id);
    if (!s.codec) {
        std::fprintf(stderr, "avcodec_find_decoder find video codec failed...\n");
        return nullptr;
    }
    s.context.reset(avcodec_alloc_context3(s.codec));
    if (!s.context || avcodec_open2(s.context.get(), s.codec, nullptr) < 0) {
        std::fprintf(stderr, "avcodec_open2 failed...\n");
        return nullptr;
    }
    s.sinceClean.start();
    s.decoded.reset(av_frame_alloc());
    s.shown.reset(av_frame_alloc());
    s.packet.reset(av_packet_alloc());
    if (!s.decoded || !s.shown || !s.packet) {
        std::fprintf(stderr, "av_frame_alloc/av_packet_alloc failed...\n");
        return nullptr;
    }
    return dec;
}

long long VDec::bufferSize() const {
    return d->bufferSize;
}

bool VDec::State::storePicture(const AVFrame* frame) {
    const int w = frame->width;
    const int h = frame->height;
    if (!TvYuvLayout::validSize(w, h))
        return false;
    const long long needed = TvYuvLayout::pictureSize(w, h);
    if (needed > bufferSize && !allocate(static_cast<long long>(w) * h * 3)) {
        std::fprintf(stderr, "malloc video decoded buffer failed\n");
        return false;
    }
    const int cw = TvYuvLayout::chromaWidth(w);
    const int ch = TvYuvLayout::chromaHeight(h);
    uint8_t* planes[4] = {buffer.get(), buffer.get() + TvYuvLayout::uOffset(w, h),
                          buffer.get() + TvYuvLayout::vOffset(w, h), nullptr};
    int strides[4] = {w, cw, cw, 0};

    const auto format = static_cast<AVPixelFormat>(frame->format);
    if (format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P) {
        // Same layout already: copy the planes row by row, no scaler needed.
        av_image_copy_plane(planes[0], strides[0], frame->data[0], frame->linesize[0], w, h);
        av_image_copy_plane(planes[1], strides[1], frame->data[1], frame->linesize[1], cw, ch);
        av_image_copy_plane(planes[2], strides[2], frame->data[2], frame->linesize[2], cw, ch);
        return true;
    }
    scaler.reset(sws_getCachedContext(scaler.release(), w, h, format, w, h, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                      nullptr, nullptr, nullptr));
    if (!scaler) {
        std::fprintf(stderr, "sws_getCachedContext failed...\n");
        return false;
    }
    const int rows = sws_scale(scaler.get(), frame->data, frame->linesize, 0, h, planes, strides);
    if (rows <= 0) {
        std::fprintf(stderr, "sws_scale failed...\n");
        return false;
    }
    return true;
}

int VDec::decode(VDecFrame& frame) {
    State& s = *d;
    av_frame_unref(s.shown.get());
    if (frame.width != s.lastWidth || frame.height != s.lastHeight) {
        std::fprintf(stderr, "resolution changed (%u, %u)--->(%u, %u)\n", unsigned(s.lastWidth),
                     unsigned(s.lastHeight), unsigned(frame.width), unsigned(frame.height));
        s.lastWidth = frame.width;
        s.lastHeight = frame.height;
        s.buffer.reset();
        s.bufferSize = 0;
        if (!TvYuvLayout::validSize(frame.width, frame.height) ||
            (frame.packed && !s.allocate(static_cast<long long>(frame.width) * frame.height * 3))) {
            std::fprintf(stderr, "malloc video decoded buffer failed\n");
            return -1;
        }
    }
    if (!TvYuvLayout::validSize(s.lastWidth, s.lastHeight) || (frame.packed && !s.buffer))
        return -1;
    if (!frame.payload || frame.length < 1)
        return -1;

    s.packet->data = const_cast<uint8_t*>(frame.payload);
    s.packet->size = frame.length;
    int ret = avcodec_send_packet(s.context.get(), s.packet.get());
    s.packet->data = nullptr;
    s.packet->size = 0;
    if (ret < 0) {
        std::fprintf(stderr, "avcodec_decode_video2 failed...\n");
        return ret;
    }
    bool picture = false;
    while ((ret = avcodec_receive_frame(s.context.get(), s.decoded.get())) >= 0) {
        // A concealed or incomplete picture would replace a good one with garbage: keep the last good one,
        // unless there has been none for a while.
        const bool damaged = (s.decoded->flags & AV_FRAME_FLAG_CORRUPT) || s.decoded->decode_error_flags;
        bool show = !damaged;
        if (damaged) {
            ++frame.damaged;
            show = s.sinceClean.elapsed() >= kConcealAfterMs;
            if (show && !s.showingConcealed)
                std::fprintf(stderr, "no clean picture for %lld ms, showing concealed pictures\n",
                             static_cast<long long>(s.sinceClean.elapsed()));
            s.showingConcealed = show;
        } else {
            s.sinceClean.restart();
            s.showingConcealed = false;
        }
        if (show && TvYuvLayout::validSize(s.decoded->width, s.decoded->height) &&
            (!frame.packed || s.storePicture(s.decoded.get()))) {
            picture = true;
            frame.width = s.decoded->width;
            frame.height = s.decoded->height;
            // Keeps the buffers of the newest picture; an older one of this call is let go.
            av_frame_unref(s.shown.get());
            av_frame_move_ref(s.shown.get(), s.decoded.get());
        }
        av_frame_unref(s.decoded.get());
    }
    if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) {
        std::fprintf(stderr, "avcodec_decode_video2 failed...\n");
        if (!picture)
            return ret;
    }
    if (!picture)
        return -1;
    frame.picture = frame.packed ? s.buffer.get() : nullptr;
    frame.decoded = s.shown.get();
    return frame.length;
}
