// A standard (ONVIF) camera against one of our own, both simulated: time from the call to the first key
// frame (for ONVIF: GetStreamUri, RTSP DESCRIBE, SETUP, PLAY included), median of 20 calls; then the CPU
// one ONVIF main stream costs the library, beside the ffmpeg tool reading the same RTSP address.
// Discovery needs multicast: as root the benchmark runs itself inside a network namespace of its own.
#include "BenchProcess.h"
#include "BenchSimulator.h"
#include "BenchStats.h"
#include "PrivateNetwork.h"
#include "pcQuorvane.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::mutex g_mutex;
std::condition_variable g_cv;
std::map<std::string, std::pair<std::string, int>> g_lan; // id -> flag, handle
std::map<std::string, Clock::time_point> g_firstKey;      // call identity -> its first key frame

void onLan(void*, const char* id, const char* flag, int nxid, int, int, const char*) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lan[id] = {flag ? flag : "", nxid};
}

void onVideo(void*, const nxVideoFrame* f) {
    std::lock_guard<std::mutex> lock(g_mutex);
    // Filed by identity: the first key frame may come before the call has returned its identity.
    if (f->length > 4 && (f->data[4] & 0x1F) == 7 && !g_firstKey.count(f->callId)) {
        g_firstKey[f->callId] = Clock::now();
        g_cv.notify_all();
    }
}

// Milliseconds from the call to its first key frame, -1 when none came within 10 s.
double firstKeyFrameMs(int nxid) {
    char id[PCQ_CALL_ID_SIZE] = {};
    const auto t0 = Clock::now();
    if (vmoLANCalling(PCQ_CALL_VIDEO, PCQ_STREAM_MAIN, id, nxid, "", 0) < 0)
        return -1;
    std::unique_lock<std::mutex> lock(g_mutex);
    const std::string call = id;
    const bool got =
        g_cv.wait_for(lock, std::chrono::seconds(10), [&] { return g_firstKey.count(call) > 0; });
    const double ms = got ? std::chrono::duration<double, std::milli>(g_firstKey[call] - t0).count() : -1;
    lock.unlock();
    vmoLANCloseCall(id);
    std::lock_guard<std::mutex> again(g_mutex);
    g_firstKey.erase(call); // a camera may give the next call the same identity
    return ms;
}

// The CPU share (cores) of `ffmpeg ARGS` over seconds.
double ffmpegCores(const std::vector<std::string>& args, int seconds) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv{const_cast<char*>("ffmpeg")};
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp("ffmpeg", argv.data());
        _exit(127);
    }
    std::this_thread::sleep_for(std::chrono::seconds(2)); // past the session set-up
    const double c0 = BenchProcess::cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double c1 = BenchProcess::cpuSeconds(pid);
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return (c1 - c0) / seconds;
}

} // namespace

int main(int argc, char** argv) {
    enterPrivateNetwork(argc, argv);
    if (!inPrivateNetwork()) {
        std::fprintf(stderr, "bench_onvif: discovery needs multicast in a network namespace: run as root\n");
        return 1;
    }
    const int seconds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10;
    BenchSimulator sim(KVAB_CAMSIM_PATH,
                       {"--cameras", "lan:KV-LAN-01,onvif:CAM-A", "--port", "0", "--control-port", "0"});
    if (!sim.started())
        return 1;
    // The ONVIF camera's line: "onvif camera CAM-A http P rtsp URL sub ...".
    std::string rtsp;
    for (const std::string& line : sim.lines()) {
        char url[256] = {};
        if (std::sscanf(line.c_str(), "onvif camera CAM-A http %*d rtsp %255s", url) == 1)
            rtsp = url;
    }
    if (rtsp.empty()) {
        std::fprintf(stderr, "simulator did not start with its ONVIF camera\n");
        return 1;
    }
    nx_InitLAN(nullptr, onLan);
    nx_InitVideo(nullptr, onVideo);
    nx_LanRefresh();
    std::this_thread::sleep_for(std::chrono::milliseconds(2500)); // the probe's window
    int ours = 0, onvif = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const auto& e : g_lan) {
            if (e.first == "KV-LAN-01")
                ours = e.second.second;
            else if (e.second.first.rfind("ONVIF", 0) == 0) {
                onvif = e.second.second;
                DoSetAccessPswd_EX(4, e.first.c_str(), "admin:123456", 3, 0);
            }
        }
    }
    if (!ours || !onvif) {
        std::fprintf(stderr, "cameras not found (ours %d, onvif %d)\n", ours, onvif);
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::map<std::string, std::vector<double>> times;
    for (int i = 0; i < 20; ++i) {
        for (const auto& kind : {std::make_pair("ours", ours), std::make_pair("onvif", onvif)}) {
            const double ms = firstKeyFrameMs(kind.second);
            if (ms >= 0)
                times[kind.first].push_back(ms);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    }
    for (const auto& t : times) {
        const BenchStats s = BenchStats::of(t.second);
        std::printf("%-6s call to first key frame: median %.0f ms, min %.0f, max %.0f (%zu of 20 calls)\n",
                    t.first.c_str(), s.median, s.best, s.worst, t.second.size());
    }

    char id[PCQ_CALL_ID_SIZE] = {};
    if (vmoLANCalling(PCQ_CALL_VIDEO, PCQ_STREAM_MAIN, id, onvif, "", 0) < 0)
        return 1;
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double s0 = BenchProcess::ownCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double library = (BenchProcess::ownCpuSeconds() - s0) / seconds;
    vmoLANCloseCall(id);
    const double tool = ffmpegCores(
        {"-hide_banner", "-loglevel", "error", "-rtsp_transport", "tcp", "-i", rtsp, "-f", "null", "-"},
        seconds);
    const double toolCopy = ffmpegCores({"-hide_banner", "-loglevel", "error", "-rtsp_transport", "tcp", "-i",
                                         rtsp, "-an", "-c", "copy", "-f", "null", "-"},
                                        seconds);
    std::printf("one ONVIF main stream (1920x1080, 25 fps), CPU over %d s:\n", seconds);
    std::printf("  library (RTSP read, access units, callbacks; no decoding): %.3f cores\n", library);
    std::printf("  ffmpeg -rtsp_transport tcp -i URL -f null - (decodes video and audio): %.3f cores\n",
                tool);
    std::printf("  ffmpeg ... -an -c copy -f null - (reads only, like the library): %.3f cores\n", toolCopy);
    return 0;
}
