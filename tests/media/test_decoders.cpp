// VDec and ADec against libavcodec used directly, and their behaviour on bad input.
#include "ADec.h"
#include "MediaFixtures.h"
#include "TvYuvLayout.h"
#include "VDec.h"

#include <QtTest>

#include <random>

using MediaFixtures::Bytes;

namespace {

Bytes padded(const Bytes& unit) {
    Bytes p(unit);
    p.resize(unit.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    return p;
}

struct Result {
    int ret = 0;
    int width = 0;
    int height = 0;
    Bytes picture;
};

Result decodeOne(VDec& dec, const Bytes& unit, int nominalW = 1920, int nominalH = 1080) {
    Bytes input = padded(unit);
    VDecFrame f;
    f.payload = input.data();
    f.length = int(unit.size());
    f.width = nominalW;
    f.height = nominalH;
    Result r;
    r.ret = dec.decode(f);
    r.width = f.width;
    r.height = f.height;
    if (r.ret >= 1 && f.picture)
        r.picture.assign(f.picture, f.picture + TvYuvLayout::pictureSize(f.width, f.height));
    return r;
}

std::unique_ptr<VDec> h264Decoder(int w = 1920, int h = 1080, int type = 10) {
    VDecSetup s;
    s.streamType = type;
    s.width = w;
    s.height = h;
    return VDec::create(s);
}

// ITU-T G.711 A-law expansion, written out from the standard.
int alawReference(uint8_t code) {
    code ^= 0x55;
    const int segment = (code & 0x70) >> 4;
    int magnitude = (code & 0x0F) << 4;
    magnitude += 8;
    if (segment != 0)
        magnitude += 0x100;
    if (segment > 1)
        magnitude <<= segment - 1;
    return (code & 0x80) ? magnitude : -magnitude;
}

int ulawReference(uint8_t code) {
    code = ~code;
    const int exponent = (code >> 4) & 0x07;
    const int mantissa = code & 0x0F;
    const int magnitude = (((mantissa << 3) + 0x84) << exponent) - 0x84;
    return (code & 0x80) ? -magnitude : magnitude;
}

} // namespace

class TestDecoders : public QObject {
    Q_OBJECT
private slots:
    void sameBytesAsLibavcodec_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("sub stream 640x360") << 640 << 360;
        QTest::newRow("main stream 1920x1080") << 1920 << 1080;
        QTest::newRow("640x480 in 1920x1080 nominal") << 640 << 480;
    }
    void sameBytesAsLibavcodec() {
        QFETCH(int, width);
        QFETCH(int, height);
        const std::vector<Bytes> clip = MediaFixtures::encodeH264(width, height, 24, 12);
        QCOMPARE(int(clip.size()), 24);
        QCOMPARE(MediaFixtures::nalType(clip[0]), 7);
        const auto reference = MediaFixtures::decodeDirect(clip);
        QCOMPARE(int(reference.size()), 24);

        auto dec = h264Decoder();
        QVERIFY(dec);
        for (size_t i = 0; i < clip.size(); ++i) {
            const Result r = decodeOne(*dec, clip[i]);
            QCOMPARE(r.ret, int(clip[i].size()));
            QCOMPARE(r.width, width);
            QCOMPARE(r.height, height);
            QVERIFY2(r.picture == reference[i].yuv, qPrintable(QString("picture %1 differs").arg(i)));
            // Whatever the picture size, the buffer stays the one made for the nominal size.
            QCOMPARE(dec->bufferSize(), 6220800LL);
        }
    }

    void largerThanNominal() {
        // A stream bigger than the nominal size gets a buffer sized for the picture.
        const std::vector<Bytes> clip = MediaFixtures::encodeH264(1920, 1080, 3, 3);
        const auto reference = MediaFixtures::decodeDirect(clip);
        auto dec = h264Decoder(320, 240);
        QVERIFY(dec);
        for (size_t i = 0; i < clip.size(); ++i) {
            const Result r = decodeOne(*dec, clip[i], 320, 240);
            QVERIFY(r.ret >= 1);
            QCOMPARE(r.width, 1920);
            QVERIFY(r.picture == reference[i].yuv);
        }
        QVERIFY(dec->bufferSize() >= TvYuvLayout::pictureSize(1920, 1080));
    }

