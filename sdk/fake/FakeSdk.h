#pragma once

// Control side of the SDK test double: every entry point of pcQuorvane.h is recorded here with its
// arguments, answers with a result (and reply text) chosen by the test, and every callback that was
// registered can be fired from a thread the test chooses.

#include "pcQuorvane.h"

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace FakeSdk {

struct Call {
    std::string name;              // entry point, e.g. "vmoLANCalling"
    std::vector<std::string> args; // in order: integers in decimal, texts as given, null texts "<null>",
                                   // out buffers "<out>", byte blocks "<N bytes>"
    std::string data;              // the bytes of nx_AudioData
    std::thread::id thread;
};

enum class On { NewThread, Caller }; // where a fired callback runs; NewThread is joined before returning

std::vector<Call> calls();
std::vector<Call> calls(const std::string& name);
std::vector<std::string> callNames(); // names in call order
int count(const std::string& name);
void reset(); // calls, results, replies and registrations

// Result of an entry point (default 0). Queued results are used first, one per call, in order.
void setResult(const std::string& name, int value);
void queueResults(const std::string& name, const std::vector<int>& values);
// Reply text written into the caller's buffer (within its size, always NUL-terminated):
// "GetLanSysInfo" (or "GetLanSysInfo:203" for one selector), "vmoLANCalling", "vmoWANCalling",
// "DoLanDowSdData", "DoMonDowSdData" (default "fake-call-N"), "vmoConversionMD5" (default the real MD5).
void setReply(const std::string& name, const std::string& text);

// Registration state: the context given with the named registration, null when none.
void* context(const std::string& initName);
bool registered(const std::string& initName);

// Fire a registered callback; false when nothing is registered.
bool fireSystem(int command, const std::string& text, On on = On::NewThread);
bool fireLan(const std::string& deviceId, const std::string& flag, int nxid, const std::string& audioType,
             On on = On::NewThread);
bool fireLanRaw(const char* deviceId, const char* flag, int nxid, const char* audioType,
                On on = On::NewThread);
bool fireVideo(const std::string& callId, const std::string& payload, On on = On::NewThread);
bool fireAudio(const std::string& payload, On on = On::NewThread);
bool fireAlarm(int command, const std::string& text, int flag, int value, On on = On::NewThread);
bool fireWifi(const std::string& text, int length, On on = On::NewThread);
bool fireSdFile(int number, const std::string& entry, int lastFlag, On on = On::NewThread);
bool fireSdData(int sequence, const std::string& payload, int length, short resolution, short encoding,
                short reserved, short frameType, On on = On::NewThread);

// The thread the last fired callback ran on.
std::thread::id lastCallbackThread();

} // namespace FakeSdk
