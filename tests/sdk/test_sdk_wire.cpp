#include "Md5.h"
#include "SdkConfig.h"
#include "SimCamera.h"
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
    void cameraRecords();
    void cameraWritesAndCommands();
};

void TestSdkWire::roundTripAndBadFields() {
    WireWriter w(Type::Event, Op::EvVideo, 77);
    const std::string payload("\0\0\0\1\x67", 5);
    w.addText("V-1").addInt(-110).addBytes(payload);
    const std::string frame = w.frame();
    WireReader r(frame.data() + 4, frame.size() - 4);
    QVERIFY(r.ok());
    QCOMPARE(r.type(), Type::Event);
    QCOMPARE(r.op(), Op::EvVideo);
    QCOMPARE(r.seq(), 77u);
    QCOMPARE(r.readBytes(), std::string("V-1"));
    QCOMPARE(r.readInt(), -110);
    QCOMPARE(r.readBytes(), payload);
    QVERIFY(r.atEnd() && r.ok());
    // Reading past the end, or a field of the wrong type, turns the reader bad without overrun.
    QCOMPARE(r.readInt(), 0);
    QVERIFY(!r.ok());
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
    bad[13] = '\xff';
    bad[14] = '\xff';
    WireReader overlong(bad.data() + 4, bad.size() - 4);
    QCOMPARE(overlong.readBytes(), std::string());
    QVERIFY(!overlong.ok());
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
    QCOMPARE(got, 2);
    QVERIFY(!f.broken());

    WireFramer huge;
    const char len[4] = {'\xff', '\xff', '\xff', '\x7f'};
    huge.append(len, 4);
    QVERIFY(!huge.next(&body, &size));
    QVERIFY(huge.broken());

    WireFramer tiny;
    const char small[8] = {2, 0, 0, 0, 1, 0, 0, 0};
    tiny.append(small, 8);
    QVERIFY(!tiny.next(&body, &size));
    QVERIFY(tiny.broken());
}

void TestSdkWire::md5AndEndpoint() {
    QCOMPARE(Md5::hex(""), std::string("d41d8cd98f00b204e9800998ecf8427e"));
    QCOMPARE(Md5::hex("123456"), std::string("e10adc3949ba59abbe56e057f20f883e"));
    QCOMPARE(Md5::hex(std::string(1000, 'a')), std::string("cabe45dcc9ae5b66ba86600cca6b8ba8"));
    QCOMPARE(pcq::SdkConfig::parseEndpoint("127.0.0.1:5000"), 5000);
    QCOMPARE(pcq::SdkConfig::parseEndpoint("localhost:5001\n"), 5001);
    QCOMPARE(pcq::SdkConfig::parseEndpoint("6000"), 6000);
    QCOMPARE(pcq::SdkConfig::parseEndpoint("10.0.0.1:5000"), -1); // never leaves the machine
    QCOMPARE(pcq::SdkConfig::parseEndpoint("127.0.0.1:0"), -1);
    QCOMPARE(pcq::SdkConfig::parseEndpoint("127.0.0.1:70000"), -1);
    QCOMPARE(pcq::SdkConfig::parseEndpoint("127.0.0.1:12a"), -1);
    qputenv("KVAB_SDK_ENDPOINT", "192.168.1.5:4000");
    QCOMPARE(pcq::SdkConfig::port(), pcq::SdkConfig::kDefaultPort);
    qunsetenv("KVAB_SDK_ENDPOINT");
    QTemporaryDir dir;
    QFile conf(dir.filePath("sdk.conf"));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write("# simulator\nendpoint=127.0.0.1:47123\n");
    conf.close();
    qputenv("KVAB_SDK_CONFIG", conf.fileName().toUtf8());
    QCOMPARE(pcq::SdkConfig::port(), 47123);
    qunsetenv("KVAB_SDK_CONFIG");
}

void TestSdkWire::cameraRecords() {
    SimCamera cam("KV-T1", true, false);
    std::string r;
    QVERIFY(cam.sysInfo(203, &r));
    int vals[16];
    QCOMPARE(
        std::sscanf(r.c_str(),
                    "stream=%d;sha=%d;bri=%d;sat=%d;con=%d;rate=%d;enc=%d;sens=%d;iropen=%d;frequency=%d;"
                    "speed=%d;hue=%d;exposure=%d;audioalarm=%d;piralarm=%d;cbrvbr=%d;",
                    &vals[0], &vals[1], &vals[2], &vals[3], &vals[4], &vals[5], &vals[6], &vals[7], &vals[8],
                    &vals[9], &vals[10], &vals[11], &vals[12], &vals[13], &vals[14], &vals[15]),
        16);
    QCOMPARE(vals[5], 25);
    QCOMPARE(vals[0], 1024);
    QVERIFY(cam.sysInfo(204, &r));
    QVERIFY(QByteArray::fromStdString(r).endsWith("sid=(null);satype=;"));
    QVERIFY(cam.sysInfo(208, &r));
    QVERIFY(QByteArray::fromStdString(r).contains(";sedemail=;reemail=;"));
    for (int sel : {201, 202, 205, 209})
        QVERIFY(cam.sysInfo(sel, &r));
    QVERIFY(!cam.sysInfo(206, &r));
    QVERIFY(!cam.sysInfo(0, &r));
}

