// The simulator's ONVIF cameras seen through clients we did not write: libcurl for SOAP, libavformat for
// RTSP, a plain UDP socket for WS-Discovery (multicast inside a network namespace of the test's own).
#include "SimProcess.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <curl/curl.h>
extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

const char kNamespaceVar[] = "KVAB_ONVIF_IN_NETNS";

struct Reply {
    long status = 0;
    QString body;
};

size_t collect(char* data, size_t size, size_t count, void* out) {
    static_cast<QByteArray*>(out)->append(data, static_cast<int>(size * count));
    return size * count;
}

// A GET, or a SOAP POST of post.
Reply http(const QByteArray& url, const QByteArray* post) {
    Reply reply;
    QByteArray answer;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/soap+xml; charset=utf-8");
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.constData());
    if (post) {
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, post->constData());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(post->size()));
    }
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 5L);
    if (curl_easy_perform(curl.get()) == CURLE_OK)
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(headers);
    reply.body = QString::fromLatin1(answer);
    return reply;
}

// A SOAP request to port; a password of "-" sends no security header at all.
Reply soap(int port, const QString& password, const QString& body) {
    QString header;
    if (password != "-") {
        const QByteArray nonce = QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + "nonce";
        const QByteArray created = QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8();
        const QByteArray digest =
            QCryptographicHash::hash(nonce + created + password.toUtf8(), QCryptographicHash::Sha1)
                .toBase64();
        header =
            QString("<s:Header><Security xmlns=\"http://docs.oasis-open.org/wss/2004/01/"
                    "oasis-200401-wss-wssecurity-secext-1.0.xsd\"><UsernameToken><Username>admin</Username>"
                    "<Password Type=\"http://docs.oasis-open.org/wss/2004/01/"
                    "oasis-200401-wss-username-token-profile-1.0#PasswordDigest\">%1</Password>"
                    "<Nonce>%2</Nonce><Created>%3</Created></UsernameToken></Security></s:Header>")
                .arg(QString(digest), QString(nonce.toBase64()), QString(created));
    }
    const QByteArray envelope = body.startsWith('<')
                                    ? ("<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
                                       "xmlns:tt=\"http://www.onvif.org/ver10/schema\">" +
                                       header + "<s:Body>" + body + "</s:Body></s:Envelope>")
                                          .toUtf8()
                                    : body.toUtf8();
    return http("http://127.0.0.1:" + QByteArray::number(port) + "/onvif/device_service", &envelope);
}

// Sends a Probe to address:port and returns the XAddrs of the matches heard within a second.
QStringList probe(const char* address, int port, const QString& types) {
    const QByteArray message =
        "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\" "
        "xmlns:a=\"http://schemas.xmlsoap.org/"
        "ws/2004/08/addressing\" xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\"><s:Header>"
        "<a:MessageID>uuid:test-probe</a:MessageID></s:Header><s:Body><d:Probe><d:Types>" +
        types.toUtf8() + "</d:Types></d:Probe></s:Body></s:Envelope>";
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<quint16>(port));
    ::inet_pton(AF_INET, address, &to.sin_addr);
    ::sendto(fd, message.constData(), static_cast<size_t>(message.size()), 0,
             reinterpret_cast<sockaddr*>(&to), sizeof to);
    QStringList found;
    static const QRegularExpression xaddrs("<d:XAddrs>([^<]+)</d:XAddrs>.*");
    char buf[65536];
    pollfd p{fd, POLLIN, 0};
    while (::poll(&p, 1, 1000) > 0) {
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        const QString text = QString::fromUtf8(buf, static_cast<int>(std::max<ssize_t>(n, 0)));
        const auto m = xaddrs.match(text);
        if (m.hasMatch() && text.contains("<a:RelatesTo>uuid:test-probe</a:RelatesTo>"))
            found << m.captured(1);
    }
    ::close(fd);
    found.sort();
    return found;
}

const char kProfile[] = "<ProfileToken>Profile_1</ProfileToken>";

// A request body: service is device, media or ptz.
QString call(const QString& service, const QString& action, const QString& inner = QString()) {
    const QString ns = service == "ptz" ? "ver20/ptz" : "ver10/" + service;
    return QString("<%1 xmlns=\"http://www.onvif.org/%2/wsdl\">%3</%1>").arg(action, ns, inner);
}
QString ptz(const QString& action, const QString& inner = QString()) {
    return call("ptz", action, kProfile + inner);
}

// Reads url over RTSP/TCP with libavformat for about seconds, handing each packet with its stream's
// parameters and the seconds since the start to each. False when the URL does not open.
using PacketFn = std::function<void(const AVPacket&, const AVCodecParameters&, double)>;
bool readRtsp(const QString& url, double seconds, const PacketFn& each) {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "rtsp_transport", "tcp", 0);
    av_dict_set(&options, "timeout", "5000000", 0);
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, url.toUtf8().constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened != 0)
        return false;
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> input(&raw, avformat_close_input);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return false;
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                          [](AVPacket* p) { av_packet_free(&p); });
    const auto start = std::chrono::steady_clock::now();
    double elapsed = 0;
    while (elapsed < seconds && av_read_frame(raw, packet.get()) >= 0) {
        elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        each(*packet, *raw->streams[packet->stream_index]->codecpar, elapsed);
        av_packet_unref(packet.get());
    }
    return true;
}

} // namespace

class TestOnvifSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void soapCalls();
    void rtspMedia();
    void stallHoldsMedia();
    void discoveryProbes();
    void multicastInNamespace();

private:
    QString sim(const QString& command) { return m_sim.control(command); }
    QString xaddr(int camera) const {
        return QString("http://127.0.0.1:%1/onvif/device_service").arg(m_http[camera]);
    }
    SimProcess m_sim;
    int m_http[2] = {0, 0};
    int m_discovery = 0;
};

void TestOnvifSim::initTestCase() {
    const bool inNamespace = qEnvironmentVariableIsSet(kNamespaceVar);
    if (inNamespace)
        QVERIFY(QProcess::execute("sh", {"-c", "ip link set lo up multicast on && "
                                               "ip route add 239.255.255.250/32 dev lo"}) == 0);
    QVERIFY(m_sim.start({"--cameras", "onvif:OV-1,onvif-noptz:OV-2", "--onvif-password", "secret",
                         "--discovery-port", inNamespace ? "3702" : "0"}));
    const auto m = QRegularExpression("discovery=(\\d+) OV-1:http=(\\d+):ptz OV-2:http=(\\d+):noptz")
                       .match(sim("onvif list"));
    QVERIFY(m.hasMatch());
    m_discovery = m.captured(1).toInt();
    m_http[0] = m.captured(2).toInt();
    m_http[1] = m.captured(3).toInt();
}

void TestOnvifSim::soapCalls() {
    const QString info = call("device", "GetDeviceInformation"), profiles = call("media", "GetProfiles");
    const struct {
        const char* control;
        int camera;
        const char* password;
        QString body;
        long status;
        const char* expect;
    } cases[] = {
        {"", 0, "secret", info, 200, "<tds:SerialNumber>OV-1<"},
        {"", 0, "123456", info, 400, "ter:NotAuthorized"},
        {"", 1, "-", info, 400, "ter:NotAuthorized"},
        {"", 1, "-", call("device", "GetSystemDateAndTime"), 200, "<tt:UTCDateTime>"},
        {"", 0, "-", "garbage <<", 400, "ter:WellFormed"},
        {"", 0, "secret", "<Reboot/>", 400, "ter:ActionNotSupported"},
        {"", 0, "secret", profiles, 200, "<tt:PTZConfiguration token="},
        {"", 1, "secret", profiles, 200, "(?s)^(?!.*PTZConfiguration).*token=\"Profile_2\""},
        {"", 1, "secret", ptz("Stop"), 500, "ter:PTZNotSupported"},
        {"", 0, "secret", call("media", "GetStreamUri", "<ProfileToken>P9</ProfileToken>"), 400,
         "ter:NoProfile"},
        {"", 0, "secret", ptz("GotoPreset", "<PresetToken>X</PresetToken>"), 400, "ter:NoToken"},
        {"onvif password OV-2 changed", 1, "secret", info, 400, "ter:NotAuthorized"},
        {"", 1, "changed", info, 200, "<tds:SerialNumber>OV-2<"},
        {"onvif password OV-2 secret", 1, "secret", info, 200, "OV-2"},
        // A zoom speed out of range counts as none.
        {"", 0, "secret",
         ptz("ContinuousMove", "<Velocity><tt:PanTilt x=\"0\" y=\"0.5\"/><tt:Zoom x=\"7\"/></Velocity>"), 200,
         "ContinuousMoveResponse"},
        {"", 0, "secret", ptz("Stop"), 200, "StopResponse"},
        {"", 0, "secret", ptz("SetPreset", "<PresetName>door &amp; gate</PresetName>"), 200,
         "<tptz:PresetToken>Preset_1<"},
        {"", 0, "secret", ptz("GotoPreset", "<PresetToken>Preset_1</PresetToken>"), 200,
         "GotoPresetResponse"},
        {"", 0, "secret", ptz("GetPresets"), 200, "token=\"Preset_1\"><tt:Name>door &amp; gate<"},
    };
    for (const auto& c : cases) {
        if (*c.control)
            QCOMPARE(sim(c.control), QString("ok"));
        const Reply reply = soap(m_http[c.camera], c.password, c.body);
        QVERIFY2(reply.status == c.status && reply.body.contains(QRegularExpression(c.expect)),
                 qPrintable(QString::number(reply.status) + " " + c.body + " -> " + reply.body));
    }
    QCOMPARE(sim("onvif ptzlog OV-1"),
             QString("ok ContinuousMove 0 0.5 0;Stop;SetPreset Preset_1;GotoPreset Preset_1"));
}

