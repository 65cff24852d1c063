// The 42 entry points of the test double: record, then answer as the test said.
#include "FakeSdkState.h"
#include "Md5.h"
#include "SdkConfig.h"
#include "pcQuorvane.h"

#include <string>

using FakeSdk::FakeSdkState;

namespace {

std::string t(const char* text) {
    return text ? std::string(text) : std::string("<null>");
}
std::string i(int v) {
    return std::to_string(v);
}
const char* kOut = "<out>";

FakeSdkState& st() {
    return FakeSdkState::instance();
}

int reg(const char* name, void* context, void* function) {
    st().setCallback(name, context, function);
    return st().record(name, {context ? "<context>" : "<null>", function ? "<callback>" : "<null>"});
}

template <typename F> void* fn(F f) {
    return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(f));
}

int withCallId(const char* name, char* out, std::vector<std::string> args) {
    const int rc = st().record(name, std::move(args));
    if (out && rc >= 0)
        FakeSdk::copyReply(st().reply(name, st().nextCallId()), out, PCQ_CALL_ID_SIZE);
    return rc;
}

} // namespace

// Not recorded: a query of the configuration, not a call to a camera. The same settings as the library's.
int pcq_AnswerWaitMs(void) {
    return pcq::SdkConfig::answerWaitMs();
}

