// VDec and ADec against libavcodec used directly, and their behaviour on bad input. Then the rest of the
// sound pipe: G.711 A-law codes at the limits, talk blocks leaving whole with the remainder kept, and the
// listen buffer's bound that keeps playback from drifting behind the picture.
#include "ADec.h"
#include "AlawCodec.h"
#include "MediaFixtures.h"
#include "TvAudioIODevice.h"
#include "TvYuvLayout.h"
#include "VDec.h"

#include <QtTest>

#include <map>
#include <random>
#include <tuple>

using MediaFixtures::Bytes;

namespace {

Bytes padded(const Bytes& unit) {
    Bytes p(unit);
    p.resize(unit.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    return p;
}

struct Result {
    int ret = 0, width = 0, height = 0;
    Bytes picture;
};

Result decodeOne(VDec& dec, const Bytes& unit, int nominalW = 1920, int nominalH = 1080) {
    Bytes input = padded(unit);
    VDecFrame f;
    f.payload = input.data();
    f.length = int(unit.size());
    std::tie(f.width, f.height) = std::make_pair(nominalW, nominalH);
    Result r{dec.decode(f), f.width, f.height, {}};
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

int feed(ADec& dec, const Bytes& block, ADecFrame& f) {
    Bytes input = padded(block); // only read during the call
    f.payload = input.data();
    f.length = int(block.size());
    return dec.decode(f);
}

} // namespace

class TestDecoders : public QObject {
    Q_OBJECT
private slots:
    void sameBytesAsLibavcodecThroughSizeChanges() {
        // One decoder over streams of changing size and nominal size; the buffer stays the one made for
        // the nominal size, unless the picture is bigger. Last, a fresh decoder for a small nominal size.
        const struct {
            int width, height, nominalW, nominalH;
            long long buffer; // 0: at least the picture
        } segments[] = {{640, 360, 1920, 1080, 6220800},     {1920, 1080, 1920, 1080, 6220800},
                        {640, 480, 1920, 1080, 6220800},     {1280, 720, 1920, 1080, 6220800},
                        {640, 360, 640, 360, 640 * 360 * 3}, {1920, 1080, 320, 240, 0}};
        auto dec = h264Decoder();
        QVERIFY(dec);
        for (const auto& s : segments) {
            if (s.buffer == 0)
                dec = h264Decoder(s.nominalW, s.nominalH);
            const std::vector<Bytes> clip = MediaFixtures::encodeH264(s.width, s.height, 12, 6);
            const auto reference = MediaFixtures::decodeDirect(clip);
            QCOMPARE(int(reference.size()), 12);
            for (size_t i = 0; i < clip.size(); ++i) {
                const Result r = decodeOne(*dec, clip[i], s.nominalW, s.nominalH);
                QVERIFY(r.ret == int(clip[i].size()) && r.width == s.width && r.height == s.height);
                QVERIFY2(r.picture == reference[i].yuv,
                         qPrintable(QString("%1x%2 picture %3 differs").arg(s.width).arg(s.height).arg(i)));
            }
            if (s.buffer)
                QCOMPARE(dec->bufferSize(), s.buffer);
            else
                QVERIFY(dec->bufferSize() >= TvYuvLayout::pictureSize(s.width, s.height));
        }
    }

    void badInput() {
        // No parameter sets yet, random bytes with and without a start code, cut units, flipped bits,
        // sizes that cannot be allocated, no data: no crash, no hang; a key frame decodes exactly again.
        const auto clip = MediaFixtures::encodeH264(640, 360, 20, 10);
        const auto reference = MediaFixtures::decodeDirect(clip);
        auto dec = h264Decoder();
        for (int i = 1; i < 10; ++i)
            QVERIFY(decodeOne(*dec, clip[size_t(i)]).ret < 1);
        QVERIFY(decodeOne(*dec, clip[10]).picture == reference[10].yuv);
        std::mt19937 rng(7);
        for (int i = 0; i < 200; ++i) {
            Bytes junk(size_t(6 + rng() % 5000));
            for (auto& b : junk)
                b = uint8_t(rng());
            if (i % 2 == 0)
                junk[0] = junk[1] = junk[2] = 0, junk[3] = 1;
            decodeOne(*dec, junk);
        }
        for (Bytes bad : clip) {
            decodeOne(*dec, Bytes(bad.begin(), bad.begin() + long(bad.size() / 3 + 1)));
            for (size_t k = 40; k < bad.size(); k += 37)
                bad[k] ^= 0x5A;
            decodeOne(*dec, bad);
        }
        for (auto size : {std::pair<int, int>{0, 1080}, {-4, 1080}, {100000, 100000}})
            QVERIFY(decodeOne(*dec, clip[0], size.first, size.second).ret < 0);
        VDecFrame empty;
        empty.width = 1920;
        empty.height = 1080;
        QCOMPARE(dec->decode(empty), -1);
        const Result r = decodeOne(*dec, clip[0]);
        QVERIFY(r.ret >= 1 && r.width == 640);
        QVERIFY(r.picture == MediaFixtures::decodeDirect({clip[0]})[0].yuv);
    }

    void otherStreamTypesAndOddSizes() {
        // Motion JPEG (type 12) in 4:2:0 at an odd size: every plane as libavcodec gives it.
        const auto jpeg = MediaFixtures::encodeMjpeg(641, 361, 1, AV_PIX_FMT_YUVJ420P);
        auto dec = h264Decoder(1920, 1080, 12);
        Result r = decodeOne(*dec, jpeg[0]);
        QVERIFY(r.width == 641 && r.height == 361);
        QVERIFY(r.picture == MediaFixtures::decodeDirect(jpeg, AV_CODEC_ID_MJPEG)[0].yuv);
        // 4:4:4 goes through the scaler into 4:2:0; luma keeps its shape, chroma is written.
        r = decodeOne(*dec, MediaFixtures::encodeMjpeg(333, 211, 1, AV_PIX_FMT_YUVJ444P)[0]);
        QVERIFY(r.ret >= 1 && r.width == 333 && r.height == 211);
        QCOMPARE(int(r.picture.size()), int(TvYuvLayout::pictureSize(333, 211)));
        QVERIFY(qAbs(int(r.picture[size_t(TvYuvLayout::uOffset(333, 211))]) - 120) <= 4);
        QVERIFY(h264Decoder(1920, 1080, 11)); // MPEG-4 Part 2
    }

    void audio() {
        // A-law and mu-law silence codes; the cell's set-up (A-law, 1280 samples a frame) with the cameras'
        // 320-byte blocks, tiny ones and one longer than the frame; G.726 with 5-bit codes; no data.
        const struct {
            int type, bytes;
            uint8_t code;
            int result, lastSample; // lastSample -1: not checked
        } cases[] = {{1, 16, 0xFF, 16, 0},   {0, 16, 0xD5, 16, 8},     {0, 320, 0xD5, 320, 8},
                     {0, 1, 0xD5, 1, 8},     {0, 1280, 0xD5, 1280, 8}, {0, 4000, 0xD5, 4000, 8},
                     {0, 320, 0xD5, 320, 8}, {0, 0, 0, 0, -1},         {2, 200, 0x3C, -1, -1}};
        std::map<int, std::unique_ptr<ADec>> decoders; // one per type, fed one row after the other
        for (const auto& c : cases) {
            ADecSetup s;
            s.codecType = c.type;
            auto& dec = decoders[c.type];
            if (!dec)
                dec = ADec::create(s); // owns the PCM buffer
            ADecFrame f;
            const int result = c.bytes ? feed(*dec, Bytes(size_t(c.bytes), c.code), f) : dec->decode(f);
            QVERIFY(c.result < 0 ? result > 0 : result == c.result && f.pcmBytes == 2 * c.result);
            QVERIFY(c.bytes || !f.pcm);
            if (c.lastSample >= 0 && c.bytes)
                QCOMPARE(int(reinterpret_cast<const int16_t*>(f.pcm)[c.bytes - 1]), c.lastSample);
        }
    }

    void alawCodes() {
        // Zero, minus one and the limits; the camera decodes each back to within the code's step.
        for (auto [sample, code] :
             {std::pair<int, int>{0, 0xD5}, {-1, 0x5A}, {32767, 0xAA}, {-32768, 0x2A}}) {
            QCOMPARE(int(AlawCodec::encode(qint16(sample))), code);
            QVERIFY(std::abs(AlawCodec::decode(uint8_t(code)) - sample) <= 1024);
        }
    }

    void talkBlocks() {
        const struct {
            QList<int> captures; // bytes per capture
            int blocks, kept;
        } cases[] = {{{1000}, 1, 360},      // one block and a remainder
                     {{1000, 280}, 2, 0},   // the remainder completes
                     {{639}, 0, 639},       // short
                     {{3 * 640 + 2}, 3, 2}, // several at once
                     {{0}, 0, 0}};
        for (const auto& c : cases) {
            TvAudioIODevice device;
            QVERIFY(device.open(TvAudioIODevice::kModeTalk));
            QList<QByteArray> sent;
            device.setBlockSink([&](const QByteArray& block) { sent << block; });
            // 0x0A bytes included: the capture passes them unchanged (0x0A0A is a valid sample).
            for (int bytes : c.captures)
                QCOMPARE(device.write(QByteArray(bytes, char(0x0A))), qint64(bytes));
            QCOMPARE(sent.size(), c.blocks);
            for (const QByteArray& block : sent)
                QVERIFY(block.size() == 320 && uint8_t(block.at(0)) == AlawCodec::encode(qint16(0x0A0A)));
            QCOMPARE(device.captureBytes(), c.kept);
            device.close();
            QVERIFY(device.captureBytes() == 0 && device.mode() == 0);
        }
    }

    void listenBuffer() {
        const int bound = TvAudioIODevice::kMaxPlaybackBytes;
        // Under, at, an hour over the bound; an odd length drops whole samples from the front (the last half
        // sample waits for its other byte).
        const std::pair<int, int> cases[] = {
            {640, 640}, {bound, bound}, {8000 * 2 * 3600, bound}, {bound + 1, bound - 1}};
        for (const auto& [appended, buffered] : cases) {
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
    }
};

QTEST_GUILESS_MAIN(TestDecoders)
#include "test_decoders.moc"
