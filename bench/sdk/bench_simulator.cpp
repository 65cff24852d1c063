// Cost of the camera simulator: 16 sub streams and one main stream at 25 fps, delivered in real time
// through the SDK library. Prints delivered frame rates and the CPU share of the simulator process.
#include "BenchProcess.h"
#include "BenchSimulator.h"
#include "pcQuorvane.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::mutex g_mutex;
std::map<std::string, long> g_frames;
std::map<std::string, long> g_bytes;

void onVideo(void*, const nxVideoFrame* f) {
    std::lock_guard<std::mutex> lock(g_mutex);
    ++g_frames[f->callId];
    g_bytes[f->callId] += f->length;
}

void onLan(void*, const char* id, const char*, int nxid, int, int, const char*);
std::map<std::string, int> g_lan;
void onLan(void*, const char* id, const char*, int nxid, int, int, const char*) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lan[id] = nxid;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10;
    BenchSimulator sim(KVAB_CAMSIM_PATH, {"--lan", "17", "--port", "0", "--control-port", "0"});
    if (!sim.started())
        return 1;
    nx_InitLAN(nullptr, onLan);
    nx_InitVideo(nullptr, onVideo);
    nx_LanRefresh();
    for (int i = 0; i < 50; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_lan.size() >= 17)
            break;
    }
    std::vector<std::string> calls;
    int index = 0;
    std::map<std::string, int> lan;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        lan = g_lan;
    }
    for (const auto& cam : lan) {
        char id[PCQ_CALL_ID_SIZE] = {0};
        const int stream = index++ == 0 ? PCQ_STREAM_MAIN : PCQ_STREAM_SUB;
        if (vmoLANCalling(PCQ_CALL_VIDEO, stream, id, cam.second, "", 0) >= 0)
            calls.push_back(id);
    }
    std::printf("calls open: %zu (1 main 1920x1080, %zu sub 640x360)\n", calls.size(), calls.size() - 1);
    // Warm-up: until every call delivers (the main clip is encoded once, first).
    for (int i = 0; i < 200; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_frames.size() >= calls.size())
            break;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::map<std::string, long> f0, b0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        f0 = g_frames;
        b0 = g_bytes;
    }
    const double sim0 = BenchProcess::cpuSeconds(sim.pid()), self0 = BenchProcess::ownCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double sim1 = BenchProcess::cpuSeconds(sim.pid()), self1 = BenchProcess::ownCpuSeconds();
    double minFps = 1e9, maxFps = 0, totalFps = 0, mbits = 0;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        for (const auto& id : calls) {
            const double fps = (g_frames[id] - f0[id]) / wall;
            minFps = std::min(minFps, fps);
            maxFps = std::max(maxFps, fps);
            totalFps += fps;
            mbits += (g_bytes[id] - b0[id]) * 8.0 / wall / 1e6;
        }
    }
    std::printf("measured %.1f s: per-stream fps min %.2f max %.2f, total %.1f frames/s, %.2f Mbit/s\n", wall,
                minFps, maxFps, totalFps, mbits);
    std::printf("simulator CPU: %.3f cores (%.1f%% of one core; target < 50%%)\n", (sim1 - sim0) / wall,
                100.0 * (sim1 - sim0) / wall);
    std::printf("SDK library receiving side: %.3f cores\n", (self1 - self0) / wall);
    for (const auto& id : calls)
        vmoLANCloseCall(id.c_str());
    return minFps > 24.0 ? 0 : 1;
}
