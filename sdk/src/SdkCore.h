#pragma once

#include "OnvifBackend.h"
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

// Which connection a request travels on: the LAN path to the library's endpoint, the cloud path to the
// server the login named.
enum class Route { Lan, Cloud };

// The library's state: callback registrations, LAN handles, open calls, the two connections (LAN and
// cloud) and the two callback threads (control events and media). One static instance, shut down when the
// library unloads.
class SdkCore {
public:
    static SdkCore& instance();
    ~SdkCore();

    void setCallback(Slot slot, void* context, void* function);

    // Request helpers; each returns the service's result or a PCQ_ERR_* code.
    int request(Route route, kvabwire::WireWriter& message, std::string* reply = nullptr,
                SdkConnection::ReplyHook onReply = {});
    kvabwire::WireWriter make(kvabwire::Op op) const;

    // LAN handle → device id; empty when the handle is unknown or stale.
    std::string deviceForHandle(int nxid);
    // The LAN path for a device the LAN search has reported, the cloud path for any other.
    Route routeForDevice(const std::string& device);

    // Opens a call on the service and files its identity (copied into out, NUL-terminated).
    int openCall(Route route, kvabwire::WireWriter& message, int kind, const std::string& device, char* out);
    // Points the cloud path at a loopback port; a different port than before ends the old cloud session.
    void setCloudPort(int port);
    int closeCall(const std::string& callId, const char* deviceId);
    int sendTalk(const unsigned char* data, int length);

    void noteLanRefresh() { m_lanRefreshed = true; }
    // The backend of standard (ONVIF) cameras, whose handles and calls the entry points hand over.
    OnvifBackend& onvif() { return *m_onvif; }
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
        Route route;
    };

    SdkCore();
    OnvifBackend::Sinks onvifSinks();
    void onEvent(const char* body, std::size_t size);
    void onState(Route route, bool connected);
    SdkConnection& connection(Route route) { return route == Route::Cloud ? *m_cloud : *m_lan; }
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
    std::atomic<int> m_cloudPort{0}; // 0 until the first login
    std::mutex m_cloudTargetMutex;
    std::unique_ptr<SdkConnection> m_lan;
    std::unique_ptr<SdkConnection> m_cloud;
    std::unique_ptr<OnvifBackend> m_onvif;
};

} // namespace pcq
