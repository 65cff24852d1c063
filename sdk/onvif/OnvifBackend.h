#pragma once

#include "OnvifCamera.h"
#include "OnvifStream.h"
#include "SdkDispatcher.h"

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace pcq {

// The library's second backend: standard ONVIF cameras found by WS-Discovery, driven over SOAP and
// streamed over RTSP, behind the same entry points and callbacks as our own cameras. Its handles and
// call identities come from ranges of their own, so the entry points route by them alone.
class OnvifBackend {
public:
    // Our own cameras' handles count up from 0x1001 and stay below this.
    static constexpr int kHandleBase = 0x40000000;
    static constexpr int kProbeWindowMs = 1500;
    static constexpr int kRequestTimeoutMs = 3000;

    struct Sinks {
        std::function<void(const std::string& device, const std::string& flag, int nxid, int port)> lan;
        std::function<void(const std::string& callId, bool key, std::string accessUnit)> video;
        std::function<void(const std::string& callId, int sequence, std::string block)> audio;
        std::function<void(int command, const std::string& text)> system;
    };

    explicit OnvifBackend(Sinks sinks);
    ~OnvifBackend();
    OnvifBackend(const OnvifBackend&) = delete;
    OnvifBackend& operator=(const OnvifBackend&) = delete;

    static bool ownsHandle(int nxid) { return nxid >= kHandleBase; }
    static bool ownsCall(const std::string& callId) { return callId.compare(0, 6, "onvif-") == 0; }

    // Probes on the backend's own thread; answers become LAN reports, cameras that no longer answer (and
    // carry no open call) lose their handle.
    void refresh();
    bool knowsDevice(const std::string& device);
    bool callOpen(const std::string& callId);

    // The entry points for an ONVIF handle or call identity; results as for our own cameras.
    int call(int kind, int stream, int nxid, char* callId);
    int closeCall(const std::string& callId);
    int setInfo(int nxid, int selector, int value);
    // text: "USER:PASSWORD", or a password alone for the user "admin". Checked with the camera on the
    // backend's thread; the outcome is system command 115 ("1" accepted, "0" refused) as for a cloud
    // password change.
    int setCredentials(const std::string& device, const std::string& text);

private:
    struct Device {
        std::string id;
        int nxid = 0;
        std::mutex ops; // one SOAP exchange at a time per camera
        std::unique_ptr<OnvifCamera> camera;
    };
    struct Call {
        std::string device;
        std::unique_ptr<OnvifStream> stream;
    };

    void probe();
    std::shared_ptr<Device> deviceFor(int nxid);
    std::shared_ptr<Device> deviceNamed(const std::string& id);
    static std::string withCredentials(const std::string& url, const OnvifCredentials& credentials);

    Sinks m_sinks;
    std::mutex m_mutex; // the tables below
    std::map<std::string, std::shared_ptr<Device>> m_devices;
    std::map<std::string, OnvifCredentials> m_credentials; // kept while a camera is away
    std::map<std::string, Call> m_calls;
    int m_nextHandle = kHandleBase;
    int m_nextCall = 1;
    std::atomic<bool> m_probeQueued{false};
    SdkDispatcher m_worker; // probes and credential checks, in order
};

} // namespace pcq
