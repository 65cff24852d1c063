#pragma once

#include <QMutex>

#if defined(__SANITIZE_THREAD__)
#define TV_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TV_THREAD_SANITIZER 1
#endif
#endif

#ifdef TV_THREAD_SANITIZER
#include <sanitizer/tsan_interface.h>
#endif

// The project's lock guard: a QMutexLocker that also tells ThreadSanitizer about the lock. Qt's mutex
// lives in the Qt library, which is built without the sanitizer; without these happens-before edges
// every access the mutex guards would be reported as a race. Outside a sanitizer build it is a plain
// QMutex lock.
class TvMutexLocker {
public:
    explicit TvMutexLocker(QMutex* mutex) : m_mutex(mutex) {
        m_mutex->lock();
        acquired(m_mutex);
    }
    ~TvMutexLocker() { unlock(); }
    TvMutexLocker(const TvMutexLocker&) = delete;
    TvMutexLocker& operator=(const TvMutexLocker&) = delete;

    void unlock() {
        if (!m_mutex)
            return;
        unlockMutex(m_mutex);
        m_mutex = nullptr;
    }

    // For the places that must not wait: true when the lock was taken.
    static bool tryLock(QMutex* mutex) {
        if (!mutex->tryLock())
            return false;
        acquired(mutex);
        return true;
    }
    static void unlockMutex(QMutex* mutex) {
#ifdef TV_THREAD_SANITIZER
        __tsan_release(mutex);
#endif
        mutex->unlock();
    }

private:
    static void acquired(QMutex* mutex) {
#ifdef TV_THREAD_SANITIZER
        __tsan_acquire(mutex);
#else
        (void)mutex;
#endif
    }

    QMutex* m_mutex;
};
