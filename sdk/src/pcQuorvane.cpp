// The exported entry points: argument checks, handle lookup, then one request to the camera service.
#include "pcQuorvane.h"

#include "Md5.h"
#include "SdkConfig.h"
#include "SdkCore.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

using kvabwire::Op;
using pcq::OnvifBackend;
using pcq::Route;
using pcq::SdkCore;
using pcq::Slot;

namespace {

constexpr std::size_t kMaxText = PCQ_TEXT_SIZE;

bool textOk(const char* text) {
    return text && std::strlen(text) < kMaxText;
}
bool idOk(const char* text) {
    return text && text[0] != '\0' && std::strlen(text) < 256;
}

SdkCore& core() {
    return SdkCore::instance();
}

int reg(Slot slot, void* context, void* function) {
    core().setCallback(slot, context, function);
    return PCQ_OK;
}

template <typename F> void* fn(F f) {
    return reinterpret_cast<void*>(f);
}

// The LAN path names cameras by handle; the service knows them by id.
bool lanDevice(int nxid, std::string* device) {
    *device = core().deviceForHandle(nxid);
    return !device->empty();
}

OnvifBackend& onvif() {
    return core().onvif();
}

int simple(Route route, Op op) {
    auto m = core().make(op);
    return core().request(route, m);
}

// The cloud server must be this machine: the library only ever connects to the loopback address.
bool loopbackHost(const char* host) {
    return host && (std::strcmp(host, "127.0.0.1") == 0 || std::strcmp(host, "localhost") == 0);
}

} // namespace

extern "C" {

int pcq_AnswerWaitMs(void) {
    return pcq::SdkConfig::answerWaitMs();
}

int nx_InitLAN(void* context, nxLanDeviceCallback callback) {
    return reg(Slot::Lan, context, fn(callback));
}
int vmoInitModel(void* context, nxSystemCallback callback) {
    return reg(Slot::System, context, fn(callback));
}
int nx_InitVideo(void* context, nxVideoCallback callback) {
    return reg(Slot::Video, context, fn(callback));
}
int nx_InitAudio(void* context, nxAudioCallback callback) {
    return reg(Slot::Audio, context, fn(callback));
}
int InitGetWifiSid(void* context, nxWifiSidCallback callback) {
    return reg(Slot::Wifi, context, fn(callback));
}
int InitAlarmInfo(void* context, nxAlarmCallback callback) {
    return reg(Slot::Alarm, context, fn(callback));
}
int InitSdFile(void* context, nxSdFileCallback callback) {
    return reg(Slot::SdFile, context, fn(callback));
}
int nx_InitSdData(void* context, nxSdDataCallback callback) {
    return reg(Slot::SdData, context, fn(callback));
}

int vmoLogin_EX(const char* user, const char* password, const char* host, int port) {
    if (!textOk(user) || !textOk(password) || (host && !textOk(host)))
        return PCQ_ERR_ARGUMENT;
    if (!loopbackHost(host) || port < 1 || port > 65535) {
        std::fprintf(stderr,
                     "pcQuorvane: cloud server \"%s\" port %d refused (only 127.0.0.1, port 1..65535)\n",
                     host ? host : "", port);
        return PCQ_ERR_ARGUMENT;
    }
    core().setCloudPort(port);
    auto m = core().make(Op::Login);
    m.addText(user).addText(password).addText(host).addInt(port);
    const int rc = core().request(Route::Cloud, m);
    if (rc < 0)
        std::fprintf(stderr, "pcQuorvane: login to the cloud server at %s:%d failed (%d)\n", host, port, rc);
    return rc;
}

int nx_RegionMonServer(void) {
    return simple(Route::Cloud, Op::RegionMon);
}

int vmoLogOut(void) {
    core().noteLogout();
    return simple(Route::Cloud, Op::Logout);
}

int vmoGetDevStatus(const char* deviceId) {
    if (!idOk(deviceId))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::DevStatus);
    m.addText(deviceId);
    return core().request(Route::Cloud, m);
}

int vmoGetDevStatus_EX(const char* request, int count) {
    if (!textOk(request) || count < 0)
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::DevStatusEx);
    m.addText(request).addInt(count);
    return core().request(Route::Cloud, m);
}

