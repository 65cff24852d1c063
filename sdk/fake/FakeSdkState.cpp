#include "FakeSdkState.h"

#include <cstring>

namespace FakeSdk {

FakeSdkState& FakeSdkState::instance() {
    static FakeSdkState state;
    return state;
}

int FakeSdkState::record(const char* name, std::vector<std::string> args, std::string data) {
    std::lock_guard<std::mutex> lock(mutex);
    calls.push_back(Call{name, std::move(args), std::move(data), std::this_thread::get_id()});
    auto q = queued.find(name);
    if (q != queued.end() && !q->second.empty()) {
        const int v = q->second.front();
        q->second.erase(q->second.begin());
        return v;
    }
    auto r = results.find(name);
    return r == results.end() ? 0 : r->second;
}

std::string FakeSdkState::reply(const std::string& key, const std::string& fallback) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = replies.find(key);
    return it == replies.end() ? fallback : it->second;
}

bool FakeSdkState::reply(const std::string& key, std::string* out) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = replies.find(key);
    if (it == replies.end())
        return false;
    *out = it->second;
    return true;
}

void FakeSdkState::setCallback(const char* initName, void* context, void* function) {
    std::lock_guard<std::mutex> lock(mutex);
    registrations[initName] = Registration{function ? context : nullptr, function};
}

FakeSdkState::Registration FakeSdkState::registration(const char* initName) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = registrations.find(initName);
    return it == registrations.end() ? Registration{} : it->second;
}

std::string FakeSdkState::nextCallId() {
    std::lock_guard<std::mutex> lock(mutex);
    return "fake-call-" + std::to_string(++callCounter);
}

void copyReply(const std::string& text, char* out, std::size_t size) {
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

} // namespace FakeSdk
