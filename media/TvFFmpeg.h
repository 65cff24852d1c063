#pragma once

// unique_ptr owners for the FFmpeg objects the media classes keep.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace TvFFmpeg {

struct CodecContextDeleter {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameDeleter {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};
struct SwrDeleter {
    void operator()(SwrContext* p) const { swr_free(&p); }
};
struct AvFreeDeleter {
    void operator()(void* p) const { av_free(p); }
};
// An output context: closes its file (when the muxer needs one) before freeing the context.
struct OutputContextDeleter {
    void operator()(AVFormatContext* p) const {
        if (p->pb && p->oformat && !(p->oformat->flags & AVFMT_NOFILE))
            avio_closep(&p->pb);
        avformat_free_context(p);
    }
};
// An input context opened with avformat_open_input.
struct InputContextDeleter {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using SwsPtr = std::unique_ptr<SwsContext, SwsDeleter>;
using SwrPtr = std::unique_ptr<SwrContext, SwrDeleter>;
using OutputContextPtr = std::unique_ptr<AVFormatContext, OutputContextDeleter>;
using InputContextPtr = std::unique_ptr<AVFormatContext, InputContextDeleter>;
template <typename T> using AvBufferPtr = std::unique_ptr<T[], AvFreeDeleter>;

// FFmpeg's error text for a return code.
inline const char* errorText(int code, char* buf, size_t size) {
    av_strerror(code, buf, size);
    return buf;
}

} // namespace TvFFmpeg
