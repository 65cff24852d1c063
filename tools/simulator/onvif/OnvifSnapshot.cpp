#include "OnvifSnapshot.h"

#include "../TestPattern.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <chrono>
#include <memory>

namespace {

struct CodecFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

} // namespace

std::string OnvifSnapshot::jpeg(const std::string& cameraId, const std::string& label, int width,
                                int height) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MJPEG);
    std::unique_ptr<AVCodecContext, CodecFree> ctx(codec ? avcodec_alloc_context3(codec) : nullptr);
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    if (!ctx || !frame || !packet)
        return std::string();
    ctx->width = width;
    ctx->height = height;
    ctx->pix_fmt = AV_PIX_FMT_YUVJ420P;
    ctx->time_base = AVRational{1, 25};
    frame->format = ctx->pix_fmt;
    frame->width = width;
    frame->height = height;
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
        return std::string();
    // The clock in the picture shows when it was taken.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::system_clock::now().time_since_epoch())
                        .count();
    TestPattern::draw(static_cast<int>(ms / 40 % (25 * 3600)), 25, width, height, cameraId, label,
                      frame->data[0], frame->linesize[0], frame->data[1], frame->data[2], frame->linesize[1]);
    frame->pts = 0;
    if (avcodec_send_frame(ctx.get(), frame.get()) < 0 || avcodec_send_frame(ctx.get(), nullptr) < 0 ||
        avcodec_receive_packet(ctx.get(), packet.get()) < 0)
        return std::string();
    return std::string(reinterpret_cast<const char*>(packet->data), static_cast<std::size_t>(packet->size));
}
