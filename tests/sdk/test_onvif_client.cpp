// The library's ONVIF backend against the simulator's ONVIF cameras: WS-Discovery on multicast, signed
// SOAP, RTSP from GStreamer's server. Multicast needs a network of its own: run as root, the test starts
// itself again inside a new network namespace with multicast on its loopback interface.
#include "CallbackLog.h"
#include "PrivateNetwork.h"
#include "SimProcess.h"
#include "TestDecoder.h"
#include "pcQuorvane.h"

#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace {

// A rogue on the discovery group: it answers every Probe with datagrams a camera must not send. The
// library logs and ignores them; the real cameras are found as before.
class RogueResponder {
public:
    RogueResponder() : m_fd(::socket(AF_INET, SOCK_DGRAM, 0)) {
        const int one = 1;
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(3702);
        ip_mreq group{};
        ::inet_pton(AF_INET, "239.255.255.250", &group.imr_multiaddr);
        group.imr_interface.s_addr = htonl(INADDR_LOOPBACK);
        ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
            ::setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group) == 0)
            m_thread = std::thread([this] { run(); });
    }
    ~RogueResponder() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        ::close(m_fd);
    }
    bool listening() const { return m_thread.joinable(); }

private:
    void run() {
        char buf[65536];
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t n = sizeof from;
            const ssize_t got = ::recvfrom(m_fd, buf, sizeof buf, 0, reinterpret_cast<sockaddr*>(&from), &n);
            const QByteArray probe(buf, got > 0 ? int(got) : 0);
            const int at = probe.indexOf("urn:uuid:");
            if (!probe.contains("Probe>") || at < 0)
                continue;
            const QString id = QString::fromLatin1(probe.mid(at, probe.indexOf('<', at) - at));
            const auto match = [](const QString& relates, const QString& address, const QString& xaddr) {
                return QString(
                           "<?xml version=\"1.0\"?><e:Envelope "
                           "xmlns:e=\"http://www.w3.org/2003/05/soap-envelope\">"
                           "<e:Header><RelatesTo>%1</RelatesTo></e:Header><e:Body><ProbeMatches><ProbeMatch>"
                           "<EndpointReference><Address>%2</Address></EndpointReference><XAddrs>%3</XAddrs>"
                           "</ProbeMatch></ProbeMatches></e:Body></e:Envelope>")
                    .arg(relates, address, xaddr)
                    .toUtf8();
            };
            const QString http = "http://127.0.0.1:9/onvif/device_service";
            const QList<QByteArray> answers = {
                "not xml at all",
                match(id, "urn:uuid:rogue-1", http).left(120),             // cut short
                match(id, "urn:uuid:bad;id", http),                        // breaks the records
                match(id, "urn:uuid:rogue-2", "ftp://127.0.0.1/"),         // no HTTP address
                match("urn:uuid:another-probe", "urn:uuid:rogue-3", http), // answers another probe
                match(id, "urn:uuid:" + QString(80, 'x'), http)};          // too long
            for (const QByteArray& a : answers)
                ::sendto(m_fd, a.constData(), size_t(a.size()), 0, reinterpret_cast<sockaddr*>(&from), n);
        }
    }

    int m_fd;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// Frames and key frames (SPS first) of a call; the caller holds the log's lock.
int countLocked(const QString& callId, bool keysOnly = false) {
    int n = 0;
    for (const auto& v : L().video)
        if (v.callId == callId && (!keysOnly || (v.data.size() > 5 && (v.data[4] & 0x1F) == 7)))
            ++n;
    return n;
}

int framesOf(const QString& callId) {
    std::lock_guard<std::mutex> lock(L().mutex);
    return countLocked(callId);
}

// Waits for key frames of the call and decodes its frames: "WxH"; empty without them, else the counts.
QString pictureSize(const QString& callId, int keyFrames) {
    if (!L().waitFor([&] { return countLocked(callId, true) >= keyFrames; }, 12000))
        return QString();
    TestDecoder decoder;
    std::lock_guard<std::mutex> lock(L().mutex);
    for (const auto& v : L().video)
        if (v.callId == callId)
            decoder.decode(v.data);
    return decoder.pictures > 0 && decoder.errors == 0
               ? QString("%1x%2").arg(decoder.width).arg(decoder.height)
               : QString("%1 pictures, %2 errors").arg(decoder.pictures).arg(decoder.errors);
}

} // namespace