void TestSdkWire::cameraWritesAndCommands() {
    SimCamera cam("KV-T2", true, true);
    std::string r;
    // Selector boundaries.
    QCOMPARE(cam.setSelector(50, 63, 0), 0);
    QCOMPARE(cam.setSelector(50, 64, 0), -1);
    QCOMPARE(cam.setSelector(50, 0, 0), -1);
    QCOMPARE(cam.setSelector(57, 30, 0), 0);
    QCOMPARE(cam.setSelector(57, 31, 0), -1);
    QCOMPARE(cam.setSelector(70, 55, 0), -1);
    QCOMPARE(cam.setSelector(114, 1, 1), -1); // IR-cut goes as (114, 2, value)
    QCOMPARE(cam.setSelector(114, 2, 1), 0);
    QCOMPARE(cam.setSelector(999, 0, 0), -1);
    cam.sysInfo(203, &r);
    QVERIFY(QByteArray::fromStdString(r).contains("bri=63;") &&
            QByteArray::fromStdString(r).contains("iropen=1;"));
    QCOMPARE(cam.frameRate(), 30);
    // Records: malformed ones are refused and change nothing.
    QCOMPARE(cam.setSdRecord("move=0;outmove=0;auto=0;loopwr=0;splite=50;audio=0;devid=KV-T2;recqc=0;"), 0);
    QCOMPARE(cam.setSdRecord("move=0;outmove=0;auto=0;loopwr=0;splite=500;audio=0;devid=KV-T2;recqc=0;"), -1);
    QCOMPARE(cam.setSdRecord("move=0;outmove=0;auto=0;"), -1);
    QCOMPARE(cam.setSdRecord("move=0;outmove=0;auto=0;loopwr=0;splite=50;audio=0;devid=OTHER;recqc=0;"), -1);
    cam.sysInfo(202, &r);
    QVERIFY(QByteArray::fromStdString(r).contains("splite=50;") &&
            QByteArray::fromStdString(r).endsWith("stream=0;"));
    QCOMPARE(
        cam.setEmail("sedemail=a@b.c;reemail=d@e.f;smtpser=smtp.x;user=u;pwd=p;entype=1;port=465;count=2;"),
        0);
    QCOMPARE(cam.setEmail("sedemail=" + std::string(40, 'x') +
                          ";reemail=;smtpser=;user=;pwd=;entype=1;port=1;count=1;"),
             -1);
    cam.sysInfo(208, &r);
    QVERIFY(QByteArray::fromStdString(r).contains("port=465;") &&
            QByteArray::fromStdString(r).contains("sedemail=a@b.c;"));
    QCOMPARE(cam.setIp(2, "ip=10.1.1.9;netwet=10.1.1.1;netmask=255.0.0.0;dns=8.8.8.8;mac=m;newmac=;"), 0);
    QCOMPARE(cam.setIp(3, "ip=10.1.1.9;netwet=10.1.1.1;netmask=255.0.0.0;dns=8.8.8.8;mac=m;newmac=;"), -1);
    cam.sysInfo(201, &r);
    QVERIFY(QByteArray::fromStdString(r).startsWith("ip=10.1.1.9;mask=255.0.0.0;wet=10.1.1.1;"));
    QVERIFY(QByteArray::fromStdString(r).contains("flag=0;"));
    QCOMPARE(
        cam.setWifi(
            1, 1, "entype=auto;sid=Home;stype=wap2;option=;keytype=;pswd=pw;mac=;ip=;netmask=;netwet=;dns=;"),
        0);
    cam.sysInfo(204, &r);
    QVERIFY(QByteArray::fromStdString(r).contains("open=1;") &&
            QByteArray::fromStdString(r).contains("sid=Home;"));
    // Data channel: answers as 2001..2006 reports.
    std::vector<SimCamera::Report> reports;
    QCOMPARE(cam.dataCommand("data=cmd-110;", &reports), 0);
    QCOMPARE(reports.size(), std::size_t(4));
    QCOMPARE(reports[0].command, 2003);
    QCOMPARE(reports[1].text, std::string("KV-T2;"));
    reports.clear();
    QCOMPARE(cam.dataCommand("data=cmd-2004-AP-1-ssid-Spot-pwd-secret;", &reports), 0);
    QCOMPARE(reports.at(0).text, std::string("KV-T2;Spot"));
    QCOMPARE(reports.at(0).flag, 1);
    reports.clear();
    QCOMPARE(cam.dataCommand("data=cmd-2005-1", &reports), 0);
    QCOMPARE(reports.at(0).command, 2005);
    QCOMPARE(reports.at(0).flag, 1);
    QCOMPARE(cam.dataCommand("data=cmd-2005-7", &reports), -1);
    QCOMPARE(cam.dataCommand("cmd=999;", &reports), -1);
    QCOMPARE(cam.dataCommand("garbage", &reports), -1);
    // Factory reset restores every default.
    cam.factoryReset();
    cam.sysInfo(203, &r);
    QVERIFY(QByteArray::fromStdString(r).contains("bri=32;") &&
            QByteArray::fromStdString(r).contains("rate=25;"));
    cam.sysInfo(204, &r);
    QVERIFY(QByteArray::fromStdString(r).endsWith("sid=(null);satype=;"));
    QCOMPARE(cam.sdFiles().size(), std::size_t(30));
    cam.formatSd();
    QVERIFY(cam.sdFiles().empty());
}

QTEST_GUILESS_MAIN(TestSdkWire)
#include "test_sdk_wire.moc"
