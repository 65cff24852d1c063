#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pcq {

// A library thread that runs queued callback jobs in order. The queue is bounded in bytes: when the
// client's callbacks fall behind, new jobs are dropped instead of letting memory grow; a job that must
// not be lost (a file download) may instead wait for room, which holds up the connection's reader.
class SdkDispatcher {
public:
    SdkDispatcher(const char* name, std::size_t maxBytes);
    ~SdkDispatcher();
    SdkDispatcher(const SdkDispatcher&) = delete;
    SdkDispatcher& operator=(const SdkDispatcher&) = delete;

    // waitMs > 0: a full queue makes the caller wait up to that long for room before dropping.
    bool post(std::function<void()> job, std::size_t cost, int waitMs = 0);
    void stop();
    bool onThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    struct Job {
        std::function<void()> run;
        std::size_t cost;
    };
    void loop();

    const char* m_name;
    std::size_t m_maxBytes;
    std::size_t m_bytes = 0;
    std::size_t m_dropped = 0;
    bool m_stopping = false;
    std::deque<Job> m_jobs;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::condition_variable m_room;
    std::thread m_thread;
};

} // namespace pcq
