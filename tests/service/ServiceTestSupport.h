#pragma once

// The service tests' view of the process log, the alarm log and the SDK test double.
#include "../liveview/LogLines.h"
#include "FakeSdk.h"
#include "NxAlarmLog.h"
#include "NxDataCenter.h"
#include "TvDefaultSettings.h"
#include "VeCameraModel.h"

#include <QList>
#include <QPair>
#include <QStringList>
#include <QtTest>
#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <utility>
#include <vector>

// Records alarm log events instead of writing a database.
class RecordingAlarmLog : public NxAlarmLog {
public:
    void insertAlarm(const QString& devID, int type) override {
        std::lock_guard<std::mutex> locker(m_mutex);
        m_events.append(qMakePair(devID, type));
    }
    QList<QPair<QString, int>> takeEvents() {
        std::lock_guard<std::mutex> locker(m_mutex);
        return std::exchange(m_events, {});
    }

private:
    std::mutex m_mutex;
    QList<QPair<QString, int>> m_events;
};

// Unlike the fake's reset, keeps the registrations (made once per process): moves the call log's start and
// restores changed results and replies. Test thread only; callbacks fire on the calling thread.
struct Sdk {
    struct State {
        size_t mark = 0;
        std::set<std::string> results, replies;
    };
    static State& state() {
        static State s;
        return s;
    }
    static bool isInit(const std::string& name) {
        return name.rfind("Init", 0) == 0 || name.rfind("nx_Init", 0) == 0 || name == "vmoInitModel";
    }
    static void reset() {
        state().mark = FakeSdk::calls().size();
        for (const std::string& name : std::exchange(state().results, {}))
            FakeSdk::setResult(name, 0);
        for (const std::string& name : std::exchange(state().replies, {}))
            FakeSdk::setReply(name, "");
        setCallId("call-1");
    }
    // The calls since the last reset as "name(arg, ...)", out buffers left out; only `names` when given.
    static QStringList calls(const QStringList& names = {}) {
        const std::vector<FakeSdk::Call> all = FakeSdk::calls();
        QStringList out;
        for (size_t i = state().mark; i < all.size(); ++i) {
            const QString name = QString::fromStdString(all[i].name);
            if (isInit(all[i].name) || (!names.isEmpty() && !names.contains(name)))
                continue;
            QStringList args;
            for (const std::string& a : all[i].args)
                if (a != "<out>")
                    args << QString::fromStdString(a);
            out << name + '(' + args.join(QStringLiteral(", ")) + ')';
        }
        return out;
    }
    static int count(const QString& name) { return calls({name}).size(); }
    static void setResult(const std::string& name, int result) {
        state().results.insert(name);
        FakeSdk::setResult(name, result);
    }
    static void setReply(int selector, const std::string& text) { // GetLanSysInfo
        state().replies.insert("GetLanSysInfo:" + std::to_string(selector));
        FakeSdk::setReply("GetLanSysInfo:" + std::to_string(selector), text);
    }
    static void setCallId(const std::string& identity) { // written by vmoLANCalling/vmoWANCalling
        FakeSdk::setReply("vmoLANCalling", identity);
        FakeSdk::setReply("vmoWANCalling", identity);
    }

    static constexpr FakeSdk::On kHere = FakeSdk::On::Caller;
    static void fireSystem(int command, const QByteArray& text) {
        FakeSdk::fireSystem(command, text.toStdString(), kHere);
    }
    static void fireLan(const char* id, const char* flag, int nxid, const char* audio) {
        FakeSdk::fireLanRaw(id, flag, nxid, audio, kHere);
    }
    static void fireAlarm(int command, const QByteArray& text, int flag, int value) {
        FakeSdk::fireAlarm(command, text.toStdString(), flag, value, kHere);
    }
    static void fireWifi(const std::string& text, int length) { FakeSdk::fireWifi(text, length, kHere); }
    static void fireVideo(const std::string& id, const std::string& data) {
        FakeSdk::fireVideo(id, data, kHere);
    }
    static void fireAudio(const std::string& data) { FakeSdk::fireAudio(data, kHere); }
};

// A cloud record the way the saved list holds it: no handle until synced.
inline std::unique_ptr<VeCameraModel> cloudRecord(const QString& id, const QString& flag = QString()) {
    return std::make_unique<VeCameraModel>(id, id, flag, QStringLiteral("G711"), 0, 0, QString(), QString());
}

// One text field of each record in the saved list, in its order.
inline QStringList savedField(QString VeCameraModel::*field) {
    QStringList out;
    for (VeCameraModel* saved : TvDefaultSettings::instance()->loadDeviceInfo()) {
        out << saved->*field;
        delete saved;
    }
    return out;
}

// The centers over the saved list a, c, b, with the waits short: the answer wait (20 s) takes 200 ms,
// the survey's half of it 100 ms.
inline NxDataCenter* startCenters() {
    qputenv("KVAB_SDK_TIMEOUT_MS", "100");
    qputenv("KVAB_SDK_ANSWER_WAIT_MS", "200");
    auto a = cloudRecord("a"), c = cloudRecord("c"), b = cloudRecord("b");
    TvDefaultSettings::instance()->saveDeviceInfo({a.get(), c.get(), b.get()});
    return NxDataCenter::instance();
}

// SDK callbacks from several threads while the GUI thread works the tables (test_threads.cpp).
void raceCallbacksAgainstTheGuiThread(NxDataCenter* center);

// Lets the service's worker finish what earlier steps gave it, then starts a new call log.
inline void drainAndReset(NxDataCenter* center) {
    std::atomic<bool> drained{false};
    center->runInBackground([&drained] { drained = true; });
    QTRY_VERIFY(drained);
    Sdk::reset();
}
