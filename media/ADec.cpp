#include "ADec.h"

#include "TvFFmpeg.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libavutil/samplefmt.h>
}

#include <algorithm>
#include <cstdio>
#include <new>

struct ADec::State {
    const AVCodec* codec = nullptr;
    TvFFmpeg::CodecContextPtr context;
    TvFFmpeg::FramePtr frame;
    TvFFmpeg::PacketPtr packet;
    TvFFmpeg::SwrPtr resampler;
    std::unique_ptr<uint8_t[]> buffer;
    int capacity = 0; // bytes
    int channels = 1;

    bool reserve(int bytes) {
        if (bytes <= capacity)
            return true;
        buffer.reset(new (std::nothrow) uint8_t[size_t(bytes)]());
        capacity = buffer ? bytes : 0;
        return buffer != nullptr;
    }
};

ADec::ADec() : d(std::make_unique<State>()) {}

ADec::~ADec() = default;

std::unique_ptr<ADec> ADec::create(const ADecSetup& setup) {
    AVCodecID id = AV_CODEC_ID_ADPCM_G726;
    if (setup.codecType == 0)
        id = AV_CODEC_ID_PCM_ALAW;
    else if (setup.codecType == 1)
        id = AV_CODEC_ID_PCM_MULAW;

    std::unique_ptr<ADec> dec(new ADec());
    State& s = *dec->d;
    s.codec = avcodec_find_decoder(id);
    if (!s.codec) {
        std::fprintf(stderr, "avcodec_find_decoder find audio codec failed...\n");
        return nullptr;
    }
    s.context.reset(avcodec_alloc_context3(s.codec));
    if (!s.context) {
        std::fprintf(stderr, "avcodec_alloc_context3 alloc audio context failed...\n");
        return nullptr;
    }
    s.channels = setup.channels > 0 ? setup.channels : 1;
    if (s.channels == 1)
        s.context->ch_layout = AV_CHANNEL_LAYOUT_MONO;
    else
        av_channel_layout_default(&s.context->ch_layout, s.channels);
    s.context->sample_rate = setup.sampleRate;
    s.context->sample_fmt = AV_SAMPLE_FMT_S16;
    s.context->frame_size = setup.frameSize;
    if (id == AV_CODEC_ID_ADPCM_G726)
        s.context->bits_per_coded_sample = 5; // code width of the cameras' G.726
    if (avcodec_open2(s.context.get(), s.codec, nullptr) < 0) {
        std::fprintf(stderr, "avcodec_open2 open audio codec failed...\n");
        return nullptr;
    }
    const int frameSize = setup.frameSize > 0 ? setup.frameSize : 1;
    if (!s.reserve(s.channels * frameSize * 2)) {
        std::fprintf(stderr, "malloc audio decode buffer failed...\n");
        return nullptr;
    }
    s.frame.reset(av_frame_alloc());
    s.packet.reset(av_packet_alloc());
    if (!s.frame || !s.packet) {
        std::fprintf(stderr, "av_frame_alloc/av_packet_alloc failed...\n");
        return nullptr;
    }
    return dec;
}

int ADec::decode(ADecFrame& out) {
    State& s = *d;
    if (!out.payload || out.length < 1)
        return 0;
    s.packet->data = const_cast<uint8_t*>(out.payload);
    s.packet->size = out.length;
    av_frame_unref(s.frame.get());
    int ret = avcodec_send_packet(s.context.get(), s.packet.get());
    s.packet->data = nullptr;
    s.packet->size = 0;
    if (ret < 0) {
        std::fprintf(stderr, "avcodec_decode_audio4 decode audio failed...\n");
        return ret;
    }
    int bytes = 0;
    int samples = 0;
    while ((ret = avcodec_receive_frame(s.context.get(), s.frame.get())) >= 0) {
        AVFrame* f = s.frame.get();
        if (!s.resampler) {
            // Same layout, format and rate on both sides: only repacks to interleaved 16-bit.
            SwrContext* swr = nullptr;
            if (swr_alloc_set_opts2(&swr, &s.context->ch_layout, AV_SAMPLE_FMT_S16, s.context->sample_rate,
                                    &s.context->ch_layout, s.context->sample_fmt, s.context->sample_rate, 0,
                                    nullptr) < 0 ||
                swr_init(swr) < 0) {
                swr_free(&swr);
                std::fprintf(stderr, "swr_alloc_set_opts alloc covert context failed...\n");
                av_frame_unref(f);
                return -1;
            }
            s.resampler.reset(swr);
        }
        const int chans = s.context->ch_layout.nb_channels > 0 ? s.context->ch_layout.nb_channels : 1;
        // A block longer than one frame grows the buffer rather than leaving samples in the resampler.
        const int need = bytes + f->nb_samples * chans * 2;
        if (need > s.capacity) {
            std::unique_ptr<uint8_t[]> old = std::move(s.buffer);
            const int oldCapacity = s.capacity;
            s.capacity = 0;
            if (!s.reserve(need)) {
                std::fprintf(stderr, "malloc audio decode buffer failed...\n");
                av_frame_unref(f);
                return -1;
            }
            if (bytes > 0 && oldCapacity > 0)
                std::copy(old.get(), old.get() + bytes, s.buffer.get());
        }
        uint8_t* dst = s.buffer.get() + bytes;
        const int limit = (s.capacity - bytes) / (chans * 2);
        const int converted = swr_convert(s.resampler.get(), &dst, limit,
                                          const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
        av_frame_unref(f);
        if (converted < 0) {
            std::fprintf(stderr, "swr_convert failed...\n");
            s.resampler.reset();
            return converted;
        }
        bytes += converted * chans * 2;
        samples += converted;
    }
    if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) {
        std::fprintf(stderr, "avcodec_decode_audio4 decode audio failed...\n");
        if (samples == 0)
            return ret;
    }
    if (samples == 0)
        return 0;
    out.pcm = s.buffer.get();
    out.pcmBytes = bytes;
    return samples;
}
