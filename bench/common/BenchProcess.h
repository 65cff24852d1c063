#pragma once

#include <string>
#include <sys/resource.h>
#include <sys/types.h>

// What the benchmarks measure of processes: CPU time and resident memory, read from the kernel.
class BenchProcess {
public:
    // User plus system CPU seconds another process has used so far; 0 when it is gone.
    static double cpuSeconds(pid_t pid);
    // User plus system CPU seconds of this process (RUSAGE_SELF) or of its children waited for
    // (RUSAGE_CHILDREN).
    static double ownCpuSeconds(int who = RUSAGE_SELF);
    // This process's resident memory in KiB; 0 when it cannot be read.
    static long residentKiB();
    // HOME and the XDG folders below dir, so a run's settings and caches stay out of the user's home.
    static void useHome(const std::string& dir);
};
