#pragma once

#include "ClipEncoder.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

// Clips are encoded once per camera, size, rate and bit rate on a worker thread and then only replayed;
// the steady state never encodes.
class ClipCache {
public:
    explicit ClipCache(std::function<void()> onReady);
    ~ClipCache();
    ClipCache(const ClipCache&) = delete;
    ClipCache& operator=(const ClipCache&) = delete;

    // The clip, or null while it is being encoded (the job is queued on first ask).
    std::shared_ptr<const Clip> get(const ClipKey& key);
    bool failed(const ClipKey& key);

private:
    void loop();

    std::function<void()> m_onReady;
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::map<ClipKey, std::shared_ptr<const Clip>> m_clips;
    std::set<ClipKey> m_queued;
    std::set<ClipKey> m_failed;
    std::deque<ClipKey> m_jobs;
    bool m_stopping = false;
    std::thread m_thread;
};