class TestOnvifClient : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void discoveryAndCredentials();
    void mainAndSubStreamAndSound();
    void ptzAndPresets();
    void stalledStreamComesBack();
    void vanishedCameraIsGone();
    void cleanupTestCase() { m_sim.kill(); }

private:
    // Searches and waits until exactly the cameras named answer; handles by name.
    bool search(const QStringList& names, int ms = 5000);
    // Opens a call: its identity, or the error.
    QString open(int kind, int stream, const char* camera) {
        char id[PCQ_CALL_ID_SIZE] = {};
        const int rc = vmoLANCalling(kind, stream, id, m_handle.value(camera), "ONVIF", 0);
        return rc == 0 ? QString::fromLatin1(id) : QString::number(rc);
    }
    bool sim(const QString& command) { return m_sim.control(command).startsWith("ok"); }

    SimProcess m_sim;
    QMap<QString, int> m_handle; // simulated camera name -> handle
    QMap<QString, QString> m_id; // name -> device id (the endpoint's uuid)
};

void TestOnvifClient::initTestCase() {
    if (!inPrivateNetwork())
        QSKIP("multicast discovery needs a private network namespace: run as root (unshare -n)");
    QVERIFY(m_sim.start({"--cameras", "lan:KV-LAN-01,onvif:CAM-A,onvif-noptz:CAM-B"}));
    L().registerAll();
}

bool TestOnvifClient::search(const QStringList& names, int ms) {
    L().clear();
    if (nx_LanRefresh() != 0)
        return false;
    QThread::msleep(static_cast<unsigned long>(ms) / 2); // the probe's window, then every answer is in
    std::lock_guard<std::mutex> lock(L().mutex);
    QStringList found;
    m_handle.clear();
    for (const auto& r : L().lan) {
        if (r.flag.startsWith("ONVIF")) {
            found << r.flag.mid(6);
            m_handle[found.last()] = r.nxid;
            m_id[found.last()] = r.id;
        }
    }
    found.sort();
    if (found != names)
        qWarning() << "found" << found << "wanted" << names;
    return found == names;
}

void TestOnvifClient::discoveryAndCredentials() {
    {
        RogueResponder rogue;
        QVERIFY(rogue.listening() && search({"CAM-A", "CAM-B"}));
    }
    // Both kinds side by side: ours keeps its small handle, the standard cameras theirs.
    QVERIFY(L().nxid("KV-LAN-01") > 0 && L().nxid("KV-LAN-01") < 0x40000000);
    QVERIFY(m_handle["CAM-A"] >= 0x40000000 && m_handle["CAM-B"] > m_handle["CAM-A"]);

    // No password yet, then a wrong one: refused like a wrong access password, nothing crashes.
    QCOMPARE(open(PCQ_CALL_VIDEO, PCQ_STREAM_MAIN, "CAM-A"), QString::number(PCQ_ERR_FAILED));
    const std::tuple<const char*, const char*, const char*> cases[] = {{"CAM-A", "admin:wrong", "0"},
                                                                       {"CAM-A", "intruder:123456", "0"},
                                                                       {"CAM-A", "admin:123456", "1"},
                                                                       {"CAM-B", "123456", "1"}};
    for (const auto& [camera, credentials, answer] : cases) {
        L().clear();
        QCOMPARE(DoSetAccessPswd_EX(4, m_id[camera].toUtf8().constData(), credentials, 3, 0), 0);
        QVERIFY2(L().waitSystem(115, answer, 5000), credentials);
    }
    QCOMPARE(DoSetAccessPswd_EX(4, m_id["CAM-A"].toUtf8().constData(), ":123456", 3, 0), PCQ_ERR_ARGUMENT);
}

