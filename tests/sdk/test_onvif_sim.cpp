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
    Reply reply;
    QByteArray answer;
    std::unique_ptr<CURL, void (*)(CURL*)> curl(curl_easy_init(), curl_easy_cleanup);
    const QByteArray url = "http://127.0.0.1:" + QByteArray::number(port) + "/onvif/device_service";
    curl_slist* headers = curl_slist_append(nullptr, "Content-Type: application/soap+xml; charset=utf-8");
    curl_easy_setopt(curl.get(), CURLOPT_URL, url.constData());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, envelope.constData());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(envelope.size()));
    curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &collect);
    curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &answer);
    curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 5L);
    if (curl_easy_perform(curl.get()) == CURLE_OK)
        curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
    curl_slist_free_all(headers);
    reply.body = QString::fromUtf8(answer);
    return reply;
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

const char kProfile[] =
    "<ProfileToken xmlns=\"http://www.onvif.org/ver20/ptz/wsdl\">Profile_1</ProfileToken>";

} // namespace

class TestOnvifSim : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void soapCalls_data();
    void soapCalls();
    void ptzCallsRecorded();
    void rtspMedia_data();
    void rtspMedia();
    void stallHoldsMedia();
    void discoveryProbes_data();
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

void TestOnvifSim::soapCalls_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("camera");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("body");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("expect");
    const QString info = "<GetDeviceInformation xmlns=\"http://www.onvif.org/ver10/device/wsdl\"/>";
    const QString profiles = "<GetProfiles xmlns=\"http://www.onvif.org/ver10/media/wsdl\"/>";
    QTest::newRow("right digest") << "" << 0 << "secret" << info << 200 << "<tds:SerialNumber>OV-1<";
    QTest::newRow("wrong digest") << "" << 0 << "123456" << info << 400 << "ter:NotAuthorized";
    QTest::newRow("no credentials") << "" << 1 << "-" << info << 400 << "ter:NotAuthorized";
    QTest::newRow("clock without credentials")
        << "" << 1 << "-"
        << "<GetSystemDateAndTime xmlns=\"http://www.onvif.org/ver10/device/wsdl\"/>" << 200
        << "<tt:UTCDateTime>";
    QTest::newRow("not xml") << "" << 0 << "-"
                             << "garbage <<" << 400 << "ter:WellFormed";
    QTest::newRow("unknown action") << "" << 0 << "secret"
                                    << "<Reboot/>" << 400 << "ter:ActionNotSupported";
    QTest::newRow("ptz profile") << "" << 0 << "secret" << profiles << 200 << "<tt:PTZConfiguration token=";
    QTest::newRow("profiles without ptz")
        << "" << 1 << "secret" << profiles << 200 << "(?s)^(?!.*PTZConfiguration).*token=\"Profile_2\"";
    QTest::newRow("ptz on a camera without")
        << "" << 1 << "secret"
        << QString("<Stop xmlns=\"http://www.onvif.org/ver20/ptz/wsdl\">%1</Stop>").arg(kProfile) << 500
        << "ter:PTZNotSupported";
    QTest::newRow("unknown profile")
        << "" << 0 << "secret"
        << "<GetStreamUri xmlns=\"http://www.onvif.org/ver10/media/wsdl\"><ProfileToken>P9</ProfileToken>"
           "</GetStreamUri>"
        << 400 << "ter:NoProfile";
    QTest::newRow("unknown preset")
        << "" << 0 << "secret"
        << QString("<GotoPreset xmlns=\"http://www.onvif.org/ver20/ptz/wsdl\">%1<PresetToken>X</PresetToken>"
                   "</GotoPreset>")
               .arg(kProfile)
        << 400 << "ter:NoToken";
    QTest::newRow("old password after change")
        << "onvif password OV-2 changed" << 1 << "secret" << info << 400 << "ter:NotAuthorized";
    QTest::newRow("new password") << "" << 1 << "changed" << info << 200 << "<tds:SerialNumber>OV-2<";
    QTest::newRow("back") << "onvif password OV-2 secret" << 1 << "secret" << info << 200 << "OV-2";
}

