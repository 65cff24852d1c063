#include "ClipCache.h"

#include <cstdio>

ClipCache::ClipCache(std::function<void()> onReady) : m_onReady(std::move(onReady)) {
    m_thread = std::thread([this] { loop(); });
}

ClipCache::~ClipCache() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

std::shared_ptr<const Clip> ClipCache::get(const ClipKey& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_clips.find(key);
    if (it != m_clips.end())
        return it->second;
    if (!m_queued.count(key) && !m_failed.count(key)) {
        m_queued.insert(key);
        m_jobs.push_back(key);
        m_cv.notify_one();
    }
    return nullptr;
}

bool ClipCache::failed(const ClipKey& key) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_failed.count(key) > 0;
}

void ClipCache::loop() {
    for (;;) {
        ClipKey key;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait(lock, [&] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            key = m_jobs.front();
            m_jobs.pop_front();
        }
        std::string error;
        auto clip = ClipEncoder::encode(key, &error);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_queued.erase(key);
            if (clip)
                m_clips[key] = clip;
            else
                m_failed.insert(key);
        }
        if (!clip)
            std::fprintf(stderr, "kvab-camsim: clip %s %dx%d failed: %s\n", key.camera.c_str(), key.width,
                         key.height, error.c_str());
        if (m_onReady)
            m_onReady();
    }
}
