#include "ClipEncoder.h"

#include "TestPattern.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/opt.h>
}

#include <cstdio>

namespace {

struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

std::string averr(int rc) {
    char buf[AV_ERROR_MAX_STRING_SIZE] = {0};
    av_strerror(rc, buf, sizeof buf);
    return buf;
}

} // namespace

void CodecContextDeleter::operator()(AVCodecContext* c) const {
    avcodec_free_context(&c);
}

ClipFrame ClipEncoder::repack(const std::uint8_t* data, int size) {
    ClipFrame out{{}, false};
    std::vector<std::pair<int, int>> units; // begin, end of payload
    int i = 0, begin = -1;
    while (i + 3 <= size) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            if (begin >= 0) {
                int end = i;
                while (end > begin && data[end - 1] == 0)
                    --end;
                units.emplace_back(begin, end);
            }
            begin = i + 3;
            i += 3;
        } else {
            ++i;
        }
    }
    if (begin >= 0 && begin < size)
        units.emplace_back(begin, size);
    static const char startCode[4] = {0, 0, 0, 1};
    for (const auto& u : units) {
        const int type = data[u.first] & 0x1F;
        if (type == 6 || type == 9 || u.second <= u.first)
            continue;
        if (type == 5)
            out.key = true;
        out.data.append(startCode, 4);
        out.data.append(reinterpret_cast<const char*>(data + u.first),
                        static_cast<std::size_t>(u.second - u.first));
    }
    return out;
}

CodecContextPtr ClipEncoder::open(const ClipKey& key, std::string* error) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec) {
        *error = "libx264 encoder not available";
        return nullptr;
    }
    CodecContextPtr ctx(avcodec_alloc_context3(codec));
    if (!ctx) {
        *error = "cannot allocate encoder context";
        return nullptr;
    }
    const int gop = key.rate * 2;
    ctx->width = key.width;
    ctx->height = key.height;
    ctx->time_base = AVRational{1, key.rate};
    ctx->framerate = AVRational{key.rate, 1};
    ctx->pix_fmt = AV_PIX_FMT_YUV420P;
    ctx->gop_size = gop;
    ctx->max_b_frames = 0;
    ctx->bit_rate = static_cast<std::int64_t>(key.kbps) * 1000;
    ctx->thread_count = 1;
    av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
    av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
    char params[128];
    std::snprintf(params, sizeof params, "repeat-headers=1:scenecut=0:keyint=%d:min-keyint=%d:aud=0", gop,
                  gop);
    av_opt_set(ctx->priv_data, "x264-params", params, 0);
    const int rc = avcodec_open2(ctx.get(), codec, nullptr);
    if (rc < 0) {
        *error = "cannot open libx264: " + averr(rc);
        return nullptr;
    }
    return ctx;
}

std::string ClipEncoder::label(const ClipKey& key) {
    char text[96];
    std::snprintf(text, sizeof text, "%s %dX%d %dFPS", key.width >= 1280 ? "MAIN" : "SUB", key.width,
                  key.height, key.rate);
    return text;
}

std::shared_ptr<Clip> ClipEncoder::encode(const ClipKey& key, std::string* error) {
    CodecContextPtr ctx = open(key, error);
    if (!ctx)
        return nullptr;
    const int gop = key.rate * 2;
    int rc = 0;
    std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketDeleter> packet(av_packet_alloc());
    if (!frame || !packet) {
        *error = "cannot allocate frame or packet";
        return nullptr;
    }
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = key.width;
    frame->height = key.height;
    rc = av_frame_get_buffer(frame.get(), 0);
    if (rc < 0) {
        *error = "cannot allocate picture: " + averr(rc);
        return nullptr;
    }
    auto clip = std::make_shared<Clip>();
    clip->key = key;
    const std::string label = ClipEncoder::label(key);
    const int total = key.seconds * key.rate;
    auto drain = [&]() -> bool {
        for (;;) {
            const int r = avcodec_receive_packet(ctx.get(), packet.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return true;
            if (r < 0) {
                *error = "encoder receive failed: " + averr(r);
                return false;
            }
            ClipFrame f = repack(packet->data, packet->size);
            av_packet_unref(packet.get());
            if (f.data.empty())
                continue;
            clip->bytes += f.data.size();
            clip->frames.push_back(std::move(f));
        }
    };
    for (int i = 0; i < total; ++i) {
        rc = av_frame_make_writable(frame.get());
        if (rc < 0) {
            *error = "frame not writable: " + averr(rc);
            return nullptr;
        }
        TestPattern::draw(i, key.rate, key.width, key.height, key.camera, label, frame->data[0],
                          frame->linesize[0], frame->data[1], frame->data[2], frame->linesize[1]);
        frame->pts = i;
        frame->pict_type = (i % gop == 0) ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
        rc = avcodec_send_frame(ctx.get(), frame.get());
        if (rc < 0) {
            *error = "encoder send failed: " + averr(rc);
            return nullptr;
        }
        if (!drain())
            return nullptr;
    }
    rc = avcodec_send_frame(ctx.get(), nullptr);
    if (rc < 0 && rc != AVERROR_EOF) {
        *error = "encoder flush failed: " + averr(rc);
        return nullptr;
    }
    if (!drain())
        return nullptr;
    if (clip->frames.empty() || !clip->frames.front().key || clip->frames.front().data.size() < 5 ||
        (clip->frames.front().data[4] & 0x1F) != 7) {
        *error = "clip does not start with SPS";
        return nullptr;
    }
    return clip;
}
