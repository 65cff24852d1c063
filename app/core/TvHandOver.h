#pragma once

#include "TvMutexLocker.h"

#include <type_traits>
#include <utility>

// Wraps a function object that is handed to another thread only through Qt's event queue or thread
// pool (QMetaObject::invokeMethod, QThreadPool::start). Their hand-over is guarded by Qt's own mutex,
// which ThreadSanitizer cannot see, so every capture read on the receiving thread would look like a
// race with its write on the posting thread. Each construction marks the capture's final place as
// released, and the call and the destruction acquire it there first. Outside a sanitizer build it is
// a plain forwarding wrapper.
template <typename F> class TvHandOver {
public:
    explicit TvHandOver(F fn) : m_fn(std::move(fn)) { released(); }
    TvHandOver(TvHandOver&& other) : m_fn(std::move(other.m_fn)) { released(); }
    TvHandOver(const TvHandOver& other) : m_fn(other.m_fn) { released(); }
    TvHandOver& operator=(const TvHandOver&) = delete;
    TvHandOver& operator=(TvHandOver&&) = delete;
    ~TvHandOver() { acquired(); }

    // Released again after the call: the last reference to the wrapper may be dropped, and the
    // wrapper destroyed, on the posting thread once the call is over.
    decltype(auto) operator()() {
        acquired();
        const ReleaseOnExit guard{this};
        return m_fn();
    }

private:
    struct ReleaseOnExit {
        const TvHandOver* self;
        ~ReleaseOnExit() { self->released(); }
    };

    void released() const {
#ifdef TV_THREAD_SANITIZER
        __tsan_release(const_cast<TvHandOver*>(this));
#endif
    }
    void acquired() const {
#ifdef TV_THREAD_SANITIZER
        __tsan_acquire(const_cast<TvHandOver*>(this));
#endif
    }

    F m_fn;
};

template <typename F> TvHandOver<std::decay_t<F>> tvHandOver(F&& fn) {
    return TvHandOver<std::decay_t<F>>(std::forward<F>(fn));
}
