#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// One worker thread that runs posted jobs in order: the device service's blocking SDK work (parameter
// fetches, status requests) leaves the GUI thread without a thread per job. The destructor runs what is
// still queued, then joins.
class NxJobQueue {
public:
    NxJobQueue();
    ~NxJobQueue();
    NxJobQueue(const NxJobQueue&) = delete;
    NxJobQueue& operator=(const NxJobQueue&) = delete;

    void post(std::function<void()> job);

private:
    void run();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::function<void()>> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};
