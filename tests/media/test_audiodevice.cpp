// The sound pipe: G.711 A-law codes at the limits, talk blocks leaving whole with the remainder kept,
// and the listen buffer's bound that keeps playback from drifting behind the picture.
#include "AlawCodec.h"
#include "TvAudioIODevice.h"

#include <QtTest>

#include <vector>

class TestAudioDevice : public QObject {
    Q_OBJECT
private slots:
    void alawCodes_data();
    void alawCodes();
    void talkBlocks_data();
    void talkBlocks();
    void listenBuffer_data();
    void listenBuffer();
};

void TestAudioDevice::alawCodes_data() {
    QTest::addColumn<int>("sample");
    QTest::addColumn<int>("code");
    QTest::newRow("zero") << 0 << 0xD5;
    QTest::newRow("minus one") << -1 << 0x5A;
    QTest::newRow("max") << 32767 << 0xAA;
    QTest::newRow("min") << -32768 << 0x2A;
}

void TestAudioDevice::alawCodes() {
    QFETCH(int, sample);
    QFETCH(int, code);
    QCOMPARE(int(AlawCodec::encode(qint16(sample))), code);
    // The camera decodes it back to within the code's step.
    QVERIFY(std::abs(AlawCodec::decode(uint8_t(code)) - sample) <= 1024);
}

void TestAudioDevice::talkBlocks_data() {
    QTest::addColumn<QList<int>>("captures"); // bytes per capture
    QTest::addColumn<int>("blocks");
    QTest::addColumn<int>("kept");
    QTest::newRow("one block and a remainder") << QList<int>{1000} << 1 << 360;
    QTest::newRow("the remainder completes") << QList<int>{1000, 280} << 2 << 0;
    QTest::newRow("short") << QList<int>{639} << 0 << 639;
    QTest::newRow("several at once") << QList<int>{3 * 640 + 2} << 3 << 2;
    QTest::newRow("empty") << QList<int>{0} << 0 << 0;
}

void TestAudioDevice::talkBlocks() {
    QFETCH(QList<int>, captures);
    QFETCH(int, blocks);
    QFETCH(int, kept);
    TvAudioIODevice device;
    QVERIFY(device.open(TvAudioIODevice::kModeTalk));
    QList<QByteArray> sent;
    device.setBlockSink([&](const QByteArray& block) { sent << block; });
    for (int bytes : captures) {
        // 0x0A bytes included: the capture passes them unchanged (0x0A0A is a valid sample).
        const QByteArray pcm(bytes, char(0x0A));
        QCOMPARE(device.write(pcm), qint64(bytes));
    }
    QCOMPARE(sent.size(), blocks);
    for (const QByteArray& block : sent) {
        QCOMPARE(block.size(), 320);
        QCOMPARE(uint8_t(block.at(0)), AlawCodec::encode(qint16(0x0A0A)));
    }
    QCOMPARE(device.captureBytes(), kept);
    device.close();
    QCOMPARE(device.captureBytes(), 0);
    QCOMPARE(device.mode(), 0);
}

void TestAudioDevice::listenBuffer_data() {
    QTest::addColumn<int>("appended");
    QTest::addColumn<int>("buffered");
    QTest::newRow("under the bound") << 640 << 640;
    QTest::newRow("at the bound") << TvAudioIODevice::kMaxPlaybackBytes << TvAudioIODevice::kMaxPlaybackBytes;
    QTest::newRow("an hour behind") << 8000 * 2 * 3600 << TvAudioIODevice::kMaxPlaybackBytes;
    // Dropping goes by whole samples from the front; the last half sample waits for its other byte.
    QTest::newRow("odd length drops whole samples")
        << TvAudioIODevice::kMaxPlaybackBytes + 1 << TvAudioIODevice::kMaxPlaybackBytes - 1;
}

void TestAudioDevice::listenBuffer() {
    QFETCH(int, appended);
    QFETCH(int, buffered);
    TvAudioIODevice device;
    QVERIFY(device.open(TvAudioIODevice::kModeListen));
    QVERIFY(!device.open(3)); // an unknown mode is refused
    QVERIFY(device.open(TvAudioIODevice::kModeListen));
    // Numbered samples: what is kept must be the newest sound.
    std::vector<qint16> pcm(size_t(appended / 2));
    for (size_t i = 0; i < pcm.size(); ++i)
        pcm[i] = qint16(i);
    QByteArray bytes(reinterpret_cast<const char*>(pcm.data()), int(pcm.size() * 2));
    if (appended & 1)
        bytes.append('\0');
    for (int at = 0; at < bytes.size(); at += 640)
        device.append(bytes.constData() + at, qMin(640, bytes.size() - at));
    QCOMPARE(device.playbackBytes(), buffered);
    QByteArray out(buffered + 100, Qt::Uninitialized);
    QCOMPARE(device.read(out.data(), out.size()), qint64(buffered));
    if (!(appended & 1)) {
        qint16 last = 0;
        memcpy(&last, out.constData() + buffered - 2, 2);
        QCOMPARE(last, pcm.back());
    }
    QCOMPARE(device.read(out.data(), out.size()), qint64(0)); // drained: nothing, not the end
    QVERIFY(!device.atEnd());
}

QTEST_GUILESS_MAIN(TestAudioDevice)
#include "test_audiodevice.moc"