void TestOnvifSim::rtspMedia() {
    for (int camera : {0, 1}) {
        const int width = camera == 0 ? 1920 : 640;
        const QString token = QString("<ProfileToken>Profile_%1</ProfileToken>").arg(camera + 1);
        const QString body = soap(m_http[camera], "secret", call("media", "GetStreamUri", token)).body;
        const auto uri = QRegularExpression("<tt:Uri>(rtsp://[^<]+)</tt:Uri>").match(body);
        QVERIFY2(uri.hasMatch(), qPrintable(body));
        const QString still = soap(m_http[camera], "secret", call("media", "GetSnapshotUri", token)).body;
        const auto jpeg = QRegularExpression("<tt:Uri>(http://[^<]+)</tt:Uri>").match(still);
        QVERIFY(jpeg.hasMatch() &&
                http(jpeg.captured(1).toUtf8(), nullptr).body.startsWith(QLatin1String("\xff\xd8")));
        int keysWithParameterSets = 0, otherWidth = 0, signChanges = 0, samples = 0, lastSign = -1;
        QVERIFY(readRtsp(uri.captured(1), 5, [&](const AVPacket& p, const AVCodecParameters& par, double) {
            if (par.codec_id == AV_CODEC_ID_H264 && (p.flags & AV_PKT_FLAG_KEY)) {
                otherWidth += par.width != width;
                int seen = 0; // a bit for SPS (NAL 7), PPS (8) after it, IDR slice (5) after both
                for (int i = 0; i + 3 < p.size; ++i)
                    if (p.data[i] == 0 && p.data[i + 1] == 0 && p.data[i + 2] == 1) {
                        const int type = p.data[i + 3] & 0x1f;
                        seen |= type == 7                      ? 1
                                : type == 8 && (seen & 1)      ? 2
                                : type == 5 && (seen & 3) == 3 ? 4
                                                               : 0;
                    }
                keysWithParameterSets += seen == 7;
            } else if (par.codec_id == AV_CODEC_ID_PCM_ALAW && par.sample_rate == 8000) {
                for (int i = 0; i < p.size; ++i, ++samples) {
                    const int sign = (p.data[i] ^ 0x55) & 0x80;
                    signChanges += lastSign >= 0 && sign != lastSign;
                    lastSign = sign;
                }
            }
        }));
        // A key frame every 2 s; a 1 kHz tone crosses zero 2000 times a second.
        QVERIFY2(keysWithParameterSets >= 2 && otherWidth == 0,
                 qPrintable(QString::number(keysWithParameterSets)));
        const double crossings = signChanges * 8000.0 / std::max(samples, 1);
        QVERIFY2(samples > 8000 * 4 && crossings > 1800 && crossings < 2200,
                 qPrintable(QString("%1 samples, %2 crossings a second").arg(samples).arg(crossings)));
    }
}

void TestOnvifSim::stallHoldsMedia() {
    const QString url =
        sim("onvif list").section(' ', 1, 1).replace("rtsp=", "rtsp://127.0.0.1:") + "/OV-2/sub";
    QString stallAnswer;
    std::thread resume;
    double gap = 0, last = 0;
    QVERIFY(readRtsp(url, 6, [&](const AVPacket&, const AVCodecParameters&, double now) {
        gap = std::max(gap, now - last);
        last = now;
        if (now > 1 && stallAnswer.isEmpty()) {
            stallAnswer = sim("onvif stall OV-2 on");
            resume = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2000));
                m_sim.control("onvif stall OV-2 off");
            });
        }
    }));
    if (resume.joinable())
        resume.join();
    QCOMPARE(stallAnswer, QString("ok"));
    // Nothing for the two seconds of the stall, then media again to the end.
    QVERIFY2(gap > 1.5 && gap < 3 && last > 5.5, qPrintable(QString("gap %1 last %2").arg(gap).arg(last)));
}

void TestOnvifSim::discoveryProbes() {
    const struct {
        const char* control;
        const char* types;
        int matches; // OV-1 and OV-2, or OV-1 alone, or none
    } cases[] = {
        {"", "", 2},          {"", "dn:NetworkVideoTransmitter", 2}, {"", "tds:Device", 2},
        {"", "p:Printer", 0}, {"onvif vanish OV-2 on", "", 1},       {"onvif vanish OV-2 off", "", 2}};
    for (const auto& c : cases) {
        if (*c.control)
            QCOMPARE(sim(c.control), QString("ok"));
        QStringList expected = QStringList{xaddr(0), xaddr(1)}.mid(0, c.matches);
        expected.sort();
        QCOMPARE(probe("127.0.0.1", m_discovery, c.types), expected);
    }
}

void TestOnvifSim::multicastInNamespace() {
    if (qEnvironmentVariableIsSet(kNamespaceVar)) {
        QStringList both{xaddr(0), xaddr(1)};
        both.sort();
        QCOMPARE(probe("239.255.255.250", 3702, "dn:NetworkVideoTransmitter"), both);
        return;
    }
    if (::geteuid() != 0 || QProcess::execute("unshare", {"-n", "true"}) != 0)
        QSKIP("a network namespace needs root and unshare");
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(kNamespaceVar, "1");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start("unshare", {"-n", QCoreApplication::applicationFilePath(), "multicastInNamespace"});
    QVERIFY(child.waitForFinished(60000));
    QCOMPARE(child.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestOnvifSim)
#include "test_onvif_sim.moc"
