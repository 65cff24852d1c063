#include "OnvifStream.h"

#include "OnvifAccessUnit.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <cstdio>
#include <memory>

namespace pcq {

namespace {

struct InputClose {
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct Options {
    AVDictionary* dict = nullptr;
    ~Options() { av_dict_free(&dict); }
};

// The address without its user and password, for the log.
std::string shown(const std::string& url) {
    const auto scheme = url.find("://");
    const auto at = url.find('@');
    const auto slash = url.find('/', scheme == std::string::npos ? 0 : scheme + 3);
    if (scheme == std::string::npos || at == std::string::npos || (slash != std::string::npos && at > slash))
        return url;
    return url.substr(0, scheme + 3) + url.substr(at + 1);
}

} // namespace

OnvifStream::OnvifStream(std::string url, bool udp, VideoSink video, AudioSink audio)
    : m_url(std::move(url)), m_udp(udp), m_video(std::move(video)), m_audio(std::move(audio)) {
    m_thread = std::thread([this] { run(); });
}

OnvifStream::~OnvifStream() {
    stop();
}

void OnvifStream::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable() && m_thread.get_id() != std::this_thread::get_id())
        m_thread.join();
}

int OnvifStream::interrupted(void* self) {
    auto* s = static_cast<OnvifStream*>(self);
    return s->m_stop.load() || Clock::now().time_since_epoch().count() > s->m_deadline.load();
}

void OnvifStream::run() {
    while (!m_stop) {
        session();
        std::unique_lock<std::mutex> lock(m_mutex);
        if (m_wake.wait_for(lock, std::chrono::milliseconds(kRetryMs), [this] { return m_stop.load(); }))
            break;
        std::fprintf(stderr, "pcQuorvane: RTSP %s: opening again\n", shown(m_url).c_str());
    }
}

void OnvifStream::session() {
    auto arm = [this] {
        m_deadline = (Clock::now() + std::chrono::milliseconds(kStallMs)).time_since_epoch().count();
    };
    arm();
    AVFormatContext* raw = avformat_alloc_context();
    if (!raw)
        return;
    raw->interrupt_callback.callback = &OnvifStream::interrupted;
    raw->interrupt_callback.opaque = this;
    Options options;
    av_dict_set(&options.dict, "rtsp_transport", m_udp ? "udp" : "tcp", 0);
    av_dict_set(&options.dict, "allowed_media_types", m_video ? "video" : "audio", 0);
    const int opened = avformat_open_input(&raw, m_url.c_str(), nullptr, &options.dict);
    if (opened < 0) { // raw is freed by avformat_open_input on failure
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(opened, text, sizeof text);
        if (!m_stop)
            std::fprintf(stderr, "pcQuorvane: RTSP %s: open failed: %s\n", shown(m_url).c_str(), text);
        return;
    }
    std::unique_ptr<AVFormatContext, InputClose> input(raw);
    const AVMediaType want = m_video ? AVMEDIA_TYPE_VIDEO : AVMEDIA_TYPE_AUDIO;
    const AVCodecID codec = m_video ? AV_CODEC_ID_H264 : AV_CODEC_ID_PCM_ALAW;
    int index = -1;
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        const AVCodecParameters* par = input->streams[i]->codecpar;
        if (index < 0 && par->codec_type == want && par->codec_id == codec)
            index = static_cast<int>(i);
        else
            input->streams[i]->discard = AVDISCARD_ALL;
    }
    if (index < 0) {
        std::fprintf(stderr, "pcQuorvane: RTSP %s: no %s stream\n", shown(m_url).c_str(),
                     m_video ? "H.264" : "G.711 A-law");
        return;
    }
    OnvifAccessUnit units;
    const AVCodecParameters* par = input->streams[index]->codecpar;
    if (m_video && par->extradata)
        units.setParameterSets(par->extradata, static_cast<std::size_t>(par->extradata_size));
    std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    int sequence = 0;
    while (!m_stop && packet) {
        arm();
        const int rc = av_read_frame(input.get(), packet.get());
        if (rc < 0) {
            if (!m_stop)
                std::fprintf(stderr, "pcQuorvane: RTSP %s: %s\n", shown(m_url).c_str(),
                             rc == AVERROR_EXIT ? "no media for 5 s, closing" : "stream ended");
            break;
        }
        if (packet->stream_index == index && packet->size > 0) {
            if (m_video) {
                std::string unit;
                bool key = false;
                if (units.push(packet->data, static_cast<std::size_t>(packet->size), &unit, &key))
                    m_video(key, std::move(unit));
            } else {
                m_audio(sequence++, std::string(reinterpret_cast<const char*>(packet->data),
                                                static_cast<std::size_t>(packet->size)));
            }
        }
        av_packet_unref(packet.get());
    }
}

} // namespace pcq
