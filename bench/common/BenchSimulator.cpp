#include "BenchSimulator.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

BenchSimulator::BenchSimulator(const char* program, const std::vector<std::string>& args) {
    // Built before fork: the child may only exec or leave.
    // It ends with this benchmark even when the benchmark is killed.
    const std::string parent = std::to_string(getpid());
    std::vector<char*> argv{const_cast<char*>("kvab-camsim")};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(const_cast<char*>("--parent"));
    argv.push_back(const_cast<char*>(parent.c_str()));
    argv.push_back(nullptr);
    // The read end stays out of the simulator and of any other child this benchmark starts.
    int out[2];
    if (pipe2(out, O_CLOEXEC) == 0) {
        m_pid = fork();
        if (m_pid == 0) {
            dup2(out[1], 1);
            execv(program, argv.data());
            _exit(127);
        }
        close(out[1]);
        m_out = out[0];
    }
    for (std::string line; m_pid > 0 && readLine(&line);) {
        int control = 0;
        if (std::sscanf(line.c_str(), "kvab-camsim: sdk port %d control port %d", &m_sdkPort, &control) == 2)
            break;
        m_sdkPort = 0;
        m_lines.push_back(line);
    }
    if (m_sdkPort > 0)
        setenv("KVAB_SDK_ENDPOINT", ("127.0.0.1:" + std::to_string(m_sdkPort)).c_str(), 1);
    else
        std::fprintf(stderr, "simulator did not start\n");
}

BenchSimulator::~BenchSimulator() {
    stop();
    if (m_out >= 0)
        close(m_out);
}

bool BenchSimulator::readLine(std::string* line) {
    line->clear();
    pollfd wait{m_out, POLLIN, 0};
    for (char c;;) {
        if (poll(&wait, 1, 20000) <= 0 || read(m_out, &c, 1) != 1)
            return false;
        if (c == '\n')
            return true;
        *line += c;
    }
}

void BenchSimulator::stop() {
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    pid_t ended = 0;
    for (int i = 0; i < 50 && (ended = waitpid(m_pid, nullptr, WNOHANG)) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (ended == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, nullptr, 0);
    }
    m_pid = -1;
}
