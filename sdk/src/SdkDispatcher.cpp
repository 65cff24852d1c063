#include "SdkDispatcher.h"

#include <chrono>
#include <cstdio>

namespace pcq {

SdkDispatcher::SdkDispatcher(const char* name, std::size_t maxBytes) : m_name(name), m_maxBytes(maxBytes) {
    m_thread = std::thread([this] { loop(); });
}

SdkDispatcher::~SdkDispatcher() {
    stop();
}

bool SdkDispatcher::post(std::function<void()> job, std::size_t cost, int waitMs) {
    cost += 64;
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        if (waitMs > 0 && cost <= m_maxBytes)
            m_room.wait_for(lock, std::chrono::milliseconds(waitMs),
                            [&] { return m_stopping || m_bytes + cost <= m_maxBytes; });
        if (m_stopping)
            return false;
        if (m_bytes + cost > m_maxBytes) {
            if (m_dropped++ % 100 == 0)
                std::fprintf(stderr, "pcQuorvane: %s callbacks fall behind, dropped %zu events\n", m_name,
                             m_dropped);
            return false;
        }
        m_bytes += cost;
        m_jobs.push_back(Job{std::move(job), cost});
    }
    m_cv.notify_one();
    return true;
}

void SdkDispatcher::stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
        m_bytes = 0;
    }
    m_cv.notify_all();
    m_room.notify_all();
    if (m_thread.joinable()) {
        if (onThread())
            m_thread.detach();
        else
            m_thread.join();
    }
}

void SdkDispatcher::loop() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [&] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        job.run();
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bytes = m_bytes >= job.cost ? m_bytes - job.cost : 0;
        }
        m_room.notify_all();
    }
}

} // namespace pcq
