// The record readers and writers: exact formats, normalisations, and robustness against any input.
#include "NxRecordCodec.h"

#include <QtTest>

#include <cstring>
#include <random>
#include <vector>

namespace {

template <int N> bool terminated(const char (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}

const char kVideo[] = "stream=1024;sha=38;bri=31;sat=33;con=34;rate=25;enc=7;sens=1;iropen=1;frequency=50;"
                      "speed=9;hue=8;exposure=6;audioalarm=2;piralarm=1;cbrvbr=1;";
const char kIp[] =
    "ip=192.168.1.20;mask=255.255.255.0;wet=192.168.1.1;dns=8.8.8.8;mac=00:11:22:33:44:55;flag=1;"
    "ver=12;status=200;";
const char kWifi[] =
    "open=1;ip=10.0.0.5;mask=255.0.0.0;wet=10.0.0.1;dns=10.0.0.2;mac=AA:BB:CC:DD:EE:FF;flag=3;"
    "sid=Home;enc=WPA2;";
const char kEmail[] =
    "senc=1;port=465;count=2;ioin=3;sderror=9;sdmove=4;entype=1;sedemail=a@b.cn;reemail=c@d.cn;"
    "smtpser=smtp.d.cn;user=u1;pwd=secret;emailinfo=x;";
const char kSd[] =
    "move=1;outmove=2;auto=1;loopwr=1;splite=50;size=32000;use=100;leftsize=31900;audio=1;stream=0;";
const char kInfo[] = "devid=CAM0001;pwd=abc;status=1;devtype=T1;audiotype=G726;count=3;";

} // namespace

class TestRecordCodec : public QObject {
    Q_OBJECT
private slots:
    void readsAndNormalises();
    void cutsOverlongAndStopsEarly();
    void writesExactFormats();
    void surveyAlarmAndSecretTexts();
    void survivesHostileInput();
};

void TestRecordCodec::readsAndNormalises() {
    VideoParam v;
    QCOMPARE(NxRecordCodec::parseVideoParam(kVideo, sizeof kVideo, &v), 16);
    const qint32 expected[14] = {33, 34, 31, 38, 7, 25, 1024, 0, 50, 1, 2, 1, 1, 1};
    QCOMPARE(std::memcmp(&v, expected, sizeof expected), 0);

    // DHCP is 1 and nothing else; an empty value is an empty field and the rest of the record still counts.
    IPInfo ip;
    QCOMPARE(NxRecordCodec::parseIPInfo(kIp, sizeof kIp, &ip), 8);
    QVERIFY(ip.flag == 1 && ip.status == 200 && QByteArray(ip.gateway) == "192.168.1.1");
    const char dhcp2[] = "ip=1;mask=2;wet=3;dns=;mac=5;flag=2;ver=1;status=0;";
    QCOMPARE(NxRecordCodec::parseIPInfo(dhcp2, sizeof dhcp2, &ip), 8);
    QVERIFY(ip.flag == 0 && QByteArray(ip.dns).isEmpty() && QByteArray(ip.mac) == "5");

    // The reader drops the '=' that the key-less text patterns capture; a negative number stays one.
    EmailInfo e;
    QCOMPARE(NxRecordCodec::parseEmailInfo(kEmail, sizeof kEmail, &e), 13);
    QCOMPARE(QByteArray(e.sedemail) + "|" + QByteArray(e.pwd) + "|" + QByteArray(e.emailinfo),
             QByteArray("a@b.cn|secret|x"));
    QCOMPARE(e.reserved1 + e.reserved2, 0);
    NxCallProgressRecord call;
    const char progress[] = "devid=CAM9;flag=-3;";
    QVERIFY(NxRecordCodec::parseCallProgress(progress, sizeof progress, &call) == 2 && call.flag == -3);

    // Wi-Fi: open and DHCP are 1 or 0, the security text keeps its key, the password is never read,
    // "(null)" and a lone space are no name, an empty security type means none.
    WiFiInfo w;
    QCOMPARE(NxRecordCodec::parseWiFiInfo(kWifi, sizeof kWifi, &w), 9);
    QVERIFY(w.open == 1 && w.flag == 0 && QByteArray(w.sid) == "Home");
    QVERIFY(QByteArray(w.security) == "enc=WPA2" && QByteArray(w.pswd).isEmpty());
    // Columns: the name and the security text sent, then as read.
    const std::pair<QByteArray, QByteArray> cases[] = {
        {"(null);satype=", "|enc=NONE;stype=auto"}, {" ;satype=x", "|satype=x"}, {"  ;satype", "  |satype"}};
    for (const auto& [sent, read] : cases) {
        const QByteArray reply = "open=2;ip=a;mask=b;wet=c;dns=d;mac=e;flag=1;sid=" + sent + ';';
        QCOMPARE(NxRecordCodec::parseWiFiInfo(reply.constData(), reply.size(), &w), 9);
        QCOMPARE(QByteArray(w.sid) + '|' + QByteArray(w.security), read);
        QVERIFY(w.open == 0 && w.flag == 1);
    }
}

void TestRecordCodec::cutsOverlongAndStopsEarly() {
    // Over-long values are cut to their field (31, 319, 11 bytes); the fields after them are still read.
    const QByteArray reply = "ip=" + QByteArray(40, '9') + ";mask=m;wet=w;dns=d;mac=x;flag=1;ver=2;status=3;";
    IPInfo ip;
    QCOMPARE(NxRecordCodec::parseIPInfo(reply.constData(), reply.size(), &ip), 8);
    QVERIFY(QByteArray(ip.ip) == QByteArray(31, '9') && ip.status == 3);
    const QByteArray wifi = "open=1;ip=a;mask=b;wet=c;dns=d;mac=e;flag=1;sid=n;" + QByteArray(500, 's') + ';';
    WiFiInfo w;
    NxRecordCodec::parseWiFiInfo(wifi.constData(), wifi.size(), &w);
    QCOMPARE(QByteArray(w.security), QByteArray(319, 's'));
    const char info[] = "devid=A;pwd=B;status=1;devtype=C;audiotype=G711G711G711G711;count=1;";
    NxDeviceInfoRecord d;
    QCOMPARE(NxRecordCodec::parseDeviceInfo(info, sizeof info, &d), 6);
    QCOMPARE(QByteArray(d.audiotype), QByteArray("G711G711G71"));

    // Every prefix of a record parses to a prefix of its fields and leaves every later field zero.
    const QByteArray video(kVideo);
    int previous = 0;
    for (int cut = 0; cut <= video.size(); ++cut) {
        VideoParam v;
        std::memset(&v, 0x5A, sizeof v);
        const int n = NxRecordCodec::parseVideoParam(video.constData(), cut, &v);
        QVERIFY(n >= previous && (n == 16 || v.cbrvbr == 0) && v.reserved == 0);
        previous = n;
    }
    QCOMPARE(previous, 16);

    // Without its keys, a reply parses to nothing; a number out of range saturates.
    const char foreign[] = "hello=1;world=2;";
    SDInfo sd;
    QCOMPARE(NxRecordCodec::parseSDInfo(foreign, sizeof foreign, &sd), 0);
    const SDInfo zero{};
    QCOMPARE(std::memcmp(&sd, &zero, sizeof sd), 0);
    const char big[] = "onvif=99999999999999;onvifaudio=-99999999999;";
    qint32 a = 0, b = 0;
    QCOMPARE(NxRecordCodec::parseOnvif(big, sizeof big, &a, &b), 2);
    QVERIFY(a == std::numeric_limits<qint32>::max() && b == std::numeric_limits<qint32>::min());
}

void TestRecordCodec::writesExactFormats() {
    // Distinct values in every field, so that no two are swapped or dropped.
    IPInfo ip{0, "I", "G", "K", "D", "M", 0, 0};
    QCOMPARE(NxRecordCodec::formatIPInfo(ip), QByteArray("ip=I;netwet=G;netmask=K;dns=D;mac=M;newmac=M;"));
    WiFiConfig c{};
    int k = 0;
    for (char* field : {c.sid, c.pswd, c.mac, c.ip, c.mask, c.gateway, c.dns})
        field[0] = char('a' + k++);
    QCOMPARE(
        NxRecordCodec::formatWiFiConfig(c),
        QByteArray(
            "entype=auto;sid=a;stype=wap2;option=;keytype=;pswd=b;mac=c;ip=d;netmask=e;netwet=f;dns=g;"));
    EmailInfo e{};
    k = 0;
    for (char* field : {e.sedemail, e.reemail, e.smtpser, e.user, e.pwd})
        field[0] = char('a' + k++);
    e.entype = 2;
    e.port = 25;
    e.count = 3;
    QCOMPARE(NxRecordCodec::formatEmailInfo(e),
             QByteArray("sedemail=a;reemail=b;smtpser=c;user=d;pwd=e;entype=2;port=25;count=3;"));
    SDInfo sd{1, 1, 0, 20, 9, 9, 9, 1, 4, 1};
    QCOMPARE(NxRecordCodec::formatSDInfo(sd, QStringLiteral("CAM1")),
             QByteArray("move=1;outmove=4;auto=1;loopwr=0;splite=20;audio=1;devid=CAM1;recqc=1;"));

    // A text holding ";" or "=" would make the camera read another record: the record is refused whole.
    for (const char* record : {"IP", "Wi-Fi", "e-mail", "SD"})
        QTest::ignoreMessage(QtWarningMsg,
                             qPrintable(QString("%1 record refused: a text holds ';' or '='").arg(record)));
    IPInfo badIp = ip;
    std::strcpy(badIp.dns, "1;mac=x");
    WiFiConfig badWifi = c;
    std::strcpy(badWifi.sid, "Caf=e");
    std::strcpy(badWifi.pswd, "a;b");
    EmailInfo badMail = e;
    std::strcpy(badMail.pwd, "p=w");
    QVERIFY(NxRecordCodec::formatIPInfo(badIp).isEmpty() &&
            NxRecordCodec::formatWiFiConfig(badWifi).isEmpty() &&
            NxRecordCodec::formatEmailInfo(badMail).isEmpty() &&
            NxRecordCodec::formatSDInfo(sd, QStringLiteral("C;1")).isEmpty());

    // A field left without its terminator is read up to its own size, never into the next one.
    IPInfo full{};
    std::memset(full.ip, 'x', sizeof full.ip);
    std::strcpy(full.gateway, "g");
    QVERIFY(NxRecordCodec::formatIPInfo(full).startsWith("ip=" + QByteArray(32, 'x') + ";netwet=g;"));
    WiFiConfig huge;
    std::memset(&huge, 'y', sizeof huge);
    const QByteArray text = NxRecordCodec::formatWiFiConfig(huge);
    QVERIFY(text.contains(";pswd=" + QByteArray(320, 'y') + ";mac=" + QByteArray(32, 'y') + ";"));
    QVERIFY(text.size() < NxRecordCodec::kRecordSize);

    // Status requests split below the text limit, each restarting the index; an id too long alone is left
    // out.
    const auto requests = [](const QStringList& ids, int limit) {
        QByteArray out;
        for (const auto& r : NxRecordCodec::statusRequests(ids, limit))
            out += r.text + '/' + QByteArray::number(r.count) + ' ';
        return out;
    };
    QCOMPARE(requests({"a", "b", "c"}, 4096), QByteArray("devid0=a;devid1=b;devid2=c;/3 "));
    QCOMPARE(requests({"a", "b", "c"}, 19), QByteArray("devid0=a;devid1=b;/2 devid0=c;/1 "));
    QCOMPARE(requests({"a", QString(20, 'x'), "c"}, 19), QByteArray("devid0=a;/1 devid0=c;/1 "));
    QCOMPARE(requests({}, 4096), QByteArray());
}

void TestRecordCodec::surveyAlarmAndSecretTexts() {
    // The length bounds a survey reply even when it holds no NUL; names are cut at 127 bytes, UTF-8
    // survives, an entry without a name gives none and signal 0.
    const char reply[] = "sid=Home;enc=WPA;signal=80::sid=Cafe;signal=x:sid=Bar;signal=45:";
    QCOMPARE(NxRecordCodec::surveyEntries(reply, int(std::strlen(reply))).size(), 3);
    QCOMPARE(NxRecordCodec::surveyEntries(reply, 12).size(), 1);
    QString name;
    qint32 signal = -1;
    NxRecordCodec::parseSurveyEntry("sid=" + QByteArray(300, 'n') + ";s=7", &name, &signal);
    QVERIFY(name.size() == 127 && signal == 7);
    NxRecordCodec::parseSurveyEntry(QByteArray("sid=\xe5\xae\xb6;signal=3"), &name, &signal);
    QCOMPARE(name, QString::fromUtf8("\xe5\xae\xb6"));
    NxRecordCodec::parseSurveyEntry("nosid", &name, &signal);
    QVERIFY(name.isEmpty() && signal == 0);

    QCOMPARE(NxRecordCodec::splitAlarmData(2004, ";x;y"), (QPair<QString, QString>("", "x")));
    QCOMPARE(NxRecordCodec::alarmDeviceId(""), QString());
    QCOMPARE(NxRecordCodec::boundedText(nullptr, 5), QByteArray());
    QCOMPARE(NxRecordCodec::boundedText("abc\0def", 7), QByteArray("abc"));
    QCOMPARE(NxRecordCodec::boundedText("abcdef", 2), QByteArray("ab"));

    const std::pair<QByteArray, QByteArray> masks[] = {
        {"devid=C;pwd=abc;status=1;", "devid=C;pwd=***;status=1;"},
        {"cmd=102;sid=Net;pswd=hunter2;", "cmd=102;sid=Net;pswd=***;"},
        {"data=cmd-2004-AP-1-ssid-N-pwd-s3cret;", "data=cmd-2004-AP-1-ssid-N-pwd-***;"},
        {"pwd=;user=u", "pwd=;user=u"},
        {"user=u;pwd=tail", "user=u;pwd=***"}};
    for (const auto& m : masks)
        QCOMPARE(NxRecordCodec::maskSecrets(m.first), m.second);
    QVERIFY(!NxRecordCodec::maskSecrets(QByteArray(kEmail)).contains("secret"));
}

void TestRecordCodec::survivesHostileInput() {
    // Seeds: the valid records and their pieces; mutations: cuts, splices, over-long values, bytes
    // from the whole range, missing separators. Every reader runs on every input.
    const QList<QByteArray> seeds = {kVideo,
                                     kIp,
                                     kWifi,
                                     kEmail,
                                     kSd,
                                     kInfo,
                                     "devid=X;flag=1;",
                                     "onvif=0;onvifaudio=1;",
                                     "sid=A;signal=9:sid=B;x=1"};
    QList<QByteArray> tokens =
        QByteArray("= ; : %d %s %[^;] - 99999999999 \xff\xfe \xe5\xae\xb6 (null) satype= pwd= sid= sedemail")
            .split(' ');
    tokens << " " << QByteArray(40, 'A') << QByteArray(400, 'B') << QByteArray(1, '\0');
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };

    for (int i = 0; i < 120000; ++i) {
        QByteArray input = seeds[pick(seeds.size())];
        switch (pick(5)) {
        case 0: // truncated
            input.truncate(pick(input.size() + 1));
            break;
        case 1: // tokens spliced in
            for (int k = pick(4) + 1; k > 0; --k)
                input.insert(pick(input.size() + 1), tokens[pick(tokens.size())]);
            break;
        case 2: // random bytes flipped
            for (int k = pick(8) + 1; k > 0 && !input.isEmpty(); --k)
                input[pick(input.size())] = static_cast<char>(rng());
            break;
        case 3: { // random bytes only
            input = QByteArray(pick(1100), '\0');
            for (char& c : input)
                c = static_cast<char>(rng());
            break;
        }
        default: // a full buffer without any NUL
            input = input.repeated(NxRecordCodec::kRecordSize / qMax(1, input.size()) + 1);
            input.replace('\0', 'z');
            input.truncate(NxRecordCodec::kRecordSize);
            break;
        }
        // A heap block of exactly the input's size: a read past the end is caught by AddressSanitizer.
        std::vector<char> exact(static_cast<size_t>(qMax(1, input.size())));
        std::memcpy(exact.data(), input.constData(), static_cast<size_t>(input.size()));
        const char* data = exact.data();
        const int size = input.size();
        VideoParam v;
        IPInfo ip;
        WiFiInfo w;
        EmailInfo e;
        SDInfo sd;
        NxDeviceInfoRecord info;
        NxCallProgressRecord call;
        qint32 a, b;
        NxRecordCodec::parseVideoParam(data, size, &v);
        NxRecordCodec::parseIPInfo(data, size, &ip);
        NxRecordCodec::parseWiFiInfo(data, size, &w);
        NxRecordCodec::parseEmailInfo(data, size, &e);
        NxRecordCodec::parseSDInfo(data, size, &sd);
        NxRecordCodec::parseOnvif(data, size, &a, &b);
        NxRecordCodec::parseDeviceInfo(data, size, &info);
        NxRecordCodec::parseCallProgress(data, size, &call);
        if (!(terminated(ip.ip) && terminated(ip.mac) && terminated(w.sid) && terminated(w.security) &&
              terminated(w.pswd) && terminated(e.sedemail) && terminated(e.emailinfo) &&
              terminated(info.devid) && terminated(info.audiotype) && terminated(call.devid)))
            QFAIL(qPrintable("unterminated field for input " + input.toHex()));
        QVERIFY(v.reserved == 0 && (ip.flag == 0 || ip.flag == 1) && (w.open == 0 || w.open == 1));
        for (const QByteArray& entry : NxRecordCodec::surveyEntries(data, size)) {
            QString name;
            qint32 signal;
            NxRecordCodec::parseSurveyEntry(entry, &name, &signal);
            QVERIFY(name.toUtf8().size() <= 127 * 3);
        }
        const QString text = QString::fromUtf8(NxRecordCodec::boundedText(data, size));
        NxRecordCodec::splitAlarmData(2004, text);
        NxRecordCodec::alarmDeviceId(text);
        NxRecordCodec::maskSecrets(input);
    }
}

QTEST_GUILESS_MAIN(TestRecordCodec)
#include "test_recordcodec.moc"