    void resolutionChangeMidStream() {
        auto dec = h264Decoder();
        const auto small = MediaFixtures::encodeH264(640, 360, 6, 6);
        const auto big = MediaFixtures::encodeH264(1280, 720, 6, 6);
        const auto smallRef = MediaFixtures::decodeDirect(small);
        const auto bigRef = MediaFixtures::decodeDirect(big);
        for (size_t i = 0; i < small.size(); ++i)
            QVERIFY(decodeOne(*dec, small[i]).picture == smallRef[i].yuv);
        for (size_t i = 0; i < big.size(); ++i) {
            const Result r = decodeOne(*dec, big[i]);
            QCOMPARE(r.width, 1280);
            QVERIFY(r.picture == bigRef[i].yuv);
        }
        // And back, with a change of the nominal size too.
        for (size_t i = 0; i < small.size(); ++i) {
            const Result r = decodeOne(*dec, small[i], 640, 360);
            QCOMPARE(r.width, 640);
            QVERIFY(r.picture == smallRef[i].yuv);
        }
        QCOMPARE(dec->bufferSize(), 640LL * 360 * 3);
    }

    void badInput() {
        const auto clip = MediaFixtures::encodeH264(640, 360, 20, 10);
        const auto reference = MediaFixtures::decodeDirect(clip);
        auto dec = h264Decoder();

        // A stream that starts without SPS/PPS: P slices first give nothing, the first key frame decodes.
        for (int i = 1; i < 10; ++i)
            QVERIFY(decodeOne(*dec, clip[size_t(i)]).ret < 1);
        Result r = decodeOne(*dec, clip[10]);
        QVERIFY(r.ret >= 1);
        QVERIFY(r.picture == reference[10].yuv);

        // Random bytes, with and without a start code, and truncated units.
        std::mt19937 rng(7);
        for (int i = 0; i < 200; ++i) {
            Bytes junk(size_t(1 + rng() % 5000));
            for (auto& b : junk)
                b = uint8_t(rng());
            if (i % 2 == 0 && junk.size() > 5) {
                junk[0] = junk[1] = junk[2] = 0;
                junk[3] = 1;
            }
            decodeOne(*dec, junk); // must neither crash nor hang; the result does not matter
        }
        for (size_t i = 0; i < clip.size(); ++i) {
            Bytes cut(clip[i].begin(), clip[i].begin() + long(clip[i].size() / 3 + 1));
            decodeOne(*dec, cut);
        }
        // Flipped bits inside slices.
        for (size_t i = 10; i < clip.size(); ++i) {
            Bytes bad = clip[i];
            for (size_t k = 40; k < bad.size(); k += 37)
                bad[k] ^= 0x5A;
            decodeOne(*dec, bad);
        }
        // Nominal sizes that cannot be allocated are refused, not crashed on.
        QVERIFY(decodeOne(*dec, clip[0], 0, 1080).ret < 0);
        QVERIFY(decodeOne(*dec, clip[0], -4, 1080).ret < 0);
        QVERIFY(decodeOne(*dec, clip[0], 100000, 100000).ret < 0);
        VDecFrame empty;
        empty.width = 1920;
        empty.height = 1080;
        QCOMPARE(dec->decode(empty), -1);

        // After all that, a fresh key frame decodes exactly again.
        auto fresh = h264Decoder();
        const auto again = MediaFixtures::decodeDirect({clip[0]});
        r = decodeOne(*dec, clip[0]);
        QVERIFY(r.ret >= 1);
        QCOMPARE(r.width, 640);
        QVERIFY(r.picture == again[0].yuv);
    }

