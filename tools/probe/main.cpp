// kvab-probe: uses the device SDK as the client does and prints one JSON object with what it found.
#include "pcQuorvane.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Found {
    std::string id, flag, audio;
    int nxid;
};

struct State {
    std::mutex mutex;
    std::condition_variable cv;
    std::map<std::string, Found> lan;
    std::vector<std::pair<int, std::string>> system;
    std::deque<std::string> frames;
    std::string callId;
    long audioBlocks = 0, audioBytes = 0, alarms = 0, framesTotal = 0;
    std::set<std::string> online, offline;
};
State g;

std::string json(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

void onLan(void*, const char* id, const char* flag, int nxid, int, int, const char* audio) {
    std::lock_guard<std::mutex> lock(g.mutex);
    g.lan[id ? id : ""] = Found{id ? id : "", flag ? flag : "", audio ? audio : "", nxid};
    g.cv.notify_all();
}

void onSystem(void*, int cmd, const char* text, int) {
    std::lock_guard<std::mutex> lock(g.mutex);
    const std::string t = text ? text : "";
    g.system.emplace_back(cmd, t);
    if (cmd == 104)
        g.online.insert(t);
    if (cmd == 108)
        g.offline.insert(t);
    g.cv.notify_all();
}

void onVideo(void*, const nxVideoFrame* f) {
    std::lock_guard<std::mutex> lock(g.mutex);
    if (!f || g.callId != f->callId)
        return;
    ++g.framesTotal;
    if (g.frames.size() < 2000)
        g.frames.emplace_back(reinterpret_cast<const char*>(f->data), static_cast<std::size_t>(f->length));
    g.cv.notify_all();
}

void onAudio(void*, int, const unsigned char*, int length) {
    std::lock_guard<std::mutex> lock(g.mutex);
    ++g.audioBlocks;
    g.audioBytes += length;
}

void onAlarm(void*, int, const char*, int, int) {
    std::lock_guard<std::mutex> lock(g.mutex);
    ++g.alarms;
}

bool waitSystem(int cmd, int ms, std::string* text) {
    std::unique_lock<std::mutex> lock(g.mutex);
    return g.cv.wait_for(lock, std::chrono::milliseconds(ms), [&] {
        for (const auto& e : g.system)
            if (e.first == cmd) {
                if (text)
                    *text = e.second;
                return true;
            }
        return false;
    });
}

struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};

struct DecodeStats {
    long decoded = 0, errors = 0, keyFrames = 0, spsBeforeIdr = 0;
    int width = 0, height = 0;
};

void decodeOne(AVCodecContext* ctx, AVPacket* pkt, AVFrame* frame, const std::string& data, DecodeStats* st) {
    if (data.size() >= 5 && (data[4] & 0x1F) == 7)
        ++st->spsBeforeIdr;
    if (data.find(std::string("\0\0\0\1\x65", 5)) != std::string::npos ||
        data.find(std::string("\0\0\0\1\x25", 5)) != std::string::npos ||
        data.find(std::string("\0\0\0\1\x45", 5)) != std::string::npos)
        ++st->keyFrames;
    if (av_new_packet(pkt, static_cast<int>(data.size())) < 0) { // zeroed padding past the payload
        ++st->errors;
        return;
    }
    std::memcpy(pkt->data, data.data(), data.size());
    int rc = avcodec_send_packet(ctx, pkt);
    av_packet_unref(pkt);
    if (rc < 0) {
        ++st->errors;
        return;
    }
    while ((rc = avcodec_receive_frame(ctx, frame)) >= 0) {
        ++st->decoded;
        st->width = frame->width;
        st->height = frame->height;
        av_frame_unref(frame);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        ++st->errors;
}

} // namespace

