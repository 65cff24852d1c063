#include "FakeSdk.h"

#include "FakeSdkState.h"

namespace FakeSdk {

std::vector<Call> calls() {
    auto& s = FakeSdkState::instance();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.calls;
}

std::vector<Call> calls(const std::string& name) {
    std::vector<Call> out;
    for (auto& c : calls())
        if (c.name == name)
            out.push_back(c);
    return out;
}

std::vector<std::string> callNames() {
    std::vector<std::string> out;
    for (auto& c : calls())
        out.push_back(c.name);
    return out;
}

int count(const std::string& name) {
    return static_cast<int>(calls(name).size());
}

void reset() {
    auto& s = FakeSdkState::instance();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.calls.clear();
    s.results.clear();
    s.queued.clear();
    s.replies.clear();
    s.registrations.clear();
    s.callCounter = 0;
}

void setResult(const std::string& name, int value) {
    auto& s = FakeSdkState::instance();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.results[name] = value;
}

void queueResults(const std::string& name, const std::vector<int>& values) {
    auto& s = FakeSdkState::instance();
    std::lock_guard<std::mutex> lock(s.mutex);
    auto& q = s.queued[name];
    q.insert(q.end(), values.begin(), values.end());
}

void setReply(const std::string& name, const std::string& text) {
    auto& s = FakeSdkState::instance();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.replies[name] = text;
}

void* context(const std::string& initName) {
    return FakeSdkState::instance().registration(initName.c_str()).context;
}

bool registered(const std::string& initName) {
    return FakeSdkState::instance().registration(initName.c_str()).function != nullptr;
}

std::thread::id lastCallbackThread() {
    auto& s = FakeSdkState::instance();
    std::lock_guard<std::mutex> lock(s.mutex);
    return s.lastThread;
}

namespace {

template <typename Fn> bool fire(const char* initName, On on, const std::function<void(Fn, void*)>& call) {
    auto& s = FakeSdkState::instance();
    const auto reg = s.registration(initName);
    if (!reg.function)
        return false;
    auto run = [&s, reg, call] {
        {
            std::lock_guard<std::mutex> lock(s.mutex);
            s.lastThread = std::this_thread::get_id();
        }
        call(reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(reg.function)), reg.context);
    };
    if (on == On::Caller) {
        run();
    } else {
        std::thread t(run);
        t.join();
    }
    return true;
}

} // namespace

bool fireSystem(int command, const std::string& text, On on) {
    return fire<nxSystemCallback>("vmoInitModel", on, [&](nxSystemCallback f, void* c) {
        f(c, command, text.c_str(), static_cast<int>(text.size()));
    });
}

bool fireLanRaw(const char* deviceId, const char* flag, int nxid, const char* audioType, On on) {
    return fire<nxLanDeviceCallback>("nx_InitLAN", on, [&](nxLanDeviceCallback f, void* c) {
        f(c, deviceId, flag, nxid, 80, 1, audioType);
    });
}

bool fireLan(const std::string& deviceId, const std::string& flag, int nxid, const std::string& audioType,
             On on) {
    return fireLanRaw(deviceId.c_str(), flag.c_str(), nxid, audioType.c_str(), on);
}

bool fireVideo(const std::string& callId, const std::string& payload, On on) {
    return fire<nxVideoCallback>("nx_InitVideo", on, [&](nxVideoCallback f, void* c) {
        const nxVideoFrame frame{callId.c_str(), 0, reinterpret_cast<const unsigned char*>(payload.data()),
                                 static_cast<int>(payload.size())};
        f(c, &frame);
    });
}

bool fireAudio(const std::string& payload, On on) {
    return fire<nxAudioCallback>("nx_InitAudio", on, [&](nxAudioCallback f, void* c) {
        f(c, 0, reinterpret_cast<const unsigned char*>(payload.data()), static_cast<int>(payload.size()));
    });
}

bool fireAlarm(int command, const std::string& text, int flag, int value, On on) {
    return fire<nxAlarmCallback>(
        "InitAlarmInfo", on, [&](nxAlarmCallback f, void* c) { f(c, command, text.c_str(), flag, value); });
}

bool fireWifi(const std::string& text, int length, On on) {
    return fire<nxWifiSidCallback>("InitGetWifiSid", on,
                                   [&](nxWifiSidCallback f, void* c) { f(c, text.c_str(), length); });
}

bool fireSdFile(int number, const std::string& entry, int lastFlag, On on) {
    return fire<nxSdFileCallback>(
        "InitSdFile", on, [&](nxSdFileCallback f, void* c) { f(c, number, entry.c_str(), lastFlag); });
}

bool fireSdData(int sequence, const std::string& payload, int length, short resolution, short encoding,
                short reserved, short frameType, On on) {
    return fire<nxSdDataCallback>("nx_InitSdData", on, [&](nxSdDataCallback f, void* c) {
        f(c, sequence, payload.empty() ? nullptr : reinterpret_cast<const unsigned char*>(payload.data()),
          length, resolution, encoding, reserved, frameType);
    });
}

} // namespace FakeSdk