int DoSetAccessPswd_EX(int kind, const char* deviceId, const char* password, int mode, int) {
    if (!idOk(deviceId) || !textOk(password))
        return PCQ_ERR_ARGUMENT;
    if (onvif().knowsDevice(deviceId))
        return onvif().setCredentials(deviceId, password);
    auto m = core().make(Op::SetAccessPwd);
    m.addInt(kind).addText(deviceId).addText(password).addInt(mode);
    return core().request(Route::Cloud, m);
}

int vmoCheckAccessPwd(const char* local, const char* stored) {
    if (!textOk(local) || !textOk(stored))
        return PCQ_ERR_ARGUMENT;
    if (stored[0] == '\0')
        return 0;
    if (std::strcmp(local, stored) == 0)
        return 1;
    const std::string md5 = kvabwire::Md5::hex(local);
    const std::size_t n = std::strlen(stored);
    if (n != md5.size())
        return 0;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(stored[i])) != md5[i])
            return 0;
    return 1;
}

int vmoConversionMD5(const char* text, char* output) {
    if (!text || !output || std::strlen(text) >= kMaxText)
        return PCQ_ERR_ARGUMENT;
    const std::string md5 = kvabwire::Md5::hex(text);
    std::memcpy(output, md5.c_str(), md5.size() + 1); // 33 of the 128 bytes
    return PCQ_OK;
}

int nx_LanRefresh(void) {
    core().noteLanRefresh();
    onvif().refresh();
    return simple(Route::Lan, Op::LanRefresh);
}

int vmoLANCalling(int kind, int stream, char* callId, int nxid, const char* flag, int) {
    if (!callId || (flag && !textOk(flag)) || kind < PCQ_CALL_VIDEO || kind > PCQ_CALL_TALK)
        return PCQ_ERR_ARGUMENT;
    if (OnvifBackend::ownsHandle(nxid))
        return onvif().call(kind, stream, nxid, callId);
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::Call);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addInt(kind).addInt(stream).addText(flag);
    return core().openCall(Route::Lan, m, kind, device, callId);
}

int vmoWANCalling(int kind, int stream, char* callId, const char* deviceId, const char* flag, int) {
    if (!callId || !idOk(deviceId) || (flag && !textOk(flag)) || kind < PCQ_CALL_VIDEO ||
        kind > PCQ_CALL_TALK)
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::Call);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addInt(kind).addInt(stream).addText(flag);
    return core().openCall(Route::Cloud, m, kind, deviceId, callId);
}

int vmoLANCloseCall(const char* callId) {
    if (!callId || callId[0] == '\0')
        return PCQ_ERR_ARGUMENT;
    if (OnvifBackend::ownsCall(callId))
        return onvif().closeCall(callId);
    return core().closeCall(callId, nullptr);
}

int vmoWANCloseCall(const char* deviceId, const char* callId) {
    if (!callId || callId[0] == '\0')
        return PCQ_ERR_ARGUMENT;
    if (OnvifBackend::ownsCall(callId))
        return onvif().closeCall(callId);
    return core().closeCall(callId, deviceId);
}

int nx_AudioData(const unsigned char* data, int length, int) {
    if (!data || length <= 0 || length > 65536)
        return PCQ_ERR_ARGUMENT;
    return core().sendTalk(data, length);
}

int vmoLanSendData_EX(int nxid, const char* text, int) {
    if (!textOk(text))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SendData);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addText(text);
    return core().request(Route::Lan, m);
}

int vmoWanSendData_EX(const char* deviceId, const char* text, int) {
    if (!idOk(deviceId) || !textOk(text))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::SendData);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addText(text);
    return core().request(Route::Cloud, m);
}

int vmoGetLANInfo(const char*, int nxid, int selector, int) {
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::GetInfo);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addInt(selector);
    return core().request(Route::Lan, m);
}

int vmoGetWANInfo(const char* deviceId, int selector, int) {
    if (!idOk(deviceId))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::GetInfo);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addInt(selector);
    return core().request(Route::Cloud, m);
}

int GetWanSysDevInfo(const char* deviceId, int selector) {
    return vmoGetWANInfo(deviceId, selector, 0);
}

int vmoSetLANInfo(const char*, int nxid, int selector, int value, int extra) {
    // The first text is the device id, or the MAC address for a reboot; the handle names the camera.
    if (OnvifBackend::ownsHandle(nxid))
        return onvif().setInfo(nxid, selector, value);
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SetInfo);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addInt(selector).addInt(value).addInt(extra);
    return core().request(Route::Lan, m);
}

