// The SDK test double: exact call records, chosen results and replies, callbacks fired on demand.
#include "FakeSdk.h"

#include <QtTest>

#include <atomic>
#include <cstring>

namespace {
struct Seen {
    std::atomic<int> system{0};
    int lastCommand = 0, lastLength = 0, nxid = 0, sdLength = 0;
    std::thread::id thread;
    std::string lanId, video;
};
Seen g;
void onSystem(void* ctx, int cmd, const char*, int len) {
    auto* s = static_cast<Seen*>(ctx);
    s->lastCommand = cmd;
    s->lastLength = len;
    s->thread = std::this_thread::get_id();
    ++s->system;
}
void onLan(void* ctx, const char* id, const char*, int nxid, int, int, const char*) {
    static_cast<Seen*>(ctx)->lanId = id ? id : "<null>";
    static_cast<Seen*>(ctx)->nxid = nxid;
}
void onVideo(void* ctx, const nxVideoFrame* f) {
    static_cast<Seen*>(ctx)->video = std::string(f->callId) + ":" + std::to_string(f->length);
}
void onSdData(void* ctx, int, const unsigned char*, int length, short, short, short, short) {
    static_cast<Seen*>(ctx)->sdLength = length;
}
} // namespace

class TestFakeSdk : public QObject {
    Q_OBJECT
private slots:
    void init() { FakeSdk::reset(); }
    void recordsCallsWithArguments();
    void resultsAndReplies();
    void firesCallbacks();
    void threadSafeRecording();
};

void TestFakeSdk::recordsCallsWithArguments() {
    char callId[PCQ_CALL_ID_SIZE];
    const unsigned char block[320] = {1, 2, 3};
    QVERIFY(vmoLANCalling(1, 0, callId, 4097, "IPC-Q1", 0) == 0 &&
            vmoSetLANInfo("00:11", 4097, 110, 0, 0) == 0);
    QVERIFY(vmoGetDevStatus_EX("devid0=a;devid1=b;", 2) == 0 && nx_AudioData(block, 320, 0) == 0);
    QCOMPARE(vmoLogin_EX("tarnveil", "tarnveil", nullptr, 9000), 0);
    QCOMPARE(FakeSdk::callNames(),
             (std::vector<std::string>{"vmoLANCalling", "vmoSetLANInfo", "vmoGetDevStatus_EX", "nx_AudioData",
                                       "vmoLogin_EX"}));
    const auto calls = FakeSdk::calls();
    QCOMPARE(calls[0].args, (std::vector<std::string>{"1", "0", "<out>", "4097", "IPC-Q1", "0"}));
    QCOMPARE(calls[1].args, (std::vector<std::string>{"00:11", "4097", "110", "0", "0"}));
    QCOMPARE(calls[2].args[0], std::string("devid0=a;devid1=b;"));
    QVERIFY(calls[3].data.size() == 320 && calls[3].data[2] == '\3');
    QCOMPARE(calls[4].args[2], std::string("<null>"));
    QCOMPARE(FakeSdk::count("vmoSetLANInfo"), 1);
    FakeSdk::reset();
    QVERIFY(FakeSdk::calls().empty());
}

