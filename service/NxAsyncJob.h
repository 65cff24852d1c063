#pragma once

#include <functional>

// Runs a one-shot job on a thread of its own; the thread deletes itself when the job has finished.
// The login center's built-in-account login and the SDK-requested logout run this way.
class NxAsyncJob {
public:
    static void start(std::function<void()> job);
};
