// Cost of the camera simulator: 16 sub streams and one main stream at 25 fps, delivered in real time
// through the SDK library. Prints delivered frame rates and the CPU share of the simulator process.
#include "pcQuorvane.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
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

double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return 0;
    char* p = &stat[close + 4]; // past ") S "
    long utime = 0, stime = 0;
    for (int field = 4; field <= 15; ++field) {
        const long v = std::strtol(p, &p, 10);
        if (field == 14)
            utime = v;
        if (field == 15)
            stime = v;
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double selfCpu() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec + u.ru_stime.tv_usec / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(3, std::atoi(argv[1])) : 10;
    int out[2];
    if (pipe(out) < 0)
        return 1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        execl(KVAB_CAMSIM_PATH, "kvab-camsim", "--lan", "17", "--port", "0", "--control-port", "0", nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string banner;
    char c;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        banner += c;
    int port = 0, cport = 0;
    if (std::sscanf(banner.c_str(), "kvab-camsim: sdk port %d control port %d", &port, &cport) != 2) {
        std::fprintf(stderr, "simulator did not start: %s\n", banner.c_str());
        return 1;
    }
    setenv("KVAB_SDK_ENDPOINT", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
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
    const double sim0 = cpuSeconds(pid), self0 = selfCpu();
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    const double sim1 = cpuSeconds(pid), self1 = selfCpu();
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
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return minFps > 24.0 ? 0 : 1;
}