void TestOnvifSim::soapCalls() {
    QFETCH(QString, control);
    QFETCH(int, camera);
    QFETCH(QString, password);
    QFETCH(QString, body);
    QFETCH(int, status);
    QFETCH(QString, expect);
    if (!control.isEmpty())
        QCOMPARE(sim(control), QString("ok"));
    const Reply reply = soap(m_http[camera], password, body);
    QCOMPARE(reply.status, static_cast<long>(status));
    QVERIFY2(reply.body.contains(QRegularExpression(expect)), qPrintable(reply.body));
}

void TestOnvifSim::ptzCallsRecorded() {
    const QString ptz = "<%1 xmlns=\"http://www.onvif.org/ver20/ptz/wsdl\">%2%3</%1>";
    sim("onvif ptzlog OV-1 clear");
    const QString moves[][2] = {
        {"ContinuousMove", "<Velocity><tt:PanTilt x=\"0\" y=\"0.5\"/><tt:Zoom x=\"7\"/></Velocity>"},
        {"Stop", ""},
        {"SetPreset", "<PresetName>door &amp; gate</PresetName>"},
        {"GotoPreset", "<PresetToken>Preset_1</PresetToken>"}};
    for (const auto& m : moves)
        QCOMPARE(soap(m_http[0], "secret", ptz.arg(m[0], kProfile, m[1])).status, 200L);
    // A zoom speed out of range counts as none.
    QCOMPARE(sim("onvif ptzlog OV-1"),
             QString("ok ContinuousMove 0 0.5 0;Stop;SetPreset Preset_1;GotoPreset Preset_1"));
    QVERIFY(soap(m_http[0], "secret", ptz.arg("GetPresets", kProfile, "")).body.contains("door &amp; gate"));
}

void TestOnvifSim::rtspMedia_data() {
    QTest::addColumn<int>("camera");
    QTest::addColumn<QString>("profile");
    QTest::addColumn<int>("width");
    QTest::newRow("main") << 0 << "Profile_1" << 1920;
    QTest::newRow("sub") << 1 << "Profile_2" << 640;
}

void TestOnvifSim::rtspMedia() {
    QFETCH(int, camera);
    QFETCH(QString, profile);
    QFETCH(int, width);
    const Reply uri = soap(m_http[camera], "secret",
                           "<GetStreamUri xmlns=\"http://www.onvif.org/ver10/media/wsdl\"><ProfileToken>" +
                               profile + "</ProfileToken></GetStreamUri>");
    const auto m = QRegularExpression("<tt:Uri>(rtsp://[^<]+)</tt:Uri>").match(uri.body);
    QVERIFY2(m.hasMatch(), qPrintable(uri.body));
    AVDictionary* options = nullptr;
    av_dict_set(&options, "rtsp_transport", "tcp", 0);
    av_dict_set(&options, "timeout", "5000000", 0);
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, m.captured(1).toUtf8().constData(), nullptr, &options);
    av_dict_free(&options);
    QCOMPARE(opened, 0);
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> input(&raw, avformat_close_input);
    QVERIFY(avformat_find_stream_info(raw, nullptr) >= 0);
    int keysWithParameterSets = 0, alaw = 0, signChanges = 0, samples = 0, lastSign = -1;
    std::unique_ptr<AVPacket, void (*)(AVPacket*)> packet(av_packet_alloc(),
                                                          [](AVPacket* p) { av_packet_free(&p); });
    while (samples < 8000 * 5 && av_read_frame(raw, packet.get()) >= 0) {
        const AVCodecParameters* par = raw->streams[packet->stream_index]->codecpar;
        if (par->codec_id == AV_CODEC_ID_H264 && (packet->flags & AV_PKT_FLAG_KEY)) {
            QCOMPARE(par->width, width);
            int seen = 0; // bit per NAL type 7 (SPS), 8 (PPS), 5 (IDR), in the order they come
            for (int i = 0; i + 3 < packet->size; ++i)
                if (packet->data[i] == 0 && packet->data[i + 1] == 0 && packet->data[i + 2] == 1) {
                    const int type = packet->data[i + 3] & 0x1f;
                    seen |= type == 7                      ? 1
                            : type == 8 && (seen & 1)      ? 2
                            : type == 5 && (seen & 3) == 3 ? 4
                                                           : 0;
                }
            keysWithParameterSets += seen == 7;
        } else if (par->codec_id == AV_CODEC_ID_PCM_ALAW) {
            QCOMPARE(par->sample_rate, 8000);
            ++alaw;
            for (int i = 0; i < packet->size; ++i, ++samples) {
                const int sign = (packet->data[i] ^ 0x55) & 0x80;
                signChanges += lastSign >= 0 && sign != lastSign;
                lastSign = sign;
            }
        }
        av_packet_unref(packet.get());
    }
    QVERIFY2(keysWithParameterSets >= 2, qPrintable(QString::number(keysWithParameterSets)));
    QVERIFY(alaw > 50);
    // A 1 kHz tone crosses zero 2000 times a second.
    const double crossings = signChanges * 8000.0 / std::max(samples, 1);
    QVERIFY2(crossings > 1800 && crossings < 2200, qPrintable(QString::number(crossings)));
}