void TestOnvifClient::mainAndSubStreamAndSound() {
    const std::tuple<int, const char*, const char*> cases[] = {{PCQ_STREAM_MAIN, "1920x1080", "tcp"},
                                                               {PCQ_STREAM_SUB, "640x360", "udp"}};
    for (const auto& [stream, size, transport] : cases) {
        qputenv("KVAB_ONVIF_TRANSPORT", transport);
        L().clear();
        const QString call = open(PCQ_CALL_VIDEO, stream, "CAM-A");
        QVERIFY2(call.startsWith("onvif-"), qPrintable(call));
        QCOMPARE(pictureSize(call, 2), QString(size)); // two key frames: parameter sets before each
        QCOMPARE(vmoLANCloseCall(call.toLatin1().constData()), 0);
        QCOMPARE(vmoLANCloseCall(call.toLatin1().constData()), PCQ_ERR_FAILED);
    }
    qunsetenv("KVAB_ONVIF_TRANSPORT");
    // Listening: A-law blocks of a tone, not silence (A-law silence is 0xD5/0x55).
    L().clear();
    const QString listen = open(PCQ_CALL_LISTEN, 0, "CAM-B");
    QVERIFY(L().waitFor(
        [] {
            const QByteArray block = L().audio.value(24);
            return L().video.isEmpty() && block.count('\xD5') + block.count('\x55') < block.size() / 2;
        },
        5000));
    QCOMPARE(vmoLANCloseCall(listen.toLatin1().constData()), 0);
    QCOMPARE(open(PCQ_CALL_TALK, 0, "CAM-B"), QString::number(PCQ_ERR_FAILED)); // no back channel
}

void TestOnvifClient::ptzAndPresets() {
    // Camera, selector, value, result, and the simulator's record of PTZ calls afterwards (null: unchanged).
    const std::tuple<const char*, int, int, int, const char*> cases[] = {
        {"CAM-A", PCQ_SEL_ZOOM_OUT, 0, 0, "ContinuousMove 0 0 -0.5"},
        {"CAM-A", PCQ_SEL_PTZ_STOP, 0, 0, "ContinuousMove 0 0 -0.5;Stop"},
        {"CAM-A", PCQ_SEL_PRESET_GO, 3, PCQ_ERR_FAILED, nullptr}, // never set
        {"CAM-A", PCQ_SEL_PRESET_SET, 9, PCQ_ERR_ARGUMENT, nullptr},
        {"CAM-A", PCQ_SEL_FLIP, 0, PCQ_ERR_FAILED, nullptr},
        {"CAM-B", PCQ_SEL_PRESET_SET, 1, PCQ_ERR_FAILED, nullptr}, // no PTZ
    };
    QVERIFY(sim("onvif ptzlog CAM-A clear"));
    for (const auto& [camera, selector, value, result, log] : cases) {
        QCOMPARE(vmoSetLANInfo("", m_handle[camera], selector, value, 0), result);
        if (log)
            QCOMPARE(m_sim.control("onvif ptzlog CAM-A"), QString("ok ") + log);
    }
}

void TestOnvifClient::stalledStreamComesBack() {
    L().clear();
    const QString call = open(PCQ_CALL_VIDEO, PCQ_STREAM_SUB, "CAM-A");
    QVERIFY(L().waitFor([&] { return countLocked(call) >= 10; }, 8000));
    QVERIFY(sim("onvif stall CAM-A on"));
    QThread::msleep(1000);
    const int before = framesOf(call);
    QThread::msleep(6500); // past the stall limit: the reader has closed and opened again
    QVERIFY(framesOf(call) - before < 3);
    QVERIFY(sim("onvif stall CAM-A off"));
    QVERIFY(L().waitFor([&] { return countLocked(call) - before >= 25; }, 12000));
    QCOMPARE(vmoLANCloseCall(call.toLatin1().constData()), 0);
}

void TestOnvifClient::vanishedCameraIsGone() {
    const int old = m_handle["CAM-B"];
    QVERIFY(sim("onvif vanish CAM-B on") && search({"CAM-A"}));
    QCOMPARE(vmoSetLANInfo("", old, PCQ_SEL_PTZ_STOP, 0, 0), PCQ_ERR_FAILED); // its handle is retired
    QVERIFY(sim("onvif vanish CAM-B off") && search({"CAM-A", "CAM-B"}));
    L().clear(); // back under a new handle, with the credentials it had
    QVERIFY(m_handle["CAM-B"] != old);
    QCOMPARE(DoSetAccessPswd_EX(4, m_id["CAM-B"].toUtf8().constData(), "123456", 3, 0), 0);
    QVERIFY(L().waitSystem(115, "1", 5000));
}

int main(int argc, char** argv) {
    enterPrivateNetwork(argc, argv);
    QCoreApplication app(argc, argv);
    TestOnvifClient test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_onvif_client.moc"