int vmoSetWANInfo(const char* deviceId, int selector, int value, int extra) {
    if (!idOk(deviceId))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::SetInfo);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addInt(selector).addInt(value).addInt(extra);
    return core().request(Route::Cloud, m);
}

int GetLanSysInfo(char* buffer, int selector, const char* deviceId) {
    if (!buffer || !idOk(deviceId))
        return PCQ_ERR_ARGUMENT;
    if (onvif().knowsDevice(deviceId))
        return PCQ_ERR_FAILED; // records are our own cameras'
    auto m = core().make(Op::SysInfo);
    m.addText(deviceId).addInt(selector);
    std::string reply;
    // Read for either kind of camera: one the LAN search found is asked on the LAN path.
    const int rc = core().request(core().routeForDevice(deviceId), m, &reply);
    if (rc < 0)
        return rc;
    const std::size_t n = reply.size() < PCQ_RECORD_SIZE - 1 ? reply.size() : PCQ_RECORD_SIZE - 1;
    std::memcpy(buffer, reply.data(), n);
    buffer[n] = '\0';
    return rc;
}

int SetLanSysInfo(int nxid, int selector, const char* record, int) {
    if (!textOk(record))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SetSysInfo);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addInt(selector).addText(record);
    return core().request(Route::Lan, m);
}

int SetWanSysInfo(int selector, const char* deviceId, const char* record, int) {
    if (!idOk(deviceId) || !textOk(record))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::SetSysInfo);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addInt(selector).addText(record);
    return core().request(Route::Cloud, m);
}

int SetLanWifi(int flag, int open, int nxid, const char* record) {
    if (!textOk(record))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SetWifi);
    m.addText(device.c_str()).addInt(flag).addInt(open).addText(record);
    return core().request(Route::Lan, m);
}

int SetLanDevIP(int kind, int nxid, const char* record) {
    if (!textOk(record))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SetDevIp);
    m.addText(device.c_str()).addInt(kind).addText(record);
    return core().request(Route::Lan, m);
}

int DoLanGetWifiSid(int nxid, const char* mac, int) {
    if (mac && !textOk(mac))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::WifiSurvey);
    m.addText(device.c_str()).addText(mac);
    return core().request(Route::Lan, m);
}

int nx_DoLocalMonSetAlarmEmail(int nxid, const char*, const char* record, int) {
    if (!textOk(record))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SetEmail);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addText(record);
    return core().request(Route::Lan, m);
}

int nx_DoMonSetAlarmEmail(const char* deviceId, const char* record, int) {
    if (!idOk(deviceId) || !textOk(record))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::SetEmail);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addText(record);
    return core().request(Route::Cloud, m);
}

int DoLocalMonFormatSD(int nxid, int) {
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::FormatSd);
    m.addText(device.c_str());
    return core().request(Route::Lan, m);
}

int DoLanReadSdData(int nxid, int page, int pageSize, int) {
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SdList);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addInt(page).addInt(pageSize);
    return core().request(Route::Lan, m);
}

int DoMonSDReadData(const char* deviceId, int page, int pageSize, int) {
    if (!idOk(deviceId))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::SdList);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addInt(page).addInt(pageSize);
    return core().request(Route::Cloud, m);
}

int DoLanDowSdData(char* callId, int nxid, const char* name, int) {
    if (!callId || !textOk(name))
        return PCQ_ERR_ARGUMENT;
    std::string device;
    if (!lanDevice(nxid, &device))
        return PCQ_ERR_FAILED;
    auto m = core().make(Op::SdDownload);
    m.addInt(kvabwire::kPathLan).addText(device.c_str()).addText(name);
    return core().openCall(Route::Lan, m, 0, device, callId);
}

int DoMonDowSdData(char* callId, const char* deviceId, const char* name, int) {
    if (!callId || !idOk(deviceId) || !textOk(name))
        return PCQ_ERR_ARGUMENT;
    auto m = core().make(Op::SdDownload);
    m.addInt(kvabwire::kPathWan).addText(deviceId).addText(name);
    return core().openCall(Route::Cloud, m, 0, deviceId, callId);
}

} // extern "C"
