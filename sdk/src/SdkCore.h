#pragma once

#include "SdkConnection.h"
#include "SdkDispatcher.h"
#include "WireWriter.h"

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace pcq {

enum class Slot { Lan, System, Video, Audio, Wifi, Alarm, SdFile, SdData, Count };

// The library's state: callback registrations, LAN handles, open calls, the connection and the two
// callback threads (control events and media). One static instance, shut down when the library unloads.
class SdkCore {
public:
    static SdkCore& instance();
    ~SdkCore();

    void setCallback(Slot slot, void* context, void* function);

    // Request helpers; each returns the service's result or a PCQ_ERR_* code.
    int request(kvabwire::WireWriter& message, std::string* reply = nullptr,
                SdkConnection::ReplyHook onReply = {});
    kvabwire::WireWriter make(kvabwire::Op op) const;

    // LAN handle → device id; empty when the handle is unknown or stale.
    std::string deviceForHandle(int nxid);

    // Opens a call on the service and files its identity (copied into out, NUL-terminated).
    int openCall(kvabwire::Op op, kvabwire::WireWriter& message, int kind, const std::string& device,
                 char* out);
    int closeCall(const std::string& callId, const char* deviceId);
    int sendTalk(const unsigned char* data, int length);

    void noteLanRefresh() { m_lanRefreshed = true; }
    void noteLogout() { m_loggedIn = false; }

private:
    struct Registration {
        std::recursive_mutex mutex; // held while the callback runs
        void* context = nullptr;
        void* function = nullptr;
    };
    struct CallInfo {
        int kind;
        std::string device;
    };

    SdkCore();
    void onEvent(const char* body, std::size_t size);
    void onState(bool connected);
    bool callOpen(const std::string& callId);
    static bool validCallId(const std::string& callId);
    template <typename Fn, typename... Args> void invoke(Slot slot, Args... args);

    std::atomic<bool> m_shutdown{false};
    Registration m_slots[static_cast<int>(Slot::Count)];

    std::mutex m_mutex; // LAN handles and calls
    struct LanEntry {
        std::uint32_t token;
        int nxid;
    };
    std::map<std::string, LanEntry> m_lanByDevice;
    std::map<int, std::string> m_deviceByHandle;
    int m_nextHandle = 0x1001;
    std::map<std::string, CallInfo> m_calls;

    std::atomic<bool> m_lanRefreshed{false};
    std::atomic<bool> m_loggedIn{false};

    std::unique_ptr<SdkDispatcher> m_control;
    std::unique_ptr<SdkDispatcher> m_media;
    std::unique_ptr<SdkConnection> m_connection;
};

} // namespace pcq
