#include "SdkRecorder.h"

#include "FakeSdk.h"
#include "NxAlarmCenter.h"
#include "NxVideoCenter.h"

#include <mutex>
#include <set>
#include <string>

namespace {

// The fake's own reset also drops the registrations, which the centers make only once per process;
// so a reset here only moves the start of the log and restores what the test changed.
struct State {
    std::mutex mutex;
    size_t mark = 0;
    std::set<std::string> results;
    std::set<std::string> replies;
};

State& state() {
    static State* s = new State;
    return *s;
}

bool isInit(const std::string& name) {
    return name.rfind("Init", 0) == 0 || name.rfind("nx_Init", 0) == 0 || name == "vmoInitModel";
}

QString format(const FakeSdk::Call& call) {
    QStringList args;
    for (const std::string& a : call.args)
        if (a != "<out>") // the out buffers are structural, the tests check what was written into them
            args << QString::fromStdString(a);
    return QString::fromStdString(call.name) + '(' + args.join(QStringLiteral(", ")) + ')';
}

} // namespace

namespace SdkRecorder {

void reset() {
    State& s = state();
    std::lock_guard<std::mutex> locker(s.mutex);
    s.mark = FakeSdk::calls().size();
    for (const std::string& name : s.results)
        FakeSdk::setResult(name, 0);
    for (const std::string& name : s.replies)
        FakeSdk::setReply(name, "");
    s.results.clear();
    s.replies.clear();
    FakeSdk::setReply("vmoLANCalling", "call-1");
    FakeSdk::setReply("vmoWANCalling", "call-1");
}

QStringList calls() {
    return callsNamed();
}

QStringList callsNamed(const QStringList& names) {
    size_t mark;
    {
        State& s = state();
        std::lock_guard<std::mutex> locker(s.mutex);
        mark = s.mark;
    }
    const std::vector<FakeSdk::Call> all = FakeSdk::calls();
    QStringList out;
    for (size_t i = mark; i < all.size(); ++i) {
        if (isInit(all[i].name))
            continue;
        if (names.isEmpty() || names.contains(QString::fromStdString(all[i].name)))
            out << format(all[i]);
    }
    return out;
}

int count(const QString& name) {
    return callsNamed({name}).size();
}

QStringList registrations() {
    QStringList out;
    for (const std::string& name : FakeSdk::callNames())
        if (isInit(name))
            out << QString::fromStdString(name);
    return out;
}

void setResult(const QString& name, int result) {
    State& s = state();
    std::lock_guard<std::mutex> locker(s.mutex);
    s.results.insert(name.toStdString());
    FakeSdk::setResult(name.toStdString(), result);
}

void setReply(int selector, const QByteArray& text) {
    State& s = state();
    std::lock_guard<std::mutex> locker(s.mutex);
    const std::string name = "GetLanSysInfo:" + std::to_string(selector);
    s.replies.insert(name);
    FakeSdk::setReply(name, text.toStdString());
}

void setCallId(const QByteArray& identity) {
    FakeSdk::setReply("vmoLANCalling", identity.toStdString());
    FakeSdk::setReply("vmoWANCalling", identity.toStdString());
}

void fireSystem(int command, const QByteArray& text) {
    FakeSdk::fireSystem(command, text.toStdString(), FakeSdk::On::Caller);
}

void fireLan(const char* deviceId, const char* flag, int nxid, const char* audioType) {
    FakeSdk::fireLanRaw(deviceId, flag, nxid, audioType, FakeSdk::On::Caller);
}

void fireAlarm(int command, const char* text, int flag, int value) {
    if (text)
        FakeSdk::fireAlarm(command, text, flag, value, FakeSdk::On::Caller);
    else // a null text, which the fake's own firing cannot carry
        NxAlarmCenter::alarmCallback(FakeSdk::context("InitAlarmInfo"), command, nullptr, flag, value);
}

void fireWifi(const char* buffer, int length) {
    FakeSdk::fireWifi(buffer ? std::string(buffer) : std::string(), length, FakeSdk::On::Caller);
}

void fireVideo(const char* callId, const unsigned char* data, int length) {
    if (callId && data) {
        FakeSdk::fireVideo(callId,
                           std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length)),
                           FakeSdk::On::Caller);
        return;
    }
    // Null fields, which the fake's own firing cannot carry.
    const nxVideoFrame frame{callId, 1, data, length};
    NxVideoCenter::videoCallback(FakeSdk::context("nx_InitVideo"), &frame);
}

void fireAudio(const unsigned char* data, int length) {
    FakeSdk::fireAudio(std::string(reinterpret_cast<const char*>(data), static_cast<size_t>(length)),
                       FakeSdk::On::Caller);
}

} // namespace SdkRecorder
