#pragma once

#include <functional>

// Runs a one-shot job on a thread of its own; the thread deletes itself when the job has finished.
// The login center's built-in-account login and the SDK-requested logout run this way.
class NxAsyncJob {
public:
    static void start(std::function<void()> job);
    // Waits at most the given time until no job runs; true when none does. At exit, so that a job
    // still talking to the SDK ends before the SDK unloads.
    static bool waitForAll(int milliseconds);
};