extern "C" {

int nx_InitLAN(void* c, nxLanDeviceCallback f) {
    return reg("nx_InitLAN", c, fn(f));
}
int vmoInitModel(void* c, nxSystemCallback f) {
    return reg("vmoInitModel", c, fn(f));
}
int nx_InitVideo(void* c, nxVideoCallback f) {
    return reg("nx_InitVideo", c, fn(f));
}
int nx_InitAudio(void* c, nxAudioCallback f) {
    return reg("nx_InitAudio", c, fn(f));
}
int InitGetWifiSid(void* c, nxWifiSidCallback f) {
    return reg("InitGetWifiSid", c, fn(f));
}
int InitAlarmInfo(void* c, nxAlarmCallback f) {
    return reg("InitAlarmInfo", c, fn(f));
}
int InitSdFile(void* c, nxSdFileCallback f) {
    return reg("InitSdFile", c, fn(f));
}
int nx_InitSdData(void* c, nxSdDataCallback f) {
    return reg("nx_InitSdData", c, fn(f));
}

int vmoLogin_EX(const char* user, const char* password, const char* host, int port) {
    return st().record("vmoLogin_EX", {t(user), t(password), t(host), i(port)});
}
int nx_RegionMonServer(void) {
    return st().record("nx_RegionMonServer", {});
}
int vmoLogOut(void) {
    return st().record("vmoLogOut", {});
}
int vmoGetDevStatus(const char* id) {
    return st().record("vmoGetDevStatus", {t(id)});
}
int vmoGetDevStatus_EX(const char* request, int count) {
    return st().record("vmoGetDevStatus_EX", {t(request), i(count)});
}
int DoSetAccessPswd_EX(int kind, const char* id, const char* pwd, int mode, int reserved) {
    return st().record("DoSetAccessPswd_EX", {i(kind), t(id), t(pwd), i(mode), i(reserved)});
}
int vmoCheckAccessPwd(const char* local, const char* stored) {
    return st().record("vmoCheckAccessPwd", {t(local), t(stored)});
}
int vmoConversionMD5(const char* text, char* output) {
    const int rc = st().record("vmoConversionMD5", {t(text), kOut});
    if (output && rc >= 0)
        FakeSdk::copyReply(st().reply("vmoConversionMD5", kvabwire::Md5::hex(text ? text : "")), output,
                           PCQ_MD5_SIZE);
    return rc;
}
int nx_LanRefresh(void) {
    return st().record("nx_LanRefresh", {});
}

int vmoLANCalling(int kind, int stream, char* callId, int nxid, const char* flag, int reserved) {
    return withCallId("vmoLANCalling", callId, {i(kind), i(stream), kOut, i(nxid), t(flag), i(reserved)});
}
int vmoWANCalling(int kind, int stream, char* callId, const char* id, const char* flag, int reserved) {
    return withCallId("vmoWANCalling", callId, {i(kind), i(stream), kOut, t(id), t(flag), i(reserved)});
}
int vmoLANCloseCall(const char* callId) {
    return st().record("vmoLANCloseCall", {t(callId)});
}
int vmoWANCloseCall(const char* id, const char* callId) {
    return st().record("vmoWANCloseCall", {t(id), t(callId)});
}
int nx_AudioData(const unsigned char* data, int length, int reserved) {
    std::string bytes;
    if (data && length > 0)
        bytes.assign(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return st().record("nx_AudioData", {"<" + i(length) + " bytes>", i(length), i(reserved)}, bytes);
}

int vmoLanSendData_EX(int nxid, const char* text, int reserved) {
    return st().record("vmoLanSendData_EX", {i(nxid), t(text), i(reserved)});
}
int vmoWanSendData_EX(const char* id, const char* text, int reserved) {
    return st().record("vmoWanSendData_EX", {t(id), t(text), i(reserved)});
}
int vmoGetLANInfo(const char* id, int nxid, int selector, int reserved) {
    return st().record("vmoGetLANInfo", {t(id), i(nxid), i(selector), i(reserved)});
}
int vmoGetWANInfo(const char* id, int selector, int reserved) {
    return st().record("vmoGetWANInfo", {t(id), i(selector), i(reserved)});
}
int vmoSetLANInfo(const char* id, int nxid, int selector, int value, int extra) {
    return st().record("vmoSetLANInfo", {t(id), i(nxid), i(selector), i(value), i(extra)});
}
int vmoSetWANInfo(const char* id, int selector, int value, int extra) {
    return st().record("vmoSetWANInfo", {t(id), i(selector), i(value), i(extra)});
}
int GetWanSysDevInfo(const char* id, int selector) {
    return st().record("GetWanSysDevInfo", {t(id), i(selector)});
}
int GetLanSysInfo(char* buffer, int selector, const char* id) {
    const int rc = st().record("GetLanSysInfo", {kOut, i(selector), t(id)});
    std::string text;
    if (buffer && (st().reply("GetLanSysInfo:" + i(selector), &text) || st().reply("GetLanSysInfo", &text)))
        FakeSdk::copyReply(text, buffer, PCQ_RECORD_SIZE);
    return rc;
}
int SetLanSysInfo(int nxid, int selector, const char* record, int reserved) {
    return st().record("SetLanSysInfo", {i(nxid), i(selector), t(record), i(reserved)});
}
int SetWanSysInfo(int selector, const char* id, const char* record, int reserved) {
    return st().record("SetWanSysInfo", {i(selector), t(id), t(record), i(reserved)});
}
int SetLanWifi(int flag, int open, int nxid, const char* record) {
    return st().record("SetLanWifi", {i(flag), i(open), i(nxid), t(record)});
}
int SetLanDevIP(int kind, int nxid, const char* record) {
    return st().record("SetLanDevIP", {i(kind), i(nxid), t(record)});
}
int DoLanGetWifiSid(int nxid, const char* mac, int reserved) {
    return st().record("DoLanGetWifiSid", {i(nxid), t(mac), i(reserved)});
}
int nx_DoLocalMonSetAlarmEmail(int nxid, const char* id, const char* record, int reserved) {
    return st().record("nx_DoLocalMonSetAlarmEmail", {i(nxid), t(id), t(record), i(reserved)});
}
int nx_DoMonSetAlarmEmail(const char* id, const char* record, int reserved) {
    return st().record("nx_DoMonSetAlarmEmail", {t(id), t(record), i(reserved)});
}
int DoLocalMonFormatSD(int nxid, int reserved) {
    return st().record("DoLocalMonFormatSD", {i(nxid), i(reserved)});
}
int DoLanReadSdData(int nxid, int page, int pageSize, int reserved) {
    return st().record("DoLanReadSdData", {i(nxid), i(page), i(pageSize), i(reserved)});
}
int DoMonSDReadData(const char* id, int page, int pageSize, int reserved) {
    return st().record("DoMonSDReadData", {t(id), i(page), i(pageSize), i(reserved)});
}
int DoLanDowSdData(char* callId, int nxid, const char* name, int reserved) {
    return withCallId("DoLanDowSdData", callId, {kOut, i(nxid), t(name), i(reserved)});
}
int DoMonDowSdData(char* callId, const char* id, const char* name, int reserved) {
    return withCallId("DoMonDowSdData", callId, {kOut, t(id), t(name), i(reserved)});
}

} // extern "C"
