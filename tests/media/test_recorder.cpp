// VeRecordCenter and VeVideoRecorder: the key-frame cache, start/stop rules, files read back with
// libavformat (frames, count, duration), recordings cut short, unwritable folders.
#include "MediaFixtures.h"
#include "TvMediaObject.h"
#include "VeRecordCenter.h"
#include "VeVideoRecorder.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QtTest>

using MediaFixtures::Bytes;

namespace {

struct ReadBack {
    bool opened = false;
    int packets = 0;
    int keyPackets = 0;
    int decoded = 0;
    int decodeErrors = 0;
    double seconds = 0;
    int width = 0;
    int height = 0;
    std::vector<Bytes> lumas;
};

ReadBack readBack(const QString& path) {
    ReadBack r;
    AVFormatContext* raw = nullptr;
    if (avformat_open_input(&raw, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return r;
    std::unique_ptr<AVFormatContext, void (*)(AVFormatContext*)> fmt(
        raw, [](AVFormatContext* p) { avformat_close_input(&p); });
    if (avformat_find_stream_info(fmt.get(), nullptr) < 0 || fmt->nb_streams != 1)
        return r;
    r.opened = true;
    AVStream* st = fmt->streams[0];
    const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
    std::unique_ptr<AVCodecContext, MediaFixtures::CtxFree> ctx(avcodec_alloc_context3(codec));
    avcodec_parameters_to_context(ctx.get(), st->codecpar);
    avcodec_open2(ctx.get(), codec, nullptr);
    std::unique_ptr<AVPacket, MediaFixtures::PacketFree> pkt(av_packet_alloc());
    std::unique_ptr<AVFrame, MediaFixtures::FrameFree> frame(av_frame_alloc());
    int64_t end = 0;
    auto receive = [&]() {
        while (avcodec_receive_frame(ctx.get(), frame.get()) >= 0) {
            ++r.decoded;
            if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT))
                ++r.decodeErrors;
            r.width = frame->width;
            r.height = frame->height;
            Bytes luma(size_t(frame->width) * frame->height);
            for (int y = 0; y < frame->height; ++y)
                std::memcpy(luma.data() + size_t(y) * frame->width, frame->data[0] + y * frame->linesize[0],
                            size_t(frame->width));
            r.lumas.push_back(std::move(luma));
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(fmt.get(), pkt.get()) >= 0) {
        ++r.packets;
        if (pkt->flags & AV_PKT_FLAG_KEY)
            ++r.keyPackets;
        end = std::max(end, pkt->pts + pkt->duration);
        if (avcodec_send_packet(ctx.get(), pkt.get()) < 0)
            ++r.decodeErrors;
        receive();
        av_packet_unref(pkt.get());
    }
    avcodec_send_packet(ctx.get(), nullptr);
    receive();
    r.seconds = end * av_q2d(st->time_base);
    return r;
}

std::unique_ptr<TvMediaObject> object(const Bytes& unit) {
    return std::make_unique<TvMediaObject>(true, unit.data(), int(unit.size()), 1920, 1080);
}

void push(VeRecordCenter& center, const std::vector<Bytes>& clip, int from, int to) {
    for (int i = from; i < to; ++i) {
        auto o = object(clip[size_t(i)]);
        center.push(o.get());
    }
}

} // namespace

class TestRecorder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_baseline = TvMediaObject::liveCount();
        m_dir = QDir::tempPath() + "/kvab-rec-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(m_dir);
        m_clip = MediaFixtures::encodeH264(640, 360, 60, 10);
        QCOMPARE(int(m_clip.size()), 60);
    }
    void cleanupTestCase() {
        QDir(m_dir).removeRecursively();
        QCOMPARE(TvMediaObject::liveCount(), m_baseline);
    }

    void startRules() {
        VeRecordCenter center;
        QVERIFY(!center.stop());
        QCOMPARE(center.elapsedText(), QStringLiteral("00:00:00"));
        QTest::ignoreMessage(QtWarningMsg, "缓存队列为空，不能初始化");
        QVERIFY(!center.start(m_dir + "/empty.mov"));
        // Packets before the first sequence parameter set are not cached.
        push(center, m_clip, 1, 10);
        QCOMPARE(center.cachedCount(), 0);
        QTest::ignoreMessage(QtWarningMsg, "缓存队列为空，不能初始化");
        QVERIFY(!center.start(m_dir + "/empty.mov"));
        // Audio and invalid objects take no part.
        const Bytes audio(320, 0xD5);
        TvMediaObject sound(false, audio.data(), 320, 0, 0);
        center.push(&sound);
        center.push(nullptr);
        QCOMPARE(center.cachedCount(), 0);

        // The cache restarts at every parameter set and holds one group of pictures.
        push(center, m_clip, 10, 25);
        QCOMPARE(center.cachedCount(), 5);
        push(center, m_clip, 25, 30);
        QCOMPARE(center.cachedCount(), 10);

        // Unwritable places fail with a log line and leave the centre idle.
        QFile plain(m_dir + "/plain-file");
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        for (const QString& bad : {m_dir + "/plain-file/x.mov", m_dir + "/missing/x.mov"}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^create I/O context error"));
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^初始化录像控制器失败"));
            QVERIFY(!center.start(bad));
            QVERIFY(!center.isRecording());
        }
        // A name without a known container fails the same way.
        QTest::ignoreMessage(QtWarningMsg, "alloc output context error......");
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^初始化录像控制器失败"));
        QVERIFY(!center.start(m_dir + "/noextension"));

        const QString first = m_dir + "/first.mov";
        QVERIFY(center.start(first));
        QVERIFY(center.isRecording());
        QTest::ignoreMessage(QtWarningMsg, "已经开启录像了，不需要重复开启");
        QVERIFY(!center.start(m_dir + "/second.mov"));
        QCOMPARE(center.path(), first);
        QVERIFY(center.stop());
        QVERIFY(!center.isRecording());
        QVERIFY(!center.stop());
        QVERIFY(!QFile::exists(m_dir + "/second.mov"));
        QVERIFY(readBack(first).opened);
    }

    void recordingReadsBack() {
        // The file starts at the cached key frame group and plays 30 packets at 15 fps (2 s of file time),
        // decoding to the stream's own pictures, at the true size from the parameter set. Started at a
        // group's start, or in its middle; after the stop the centre keeps caching, but writes nothing.
        for (int startAt : {5, 17}) {
            const QString path = m_dir + QStringLiteral("/cam_%1.mov").arg(startAt);
            {
                VeRecordCenter center;
                push(center, m_clip, 0, startAt);
                QCOMPARE(center.cachedCount(), startAt % 10);
                QVERIFY(center.start(path));
                push(center, m_clip, startAt, startAt / 10 * 10 + 30);
                QVERIFY(center.stop());
                push(center, m_clip, 40, 45);
            }
            const ReadBack r = readBack(path);
            QVERIFY(r.opened);
            QCOMPARE(r.packets, 30);
            QCOMPARE(r.decoded, 30);
            QCOMPARE(r.decodeErrors, 0);
            QCOMPARE(r.keyPackets, 3);
            QCOMPARE(r.width, 640);
            QCOMPARE(r.height, 360);
            QVERIFY2(std::abs(r.seconds - 2.0) < 0.07, qPrintable(QString::number(r.seconds)));
            const int first = startAt / 10 * 10;
            const auto reference = MediaFixtures::decodeDirect(
                std::vector<Bytes>(m_clip.begin() + first, m_clip.begin() + first + 30));
            QCOMPARE(int(reference.size()), 30);
            for (int i = 0; i < 30; ++i)
                QVERIFY(Bytes(reference[size_t(i)].yuv.begin(),
                              reference[size_t(i)].yuv.begin() + 640 * 360) == r.lumas[size_t(i)]);
        }
    }

    void cutShortStaysPlayable() {
        const QString path = m_dir + "/cut.mov";
        const QString snapshot = m_dir + "/killed.mov";
        VeRecordCenter center;
        push(center, m_clip, 0, 1);
        QVERIFY(center.start(path));
        push(center, m_clip, 1, 55);
        // What is on disk now is what a killed client leaves behind: no trailer.
        QVERIFY(QFile::copy(path, snapshot));
        ReadBack r = readBack(snapshot);
        QVERIFY(r.opened);
        qInfo() << "killed recording keeps" << r.decoded << "of 55 frames";
        QVERIFY2(r.decoded >= 40, qPrintable(QString::number(r.decoded)));
        QCOMPARE(r.decodeErrors, 0);
        center.stop();

        // A finished file cut in the middle still plays its first groups.
        QFile full(path);
        QVERIFY(full.open(QIODevice::ReadWrite));
        QVERIFY(full.resize(full.size() / 2));
        full.close();
        r = readBack(path);
        QVERIFY(r.opened);
        qInfo() << "half file keeps" << r.decoded << "of 55 frames";
        QVERIFY2(r.decoded >= 20, qPrintable(QString::number(r.decoded)));
    }

    void recorderDirectAndNalSearch() {
        VeRecordParams params;
        params.width = 640;
        params.height = 360;
        VeVideoRecorder recorder(m_dir + "/direct.mov", params);
        QVERIFY(recorder.isOpen());
        QCOMPARE(recorder.elapsedText(), QStringLiteral("00:00:00")); // nothing written yet
        const Bytes& p = m_clip[1];
        VeRecordPacket packet;
        packet.data = p.data();
        packet.length = int(p.size());
        packet.pts = 1000;
        QTest::ignoreMessage(QtWarningMsg, "wait I frame.....");
        QCOMPARE(recorder.writePacket(packet), 0);
        QVERIFY(!recorder.hasWritten());
        QCOMPARE(recorder.packetCount(), 0);
        // A key packet starts the file; times afterwards follow the fixed rate, whatever is passed in.
        const int idr = VeRecordCenter::findNal(m_clip[0].data(), int(m_clip[0].size()), 5);
        QVERIFY(idr > 0);
        packet.data = m_clip[0].data() + idr;
        packet.length = int(m_clip[0].size()) - idr;
        packet.key = true;
        QCOMPARE(recorder.writePacket(packet), 1);
        packet.data = p.data();
        packet.length = int(p.size());
        packet.key = false;
        packet.pts = 0;
        QCOMPARE(recorder.writePacket(packet), 1);
        QCOMPARE(recorder.packetCount(), 2);
        QCOMPARE(recorder.elapsedText(), QStringLiteral("00:00:01"));
        QCOMPARE(recorder.elapsedText(), QStringLiteral("00:00:02"));
        recorder.close();
        recorder.close();
        QCOMPARE(recorder.writePacket(packet), 0);

        QCOMPARE(VeVideoRecorder::formatElapsed(3725), QStringLiteral("01:02:05"));
        QCOMPARE(VeVideoRecorder::formatElapsed(359999), QStringLiteral("99:59:59"));

        // NAL search: the SPS at 0, the PPS behind it, no AUD; nothing in null or too short input.
        const Bytes& key = m_clip[0];
        QCOMPARE(VeRecordCenter::findNal(key.data(), int(key.size()), 7), 0);
        QVERIFY(VeRecordCenter::findNal(key.data(), int(key.size()), 8) > 0);
        QCOMPARE(VeRecordCenter::findNal(key.data(), int(key.size()), 9), -1);
        QCOMPARE(VeRecordCenter::findNal(nullptr, 100, 5), -1);
        QCOMPARE(VeRecordCenter::findNal(key.data(), 4, 7), -1);
    }

private:
    int m_baseline = 0;
    QString m_dir;
    std::vector<Bytes> m_clip;
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "test_recorder.moc"