void TestFakeSdk::resultsAndReplies() {
    FakeSdk::setResult("vmoCheckAccessPwd", 1);
    QCOMPARE(vmoCheckAccessPwd("a", "b"), 1);
    FakeSdk::queueResults("vmoLANCalling", {-1, 5});
    FakeSdk::setResult("vmoLANCalling", 0);
    char callId[PCQ_CALL_ID_SIZE];
    std::memset(callId, 0, sizeof callId);
    QVERIFY(vmoLANCalling(1, 1, callId, 1, "", 0) == -1 &&
            callId[0] == '\0'); // failure leaves the buffer alone
    QCOMPARE(vmoLANCalling(1, 1, callId, 1, "", 0), 5);
    QCOMPARE(QByteArray(callId), QByteArray("fake-call-1"));
    QCOMPARE(vmoLANCalling(1, 1, callId, 1, "", 0), 0);
    // Replies longer than the buffer are cut and NUL-terminated.
    FakeSdk::setReply("vmoWANCalling", std::string(200, 'c'));
    std::memset(callId, 'z', sizeof callId);
    QVERIFY(vmoWANCalling(1, 0, callId, "X", "", 0) == 0 && std::strlen(callId) == PCQ_CALL_ID_SIZE - 1);
    std::vector<char> record(PCQ_RECORD_SIZE + 16, 'r');
    FakeSdk::setReply("GetLanSysInfo", std::string(5000, 'x'));
    FakeSdk::setReply("GetLanSysInfo:209", "onvif=1;onvifaudio=0;");
    QCOMPARE(GetLanSysInfo(record.data(), 203, "X"), 0);
    QCOMPARE(std::strlen(record.data()), std::size_t(PCQ_RECORD_SIZE - 1));
    QCOMPARE(record[PCQ_RECORD_SIZE], 'r'); // nothing past the 1024 bytes
    QCOMPARE(GetLanSysInfo(record.data(), 209, "X"), 0);
    QCOMPARE(QByteArray(record.data()), QByteArray("onvif=1;onvifaudio=0;"));
    char md5[PCQ_MD5_SIZE];
    QCOMPARE(vmoConversionMD5("123456", md5), 0);
    QCOMPARE(QByteArray(md5), QByteArray("e10adc3949ba59abbe56e057f20f883e"));
}

void TestFakeSdk::firesCallbacks() {
    QVERIFY(!FakeSdk::fireSystem(0, "")); // nothing registered
    vmoInitModel(&g, onSystem);
    nx_InitLAN(&g, onLan);
    nx_InitVideo(&g, onVideo);
    nx_InitSdData(&g, onSdData);
    QCOMPARE(FakeSdk::context("vmoInitModel"), static_cast<void*>(&g));
    QVERIFY(FakeSdk::fireSystem(119, "devid=a;pwd=b;"));
    QVERIFY(g.lastCommand == 119 && g.lastLength == 14);
    QVERIFY(g.thread != std::this_thread::get_id()); // default: another thread
    QCOMPARE(FakeSdk::lastCallbackThread(), g.thread);
    QVERIFY(FakeSdk::fireSystem(101, "1", FakeSdk::On::Caller) && g.thread == std::this_thread::get_id());
    QVERIFY(FakeSdk::fireLanRaw(nullptr, nullptr, 7, nullptr) && g.lanId == "<null>");
    QVERIFY(FakeSdk::fireLan("KV-1", "IPC", 4097, "G711") && g.nxid == 4097);
    QVERIFY(FakeSdk::fireVideo("call-9", std::string("\0\0\0\1\x67", 5)) && g.video == "call-9:5");
    QVERIFY(FakeSdk::fireSdData(3, "", PCQ_SD_END_OF_FILE, 4, 1, 0, 0) && g.sdLength == -110);
    // Null arguments remove the registration; firing then does nothing.
    vmoInitModel(nullptr, nullptr);
    const int before = g.system;
    QVERIFY(!FakeSdk::fireSystem(0, "") && g.system == before);
    QVERIFY(!FakeSdk::fireWifi("sid=a;signal=1", 14) && !FakeSdk::fireAlarm(107, "a", 0, 0));
}

void TestFakeSdk::threadSafeRecording() {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 500; ++i)
                vmoSetWANInfo("X", t, i, 0);
        });
    for (auto& t : threads)
        t.join();
    const auto calls = FakeSdk::calls("vmoSetWANInfo");
    QCOMPARE(calls.size(), std::size_t(2000));
    std::map<std::string, int> next;
    for (const auto& c : calls) // each thread's calls stay in its order
        QCOMPARE(std::stoi(c.args[2]), next[c.args[1]]++);
}

QTEST_GUILESS_MAIN(TestFakeSdk)
#include "test_fake_sdk.moc"
