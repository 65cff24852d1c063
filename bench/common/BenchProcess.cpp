#include "BenchProcess.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <unistd.h>

double BenchProcess::cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The command name may hold spaces and parentheses: the fields are counted from its last ')'.
    const auto close = stat.rfind(')');
    if (close == std::string::npos || close + 4 > stat.size())
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

double BenchProcess::ownCpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long BenchProcess::residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.compare(0, 6, "VmRSS:") == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    return 0;
}

void BenchProcess::useHome(const std::string& dir) {
    setenv("HOME", dir.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    setenv("XDG_CACHE_HOME", (dir + "/cache").c_str(), 1);
    setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
}