void TestOnvifSim::stallHoldsMedia() {
    AVDictionary* options = nullptr;
    av_dict_set(&options, "rtsp_transport", "tcp", 0);
    av_dict_set(&options, "timeout", "5000000", 0);
    AVFormatContext* raw = nullptr;
    const QByteArray url =
        sim("onvif list").section(' ', 1, 1).replace("rtsp=", "rtsp://127.0.0.1:").toUtf8();
    QCOMPARE(avformat_open_input(&raw, (url + "/OV-2/sub").constData(), nullptr, &options), 0);
    av_dict_free(&options);
    std::unique_ptr<AVFormatContext*, void (*)(AVFormatContext**)> input(&raw, avformat_close_input);
    AVPacket* packet = av_packet_alloc();
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto seconds = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
    bool stalled = false;
    QString stallAnswer;
    std::thread resume;
    double gap = 0, last = 0, resumedAt = 0;
    while (seconds() < 6 && av_read_frame(raw, packet) >= 0) {
        av_packet_unref(packet);
        gap = std::max(gap, seconds() - last);
        last = seconds();
        if (!stalled && last > 1) {
            stalled = true;
            stallAnswer = sim("onvif stall OV-2 on");
            resume = std::thread([this] {
                std::this_thread::sleep_for(std::chrono::milliseconds(2000));
                m_sim.control("onvif stall OV-2 off");
            });
        }
        if (stalled && resumedAt == 0 && last > 2.5)
            resumedAt = last;
    }
    if (resume.joinable())
        resume.join();
    av_packet_free(&packet);
    QCOMPARE(stallAnswer, QString("ok"));
    QVERIFY2(gap > 1.5, qPrintable(QString::number(gap)));
    QVERIFY(resumedAt > 2.5 && last > resumedAt + 1);
}

void TestOnvifSim::discoveryProbes_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("types");
    QTest::addColumn<int>("matches");
    QTest::newRow("any type") << ""
                              << "" << 2;
    QTest::newRow("transmitter") << ""
                                 << "dn:NetworkVideoTransmitter" << 2;
    QTest::newRow("device") << ""
                            << "tds:Device" << 2;
    QTest::newRow("other type") << ""
                                << "p:Printer" << 0;
    QTest::newRow("vanished") << "onvif vanish OV-2 on"
                              << "" << 1;
    QTest::newRow("back") << "onvif vanish OV-2 off"
                          << "" << 2;
}

void TestOnvifSim::discoveryProbes() {
    QFETCH(QString, control);
    QFETCH(QString, types);
    QFETCH(int, matches);
    if (!control.isEmpty())
        QCOMPARE(sim(control), QString("ok"));
    QStringList expected = QStringList{xaddr(0), xaddr(1)}.mid(0, matches);
    expected.sort();
    QCOMPARE(probe("127.0.0.1", m_discovery, types), expected);
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
