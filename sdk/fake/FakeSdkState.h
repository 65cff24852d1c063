#pragma once

#include "FakeSdk.h"

#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace FakeSdk {

// Shared state behind the fake entry points and the control functions.
class FakeSdkState {
public:
    struct Registration {
        void* context = nullptr;
        void* function = nullptr;
    };

    static FakeSdkState& instance();

    int record(const char* name, std::vector<std::string> args, std::string data = std::string());
    std::string reply(const std::string& key, const std::string& fallback);
    bool reply(const std::string& key, std::string* out);
    void setCallback(const char* initName, void* context, void* function);
    Registration registration(const char* initName);
    std::string nextCallId();

    std::mutex mutex;
    std::vector<Call> calls;
    std::map<std::string, int> results;
    std::map<std::string, std::vector<int>> queued;
    std::map<std::string, std::string> replies;
    std::map<std::string, Registration> registrations;
    std::thread::id lastThread;
    int callCounter = 0;
};

void copyReply(const std::string& text, char* out, std::size_t size);

} // namespace FakeSdk
