#include "Md5.h"
#include "SdkConfig.h"
#include "WireFramer.h"
#include "WireReader.h"
#include "WireWriter.h"

#include <QtTest>

using namespace kvabwire;

class TestSdkWire : public QObject {
    Q_OBJECT
private slots:
    void roundTripAndBadFields();
    void framerRejectsBrokenStreams();
    void md5AndEndpoint();
};

void TestSdkWire::roundTripAndBadFields() {
    WireWriter w(Type::Event, Op::EvVideo, 77);
    const std::string payload("\0\0\0\1\x67", 5);
    w.addText("V-1").addInt(-110).addBytes(payload);
    const std::string frame = w.frame();
    WireReader r(frame.data() + 4, frame.size() - 4);
    QVERIFY(r.ok() && r.type() == Type::Event && r.op() == Op::EvVideo && r.seq() == 77u);
    QCOMPARE(r.readBytes(), std::string("V-1"));
    QCOMPARE(r.readInt(), -110);
    QCOMPARE(r.readBytes(), payload);
    QVERIFY(r.atEnd() && r.ok());
    // Reading past the end, or a field of the wrong type, turns the reader bad without overrun.
    QVERIFY(r.readInt() == 0 && !r.ok());
    WireReader wrongType(frame.data() + 4, frame.size() - 4);
    wrongType.readInt();
    QVERIFY(!wrongType.ok());
    // Every truncation of a valid frame is caught.
    for (std::size_t cut = 0; cut < frame.size() - 4; ++cut) {
        WireReader t(frame.data() + 4, cut);
        t.readBytes();
        t.readInt();
        t.readBytes();
        QVERIFY2(!t.ok(), qPrintable(QString("cut at %1").arg(cut)));
    }
    // A bytes field whose length points past the frame.
    std::string bad = frame;
    bad.replace(13, 2, "\xff\xff");
    WireReader overlong(bad.data() + 4, bad.size() - 4);
    QVERIFY(overlong.readBytes().empty() && !overlong.ok());
}

void TestSdkWire::framerRejectsBrokenStreams() {
    WireWriter a(Type::Reply, Op::SysInfo, 1);
    a.addInt(0).addText("ok");
    WireWriter b(Type::Event, Op::EvSystem, 0);
    b.addInt(104).addText("KV-1");
    const std::string both = a.frame() + b.frame();
    WireFramer f;
    const char* body;
    std::size_t size;
    // Byte by byte: frames come out only when complete.
    int got = 0;
    for (char c : both) {
        f.append(&c, 1);
        while (f.next(&body, &size))
            ++got;
    }
    QVERIFY(got == 2 && !f.broken());

    // A length beyond any frame, and one shorter than a header.
    for (const std::string& header :
         {std::string("\xff\xff\xff\x7f", 4), std::string("\2\0\0\0\1\0\0\0", 8)}) {
        WireFramer broken;
        broken.append(header.data(), header.size());
        QVERIFY(!broken.next(&body, &size) && broken.broken());
    }
}

void TestSdkWire::md5AndEndpoint() {
    const std::pair<std::string, const char*> digests[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"123456", "e10adc3949ba59abbe56e057f20f883e"},
        {std::string(1000, 'a'), "cabe45dcc9ae5b66ba86600cca6b8ba8"}};
    for (const auto& d : digests)
        QCOMPARE(Md5::hex(d.first), std::string(d.second));
    // Only loopback endpoints with a valid port; anything else never leaves the machine.
    const std::pair<const char*, int> endpoints[] = {
        {"127.0.0.1:5000", 5000}, {"localhost:5001\n", 5001}, {"6000", 6000},       {"10.0.0.1:5000", -1},
        {"127.0.0.1:0", -1},      {"127.0.0.1:70000", -1},    {"127.0.0.1:12a", -1}};
    for (const auto& e : endpoints)
        QVERIFY2(pcq::SdkConfig::parseEndpoint(e.first) == e.second, e.first);
    qputenv("KVAB_SDK_ENDPOINT", "192.168.1.5:4000");
    QCOMPARE(pcq::SdkConfig::port(), pcq::SdkConfig::kDefaultPort);
    qunsetenv("KVAB_SDK_ENDPOINT");
    QTemporaryDir dir;
    QFile conf(dir.filePath("sdk.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly) && conf.write("# simulator\nendpoint=127.0.0.1:47123\n") > 0);
    conf.close();
    qputenv("KVAB_SDK_CONFIG", conf.fileName().toUtf8());
    QCOMPARE(pcq::SdkConfig::port(), 47123);
    qunsetenv("KVAB_SDK_CONFIG");
}

QTEST_GUILESS_MAIN(TestSdkWire)
#include "test_sdk_wire.moc"
