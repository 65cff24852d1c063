#pragma once

#include "TvMutexLocker.h"

#include <QMutex>
#include <QWaitCondition>

#include <climits>

// Orders what one thread did before tvHappensBefore(key) before what another does after
// tvHappensAfter(key), where the real order is kept inside Qt, out of ThreadSanitizer's sight.
inline void tvHappensBefore(const void* key) {
#ifdef TV_THREAD_SANITIZER
    __tsan_release(const_cast<void*>(key));
#else
    (void)key;
#endif
}
inline void tvHappensAfter(const void* key) {
#ifdef TV_THREAD_SANITIZER
    __tsan_acquire(const_cast<void*>(key));
#else
    (void)key;
#endif
}

// QWaitCondition::wait on a mutex held through TvMutexLocker. The wait releases and re-takes the mutex
// inside Qt, where ThreadSanitizer cannot see it: tell it about both, so that what other threads did
// under the mutex while this one slept counts as ordered before what it does next.
inline bool tvConditionWait(QWaitCondition& condition, QMutex* mutex, unsigned long ms = ULONG_MAX) {
#ifdef TV_THREAD_SANITIZER
    __tsan_release(mutex);
#endif
    const bool woken = condition.wait(mutex, ms);
#ifdef TV_THREAD_SANITIZER
    __tsan_acquire(mutex);
#endif
    return woken;
}
