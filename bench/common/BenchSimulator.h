#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// The camera simulator as a child process of a benchmark: started with the given arguments, its standard
// output read up to the line that gives its ports (its errors go to ours), and the SDK library of this
// process pointed at it (KVAB_SDK_ENDPOINT); terminated and waited for when this object goes.
class BenchSimulator {
public:
    BenchSimulator(const char* program, const std::vector<std::string>& args);
    ~BenchSimulator();
    BenchSimulator(const BenchSimulator&) = delete;
    BenchSimulator& operator=(const BenchSimulator&) = delete;

    // False, said on stderr, when the simulator did not start or printed no ports within 20 s.
    bool started() const { return m_sdkPort > 0; }
    pid_t pid() const { return m_pid; }
    // The lines printed before the ports' line, such as the ONVIF cameras' addresses.
    const std::vector<std::string>& lines() const { return m_lines; }
    // SIGTERM, and SIGKILL when it has not ended within 5 s.
    void stop();

private:
    bool readLine(std::string* line);

    pid_t m_pid = -1;
    int m_out = -1;
    int m_sdkPort = 0;
    std::vector<std::string> m_lines;
};
