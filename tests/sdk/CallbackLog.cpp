#include "CallbackLog.h"

#include <chrono>

namespace {

CallbackLog& L() {
    return CallbackLog::instance();
}

void onLan(void*, const char* id, const char* flag, int nxid, int, int, const char* audio) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().lan.append({QString::fromUtf8(id), QString::fromUtf8(flag), QString::fromUtf8(audio), nxid});
    L().handles[QString::fromUtf8(id)] = nxid;
    L().threads.append(std::this_thread::get_id());
    L().cv.notify_all();
}
void onSystem(void*, int cmd, const char* text, int length) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().system.append({cmd, QString::fromUtf8(text), length});
    L().threads.append(std::this_thread::get_id());
    L().cv.notify_all();
}
void onVideo(void*, const nxVideoFrame* f) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().videoBytes += f->length;
    if (L().video.size() < 3000)
        L().video.append(
            {QString::fromUtf8(f->callId), QByteArray(reinterpret_cast<const char*>(f->data), f->length)});
    L().cv.notify_all();
}
void onAudio(void*, int, const unsigned char* data, int length) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().audio.append(QByteArray(reinterpret_cast<const char*>(data), length));
    L().cv.notify_all();
}
void onAlarm(void*, int cmd, const char* text, int flag, int) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().alarms.append({cmd, QString::fromUtf8(text), flag});
    L().cv.notify_all();
}
void onWifi(void*, const char* buf, int length) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().wifi.append({QByteArray(buf ? buf : ""), length});
    L().cv.notify_all();
}
void onSdFile(void*, int, const char* entry, int last) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().sdFiles.append({QString::fromUtf8(entry), last});
    L().cv.notify_all();
}
void onSdData(void*, int seq, const unsigned char* data, int length, short res, short, short, short type) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().sdData.append({seq,
                       length > 0 ? QByteArray(reinterpret_cast<const char*>(data), length) : QByteArray(),
                       length, res, type});
    L().cv.notify_all();
}

} // namespace

CallbackLog& CallbackLog::instance() {
    static CallbackLog log;
    return log;
}

void CallbackLog::registerAll() {
    nx_InitLAN(this, onLan);
    vmoInitModel(this, onSystem);
    nx_InitVideo(this, onVideo);
    nx_InitAudio(this, onAudio);
    InitGetWifiSid(this, onWifi);
    InitAlarmInfo(this, onAlarm);
    InitSdFile(this, onSdFile);
    nx_InitSdData(this, onSdData);
}

void CallbackLog::clear() {
    std::lock_guard<std::mutex> lock(mutex);
    lan.clear();
    system.clear();
    alarms.clear();
    video.clear();
    audio.clear();
    wifi.clear();
    sdFiles.clear();
    sdData.clear();
    threads.clear();
    videoBytes = 0;
}

bool CallbackLog::waitFor(const std::function<bool()>& done, int ms) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, std::chrono::milliseconds(ms), done);
}

int CallbackLog::lastNxid(const QString& id) {
    return handles.value(id, 0);
}

bool CallbackLog::hasSystem(int command, const QString& text) {
    for (const auto& s : system)
        if (s.command == command && (text.isNull() || s.text == text))
            return true;
    return false;
}