int main(int argc, char** argv) {
    int seconds = 5;
    bool mainStream = false;
    std::string wanted, cloudIds = "KV-CLD-01,KV-CLD-02,KV-CLD-03";
    int cloudPort = 47800;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc)
            seconds = std::max(1, std::min(120, std::atoi(argv[++i])));
        else if (a == "--main")
            mainStream = true;
        else if (a == "--camera" && i + 1 < argc)
            wanted = argv[++i];
        else if (a == "--cloud" && i + 1 < argc)
            cloudIds = argv[++i];
        else if (a == "--cloud-port" && i + 1 < argc)
            cloudPort = std::atoi(argv[++i]);
        else {
            std::fprintf(
                stderr,
                "usage: kvab-probe [--seconds N] [--main] [--camera ID] [--cloud ID,ID...] [--cloud-port N]\n"
                "  (the SDK finds the simulator through KVAB_SDK_ENDPOINT, default 127.0.0.1:47800; the\n"
                "  login goes to 127.0.0.1 at the cloud port, default 47800 where the simulator serves "
                "both)\n");
            return 2;
        }
    }
    av_log_set_level(AV_LOG_QUIET); // decode errors are counted in the report
    nx_InitLAN(nullptr, onLan);
    vmoInitModel(nullptr, onSystem);
    nx_InitVideo(nullptr, onVideo);
    nx_InitAudio(nullptr, onAudio);
    InitAlarmInfo(nullptr, onAlarm);

    std::string out = "{";
    const int refresh = nx_LanRefresh();
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const int login = vmoLogin_EX("tarnveil", "tarnveil", "127.0.0.1", cloudPort);
    std::string regText;
    bool loggedIn = false;
    if (login >= 0 && waitSystem(0, 3000, nullptr) && nx_RegionMonServer() >= 0 &&
        waitSystem(101, 3000, &regText))
        loggedIn = regText == "1";
    std::vector<std::string> ids;
    for (std::size_t p = 0; p < cloudIds.size();) {
        std::size_t e = cloudIds.find(',', p);
        if (e == std::string::npos)
            e = cloudIds.size();
        if (e > p)
            ids.push_back(cloudIds.substr(p, e - p));
        p = e + 1;
    }
    std::string request;
    for (std::size_t i = 0; i < ids.size(); ++i)
        request += "devid" + std::to_string(i) + "=" + ids[i] + ";";
    const int status =
        loggedIn && !ids.empty() ? vmoGetDevStatus_EX(request.c_str(), static_cast<int>(ids.size())) : -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    std::map<std::string, Found> lan;
    std::set<std::string> online, offline;
    {
        std::lock_guard<std::mutex> lock(g.mutex);
        lan = g.lan;
        online = g.online;
        offline = g.offline;
    }
    out += "\"lanRefresh\":" + std::to_string(refresh) + ",\"lan\":[";
    bool first = true;
    for (const auto& e : lan) {
        out += std::string(first ? "" : ",") + "{\"id\":" + json(e.second.id) +
               ",\"flag\":" + json(e.second.flag) + ",\"nxid\":" + std::to_string(e.second.nxid) +
               ",\"audio\":" + json(e.second.audio) + "}";
        first = false;
    }
    out += "],\"login\":" + std::to_string(login) + ",\"loggedIn\":" + (loggedIn ? "true" : "false") +
           ",\"statusQuery\":" + std::to_string(status) + ",\"cloud\":[";
    first = true;
    for (const auto& id : ids) {
        const char* st = online.count(id) ? "online" : offline.count(id) ? "offline" : "unknown";
        out += std::string(first ? "" : ",") + "{\"id\":" + json(id) + ",\"state\":\"" + st + "\"}";
        first = false;
    }
    out += "]";

    // The camera to play: the one asked for, else the first LAN camera, else the first online cloud camera.
    std::string cam = wanted;
    if (cam.empty() && !lan.empty())
        cam = lan.begin()->first;
    if (cam.empty() && !online.empty())
        cam = *online.begin();
    const bool viaLan = lan.count(cam) > 0;
    out += ",\"camera\":" + json(cam) + ",\"path\":\"" + (viaLan ? "lan" : "wan") + "\"";

    if (!cam.empty()) {
        out += ",\"records\":{";
        const int selectors[] = {201, 202, 203, 204, 205, 208, 209};
        for (int i = 0; i < 7; ++i) {
            char buf[PCQ_RECORD_SIZE] = {0};
            const int rc = GetLanSysInfo(buf, selectors[i], cam.c_str());
            out += std::string(i ? "," : "") + "\"" + std::to_string(selectors[i]) +
                   "\":" + (rc < 0 ? std::to_string(rc) : json(buf));
        }
        out += "}";

        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
        std::unique_ptr<AVCodecContext, CodecContextDeleter> ctx(codec ? avcodec_alloc_context3(codec)
                                                                       : nullptr);
        std::unique_ptr<AVFrame, FrameDeleter> frame(av_frame_alloc());
        std::unique_ptr<AVPacket, PacketDeleter> pkt(av_packet_alloc());
        if (!ctx || !frame || !pkt || avcodec_open2(ctx.get(), codec, nullptr) < 0) {
            std::fprintf(stderr, "kvab-probe: cannot open the H.264 decoder\n");
            return 1;
        }
        char callId[PCQ_CALL_ID_SIZE] = {0};
        const int stream = mainStream ? PCQ_STREAM_MAIN : PCQ_STREAM_SUB;
        const auto t0 = Clock::now();
        const int call =
            viaLan ? vmoLANCalling(PCQ_CALL_VIDEO, stream, callId, lan[cam].nxid, lan[cam].flag.c_str(), 0)
                   : vmoWANCalling(PCQ_CALL_VIDEO, stream, callId, cam.c_str(), "IPC-Q1", 0);
        {
            std::lock_guard<std::mutex> lock(g.mutex);
            g.callId = callId;
        }
        DecodeStats st;
        FILE* dump =
            std::getenv("KVAB_PROBE_DUMP") ? std::fopen(std::getenv("KVAB_PROBE_DUMP"), "wb") : nullptr;
        double firstFrameMs = -1;
        Clock::time_point firstAt{}, lastAt{};
        long counted = 0;
        if (call >= 0) {
            const auto end = t0 + std::chrono::seconds(seconds) + std::chrono::seconds(3);
            Clock::time_point stopAt = end;
            while (Clock::now() < stopAt) {
                std::string data;
                {
                    std::unique_lock<std::mutex> lock(g.mutex);
                    g.cv.wait_for(lock, std::chrono::milliseconds(100), [&] { return !g.frames.empty(); });
                    if (g.frames.empty())
                        continue;
                    data = std::move(g.frames.front());
                    g.frames.pop_front();
                }
                const auto now = Clock::now();
                if (firstFrameMs < 0) {
                    firstFrameMs = std::chrono::duration<double, std::milli>(now - t0).count();
                    firstAt = now;
                    stopAt = now + std::chrono::seconds(seconds);
                }
                lastAt = now;
                ++counted;
                if (dump)
                    std::fwrite(data.data(), 1, data.size(), dump);
                decodeOne(ctx.get(), pkt.get(), frame.get(), data, &st);
            }
            viaLan ? vmoLANCloseCall(callId) : vmoWANCloseCall(cam.c_str(), callId);
        }
        if (dump)
            std::fclose(dump);
        const double span = std::chrono::duration<double>(lastAt - firstAt).count();
        const double fps = (counted > 1 && span > 0) ? (counted - 1) / span : 0.0;
        char buf[512];
        std::snprintf(
            buf, sizeof buf,
            ",\"video\":{\"call\":%d,\"callId\":%s,\"stream\":\"%s\",\"frames\":%ld,\"decoded\":%ld,"
            "\"decodeErrors\":%ld,\"keyFrames\":%ld,\"spsFirst\":%ld,\"width\":%d,\"height\":%d,"
            "\"fps\":%.2f,\"firstFrameMs\":%.0f}",
            call, json(callId).c_str(), mainStream ? "main" : "sub", counted, st.decoded, st.errors,
            st.keyFrames, st.spsBeforeIdr, st.width, st.height, fps, firstFrameMs);
        out += buf;
    }
    {
        std::lock_guard<std::mutex> lock(g.mutex);
        out += ",\"alarms\":" + std::to_string(g.alarms);
    }
    out += "}";
    std::printf("%s\n", out.c_str());
    vmoLogOut();
    nx_InitVideo(nullptr, nullptr);
    return 0;
}
