#pragma once

// Test material made on the spot: H.264 clips from libx264 packed like the cameras send them (every NAL
// unit after 00 00 00 01, SPS and PPS in front of every IDR slice, no SEI), Motion JPEG pictures, and
// straight libavcodec decodes to compare with.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
}

#include "TvNalUnits.h"
#include "TvYuvLayout.h"

#include <QString>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

namespace MediaFixtures {

using Bytes = std::vector<uint8_t>;

struct Picture {
    int width = 0;
    int height = 0;
    Bytes yuv; // TvYuvLayout
};

struct CtxFree {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// Re-packs an Annex B buffer with four-byte (or, when asked, three-byte) start codes, leaving out SEI units
// (type 6) and, when asked, the parameter sets (cameras that send them once).
inline Bytes repack(const uint8_t* data, int size, bool parameterSets = true, bool threeByteCodes = false) {
    Bytes out;
    for (const TvNalUnits::Unit& unit : TvNalUnits::scan(data, size)) {
        int end = unit.end;
        while (end > unit.header && data[end - 1] == 0)
            --end; // the leading zero of the next four-byte start code
        if (unit.type != 6 && (parameterSets || (unit.type != 7 && unit.type != 8))) {
            if (!threeByteCodes)
                out.push_back(0);
            out.insert(out.end(), {0, 0, 1});
            out.insert(out.end(), data + unit.header, data + end);
        }
    }
    return out;
}

// Runs an encoder over `frames` pictures that `fill` paints; every packet becomes one unit.
inline std::vector<Bytes> encode(const AVCodec* codec, int width, int height, AVPixelFormat format,
                                 int frames, const std::function<void(AVCodecContext*)>& setup,
                                 const std::function<void(AVFrame*, int)>& fill, bool stripSei) {
    std::vector<Bytes> units;
    std::unique_ptr<AVCodecContext, CtxFree> ctx(avcodec_alloc_context3(codec));
    if (!ctx)
        return units;
    ctx->width = width;
    ctx->height = height;
    ctx->pix_fmt = format;
    ctx->time_base = AVRational{1, 25};
    ctx->framerate = AVRational{25, 1};
    setup(ctx.get());
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
    frame->width = width;
    frame->height = height;
    frame->format = format;
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0 || av_frame_get_buffer(frame.get(), 0) < 0)
        return units;
    auto drain = [&]() {
        while (avcodec_receive_packet(ctx.get(), pkt.get()) >= 0) {
            units.push_back(stripSei ? repack(pkt->data, pkt->size)
                                     : Bytes(pkt->data, pkt->data + pkt->size));
            av_packet_unref(pkt.get());
        }
    };
    for (int i = 0; i < frames; ++i) {
        av_frame_make_writable(frame.get());
        fill(frame.get(), i);
        frame->pts = i;
        avcodec_send_frame(ctx.get(), frame.get());
        drain();
    }
    avcodec_send_frame(ctx.get(), nullptr);
    drain();
    return units;
}

// Access units of an H.264 clip, one per frame, key frames every gop frames; moving gradients and
// blocks, different every frame. With bFrames, a High-profile clip whose units come in decode order;
// with bitRate (bits a second at 25 frames a second), a clip held to it as a camera's encoder holds it.
inline std::vector<Bytes> encodeH264(int width, int height, int frames, int gop = 10, int firstIndex = 0,
                                     int bFrames = 0, int bitRate = 0) {
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (!codec)
        return {};
    auto setup = [gop, bFrames, bitRate](AVCodecContext* ctx) {
        if (bitRate > 0)
            ctx->bit_rate = ctx->rc_max_rate = ctx->rc_buffer_size = bitRate;
        ctx->gop_size = ctx->keyint_min = gop;
        ctx->max_b_frames = bFrames;
        ctx->thread_count = 1;
        av_opt_set(ctx->priv_data, "preset", "ultrafast", 0);
        if (bFrames == 0)
            av_opt_set(ctx->priv_data, "tune", "zerolatency", 0);
        av_opt_set(ctx->priv_data, "profile", bFrames ? "high" : "baseline", 0);
        av_opt_set(ctx->priv_data, "x264-params",
                   bFrames ? "repeat-headers=1:scenecut=0:b-adapt=0:8x8dct=1:cabac=1"
                           : "repeat-headers=1:scenecut=0:sliced-threads=0",
                   0);
    };
    auto fill = [gop, firstIndex](AVFrame* f, int i) {
        const int index = firstIndex + i;
        for (int y = 0; y < f->height; ++y)
            for (int x = 0; x < f->width; ++x)
                f->data[0][y * f->linesize[0] + x] = uint8_t((x * 3 + y * 2 + index * 5) & 0xFF) ^
                                                     uint8_t(((x / 32 + y / 32 + index) & 1) * 64);
        for (int y = 0; y < (f->height + 1) / 2; ++y)
            for (int x = 0; x < (f->width + 1) / 2; ++x) {
                f->data[1][y * f->linesize[1] + x] = uint8_t(128 + ((x + index) & 63) - 32);
                f->data[2][y * f->linesize[2] + x] = uint8_t(128 + ((y * 2 + index) & 63) - 32);
            }
        f->pict_type = i % gop == 0 ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    };
    return encode(codec, width, height, AV_PIX_FMT_YUV420P, frames, setup, fill, true);
}

// Single Motion JPEG pictures (any size, 4:2:0 or 4:4:4): a luma ramp, chroma planes 120 and 140.
inline std::vector<Bytes> encodeMjpeg(int width, int height, int frames, AVPixelFormat format) {
    auto fill = [format](AVFrame* f, int i) {
        for (int p = 0; p < 3; ++p) {
            const bool full = p == 0 || format == AV_PIX_FMT_YUVJ444P;
            for (int y = 0; y < (full ? f->height : (f->height + 1) / 2); ++y)
                for (int x = 0; x < (full ? f->width : (f->width + 1) / 2); ++x)
                    f->data[p][y * f->linesize[p] + x] = uint8_t(p == 0 ? (x + y + i * 7) : 100 + p * 20);
        }
    };
    return encode(
        avcodec_find_encoder(AV_CODEC_ID_MJPEG), width, height, format, frames, [](AVCodecContext*) {}, fill,
        false);
}

// Pictures that libavcodec gives for the units, decoded directly (one unit at a time, padded input).
inline std::vector<Picture> decodeDirect(const std::vector<Bytes>& units, AVCodecID id = AV_CODEC_ID_H264) {
    std::vector<Picture> out;
    const AVCodec* codec = avcodec_find_decoder(id);
    std::unique_ptr<AVCodecContext, CtxFree> ctx(avcodec_alloc_context3(codec));
    if (avcodec_open2(ctx.get(), codec, nullptr) < 0)
        return out;
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
    for (size_t i = 0; i <= units.size(); ++i) {
        Bytes padded(i < units.size() ? units[i] : Bytes());
        const int size = int(padded.size());
        padded.resize(padded.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        pkt->data = i < units.size() ? padded.data() : nullptr; // then drain the reordered pictures
        pkt->size = size;
        if (avcodec_send_packet(ctx.get(), pkt.get()) < 0)
            continue;
        while (avcodec_receive_frame(ctx.get(), frame.get()) >= 0) {
            Picture p{frame->width, frame->height,
                      Bytes(size_t(TvYuvLayout::pictureSize(frame->width, frame->height)))};
            const int cw = TvYuvLayout::chromaWidth(p.width), ch = TvYuvLayout::chromaHeight(p.height);
            av_image_copy_plane(p.yuv.data(), p.width, frame->data[0], frame->linesize[0], p.width, p.height);
            av_image_copy_plane(p.yuv.data() + TvYuvLayout::uOffset(p.width, p.height), cw, frame->data[1],
                                frame->linesize[1], cw, ch);
            av_image_copy_plane(p.yuv.data() + TvYuvLayout::vOffset(p.width, p.height), cw, frame->data[2],
                                frame->linesize[2], cw, ch);
            out.push_back(std::move(p));
            av_frame_unref(frame.get());
        }
    }
    return out;
}

// Limited-range BT.601 to RGB in doubles, rounded and clamped: the reference for every conversion.
inline std::array<int, 3> bt601(int y, int u, int v) {
    const double c = 1.164383 * (y - 16);
    const double rgb[3] = {c + 1.596027 * (v - 128), c - 0.391762 * (u - 128) - 0.812968 * (v - 128),
                           c + 2.017232 * (u - 128)};
    std::array<int, 3> out;
    for (int i = 0; i < 3; ++i)
        out[size_t(i)] = int(std::lround(std::min(255.0, std::max(0.0, rgb[i]))));
    return out;
}

// A solid picture in TvYuvLayout.
inline Bytes solidPicture(int width, int height, uint8_t y, uint8_t u, uint8_t v) {
    Bytes p(size_t(TvYuvLayout::pictureSize(width, height)));
    std::memset(p.data(), y, size_t(width) * height);
    const size_t chroma = size_t(TvYuvLayout::chromaWidth(width)) * TvYuvLayout::chromaHeight(height);
    std::memset(p.data() + TvYuvLayout::uOffset(width, height), u, chroma);
    std::memset(p.data() + TvYuvLayout::vOffset(width, height), v, chroma);
    return p;
}

// The top half of the picture in one colour, the bottom half in another (even heights).
inline Bytes twoBands(int width, int height, const uint8_t top[3], const uint8_t bottom[3]) {
    Bytes p = solidPicture(width, height, top[0], top[1], top[2]);
    const size_t half = size_t(width) * height / 2, chroma = half / 4;
    std::memset(p.data() + half, bottom[0], half);
    for (int plane = 0; plane < 2; ++plane)
        std::memset(p.data() + 2 * half + size_t(plane) * 2 * chroma + chroma, bottom[1 + plane], chroma);
    return p;
}

inline int nalType(const Bytes& unit) {
    return unit.size() > 4 ? unit[4] & 0x1F : -1;
}

// A recording read back by libavformat and decoded: its packets, size and profile, decode errors, whether
// its times rise, how long it lasts, and each picture's luma.
struct ReadBack {
    int packets = 0, decoded = 0, decodeErrors = 0, width = 0, height = 0, profile = -1;
    double seconds = 0;
    bool timesInOrder = true; // dts rising, pts never before dts, decoded pictures' pts rising
    std::vector<Bytes> lumas;
};

inline ReadBack readBack(const QString& path) {
    ReadBack r;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return r;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> fmt(
        raw, [](AVFormatContext* p) { avformat_close_input(&p); });
    if (avformat_find_stream_info(fmt.get(), nullptr) < 0 || fmt->nb_streams != 1)
        return r;
    const AVCodecParameters* par = fmt->streams[0]->codecpar;
    std::tie(r.width, r.height, r.profile) = std::make_tuple(par->width, par->height, par->profile);
    std::unique_ptr<AVCodecContext, CtxFree> ctx(avcodec_alloc_context3(nullptr));
    avcodec_parameters_to_context(ctx.get(), par);
    avcodec_open2(ctx.get(), avcodec_find_decoder(par->codec_id), nullptr);
    std::unique_ptr<AVPacket, PacketFree> pkt(av_packet_alloc());
    std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    int64_t end = 0, lastDts = INT64_MIN, lastPts = INT64_MIN;
    auto decode = [&](AVPacket* packet) {
        r.decodeErrors += avcodec_send_packet(ctx.get(), packet) < 0 ? 1 : 0;
        for (; avcodec_receive_frame(ctx.get(), frame.get()) >= 0; av_frame_unref(frame.get())) {
            ++r.decoded;
            r.decodeErrors += frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT) ? 1 : 0;
            r.timesInOrder = r.timesInOrder && frame->best_effort_timestamp > lastPts;
            lastPts = frame->best_effort_timestamp;
            Bytes luma(size_t(frame->width) * frame->height);
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(&luma[size_t(y) * frame->width], frame->data[0] + y * frame->linesize[0],
                            size_t(frame->width));
            r.lumas.push_back(std::move(luma));
        }
    };
    for (; av_read_frame(fmt.get(), pkt.get()) >= 0; av_packet_unref(pkt.get())) {
        ++r.packets;
        r.timesInOrder = r.timesInOrder && pkt->dts > lastDts && pkt->pts >= pkt->dts;
        lastDts = pkt->dts;
        end = std::max(end, pkt->pts + pkt->duration);
        decode(pkt.get());
    }
    decode(nullptr);
    r.seconds = end * av_q2d(fmt->streams[0]->time_base);
    return r;
}

} // namespace MediaFixtures
