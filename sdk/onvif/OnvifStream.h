#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace pcq {

// One RTSP session of a call, read by a thread of its own with libavformat: H.264 access units to the
// video sink (a video call) or G.711 A-law packets to the audio sink (a listening call). A session
// without a packet for kStallMs is closed and opened again after kRetryMs, as our own cameras
// reconnect; stop() ends the thread promptly (the interrupt callback stops any wait).
class OnvifStream {
public:
    using VideoSink = std::function<void(bool key, std::string accessUnit)>;
    using AudioSink = std::function<void(int sequence, std::string block)>;

    static constexpr int kStallMs = 5000;
    static constexpr int kRetryMs = 1000;

    // url may carry user:password@; udp selects RTP over UDP instead of interleaved TCP.
    OnvifStream(std::string url, bool udp, VideoSink video, AudioSink audio);
    ~OnvifStream();
    OnvifStream(const OnvifStream&) = delete;
    OnvifStream& operator=(const OnvifStream&) = delete;

    void stop();

private:
    using Clock = std::chrono::steady_clock;
    void run();
    void session();
    static int interrupted(void* self);

    const std::string m_url;
    const bool m_udp;
    VideoSink m_video;
    AudioSink m_audio;
    std::atomic<bool> m_stop{false};
    std::atomic<Clock::rep> m_deadline{0};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_thread;
};

} // namespace pcq