    void otherStreamTypesAndOddSizes() {
        // Motion JPEG (type 12) in 4:2:0 at an odd size: every plane as libavcodec gives it.
        const auto jpeg = MediaFixtures::encodeMjpeg(641, 361, 2, AV_PIX_FMT_YUVJ420P);
        QCOMPARE(int(jpeg.size()), 2);
        const auto reference = MediaFixtures::decodeDirect(jpeg, AV_CODEC_ID_MJPEG);
        auto dec = h264Decoder(1920, 1080, 12);
        QVERIFY(dec);
        for (size_t i = 0; i < jpeg.size(); ++i) {
            const Result r = decodeOne(*dec, jpeg[i]);
            QVERIFY(r.ret >= 1);
            QCOMPARE(r.width, 641);
            QCOMPARE(r.height, 361);
            QVERIFY(r.picture == reference[i].yuv);
        }
        // 4:4:4 goes through the scaler into 4:2:0; luma keeps its shape.
        const auto full = MediaFixtures::encodeMjpeg(333, 211, 1, AV_PIX_FMT_YUVJ444P);
        Result r = decodeOne(*dec, full[0]);
        QVERIFY(r.ret >= 1);
        QCOMPARE(r.width, 333);
        QCOMPARE(r.height, 211);
        QCOMPARE(int(r.picture.size()), int(TvYuvLayout::pictureSize(333, 211)));
        const uint8_t* u = r.picture.data() + TvYuvLayout::uOffset(333, 211);
        QVERIFY(qAbs(int(u[0]) - 140) <= 20); // chroma written (encoded as 140), not left at zero
        // MPEG-4 Part 2 decoders exist for type 11.
        QVERIFY(h264Decoder(1920, 1080, 11));
    }

    void alawAndUlaw() {
        Bytes block(256);
        for (int i = 0; i < 256; ++i)
            block[size_t(i)] = uint8_t(i);
        for (int type : {0, 1}) {
            ADecSetup s;
            s.codecType = type;
            auto dec = ADec::create(s);
            QVERIFY(dec);
            Bytes input = padded(block);
            ADecFrame f;
            f.payload = input.data();
            f.length = 256;
            QCOMPARE(dec->decode(f), 256);
            QCOMPARE(f.pcmBytes, 512);
            const auto* pcm = reinterpret_cast<const int16_t*>(f.pcm);
            for (int i = 0; i < 256; ++i) {
                const int expected = type == 0 ? alawReference(uint8_t(i)) : ulawReference(uint8_t(i));
                QVERIFY2(
                    pcm[i] == expected,
                    qPrintable(
                        QString("type %1 code %2: %3 != %4").arg(type).arg(i).arg(pcm[i]).arg(expected)));
            }
        }
    }

    void audioBlocks() {
        ADecSetup s; // the cell's set-up: A-law, mono, 8000 Hz, 1280 samples
        auto dec = ADec::create(s);
        QVERIFY(dec);
        // 320-byte blocks as the cameras send them, and one longer than the frame size.
        for (int size : {320, 1, 1280, 4000, 320}) {
            Bytes block(size_t(size), 0xD5);
            Bytes input = padded(block);
            ADecFrame f;
            f.payload = input.data();
            f.length = size;
            QCOMPARE(dec->decode(f), size);
            QCOMPARE(f.pcmBytes, size * 2);
            const auto* pcm = reinterpret_cast<const int16_t*>(f.pcm);
            QCOMPARE(int(pcm[size - 1]), alawReference(0xD5));
        }
        ADecFrame none;
        QCOMPARE(dec->decode(none), 0);
        QVERIFY(!none.pcm);

        // G.726 with 5-bit codes can be made and fed.
        ADecSetup g726;
        g726.codecType = 2;
        auto gdec = ADec::create(g726);
        QVERIFY(gdec);
        Bytes junk(200, 0x3C);
        Bytes input = padded(junk);
        ADecFrame f;
        f.payload = input.data();
        f.length = 200;
        QVERIFY(gdec->decode(f) > 0);
    }
};

QTEST_GUILESS_MAIN(TestDecoders)
#include "test_decoders.moc"
