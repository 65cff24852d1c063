#include "CallbackLog.h"

#include <chrono>

namespace {

template <typename List, typename Item> void add(List& list, Item item, bool noteThread = false) {
    std::lock_guard<std::mutex> lock(L().mutex);
    list.append(std::move(item));
    if (noteThread)
        L().threads.append(std::this_thread::get_id());
    L().cv.notify_all();
}
QByteArray bytes(const void* data, int length) {
    return length > 0 ? QByteArray(static_cast<const char*>(data), length) : QByteArray();
}

void onLan(void*, const char* id, const char* flag, int nxid, int, int, const char* audio) {
    std::lock_guard<std::mutex> lock(L().mutex);
    L().handles[QString::fromUtf8(id)] = nxid;
    L().lan.append({QString::fromUtf8(id), QString::fromUtf8(flag), QString::fromUtf8(audio), nxid});
    L().threads.append(std::this_thread::get_id());
    L().cv.notify_all();
}
void onSystem(void*, int cmd, const char* text, int) {
    add(L().system, CallbackLog::System{cmd, QString::fromUtf8(text)}, true);
}
void onVideo(void*, const nxVideoFrame* f) {
    std::lock_guard<std::mutex> lock(L().mutex);
    if (L().video.size() < 3000)
        L().video.append({QString::fromUtf8(f->callId), bytes(f->data, f->length)});
    L().cv.notify_all();
}
void onAudio(void*, int, const unsigned char* data, int length) {
    add(L().audio, bytes(data, length));
}
void onAlarm(void*, int cmd, const char* text, int flag, int) {
    add(L().alarms, CallbackLog::Alarm{cmd, flag, QString::fromUtf8(text)});
}
void onSdFile(void*, int, const char* entry, int last) {
    add(L().sdFiles, qMakePair(QString::fromUtf8(entry), last));
}
void onSdData(void*, int, const unsigned char* data, int length, short, short, short, short) {
    add(L().sdData, CallbackLog::SdData{bytes(data, length), length});
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
    sdFiles.clear();
    sdData.clear();
    threads.clear();
}

bool CallbackLog::waitFor(const std::function<bool()>& done, int ms) {
    std::unique_lock<std::mutex> lock(mutex);
    return cv.wait_for(lock, std::chrono::milliseconds(ms), done);
}

int CallbackLog::nxid(const char* id) {
    std::lock_guard<std::mutex> lock(mutex);
    return handles.value(QString::fromUtf8(id), 0);
}

bool CallbackLog::hasSystem(int command, const QString& text) {
    for (const auto& s : system)
        if (s.command == command && (text.isNull() || s.text == text))
            return true;
    return false;
}
