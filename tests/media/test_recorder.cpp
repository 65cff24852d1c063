// The recorder: key-frame cache, recordings read back with libavformat (size, profile, order, times),
// failures that end a recording, a disk that stalls, and the times of B-frame streams.
#include "../liveview/LogLines.h"
#include "MediaFixtures.h"
#include "TvMediaObject.h"
#include "TvNalUnits.h"
#include "VeFrameTimer.h"
#include "VeRecordCenter.h"
#include "VeRecordWriter.h"
#include "VeVideoRecorder.h"

#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <thread>

using MediaFixtures::Bytes;

namespace {

void push(VeRecordCenter& center, const std::vector<Bytes>& clip, int from, int to, int pauseMs = 0) {
    for (int i = from; i < to; ++i) {
        TvMediaObject object(true, clip[size_t(i)].data(), int(clip[size_t(i)].size()), 1920, 1080);
        center.push(&object);
        if (pauseMs > 0)
            QThread::msleep(static_cast<unsigned long>(pauseMs));
    }
}

// The end reports of one centre, received on the GUI thread as the cells receive them.
struct Ended : QObject {
    QList<QPair<QString, bool>> got;
    explicit Ended(VeRecordCenter& center) {
        connect(&center, &VeRecordCenter::recordingEndedSignal, this, [this](const QString& path, bool ok) {
            got.append({path, ok});
        });
    }
    // Exactly one report, for this path with this outcome.
    bool waitOne(const QString& path, bool ok) {
        return QTest::qWaitFor([this]() { return !got.isEmpty(); }, 15000) && got.size() == 1 &&
               got[0] == qMakePair(path, ok);
    }
};

} // namespace

class TestRecorder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_baseline = TvMediaObject::liveCount();
        // Lines logged on the writer's thread are counted, not ignored: Qt 5's test runner edits its list of
        // ignored messages without a lock, and crashes when another thread logs at the same moment.
        LogLines::install();
        m_dir = QDir::tempPath() + "/kvab-rec-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(m_dir);
        m_clip = MediaFixtures::encodeH264(640, 360, 60, 10);
        QCOMPARE(int(m_clip.size()), 60);
    }
    void cleanupTestCase() {
        QVERIFY(VeRecordCenter::waitForWriters(10000));
        QDir(m_dir).removeRecursively();
        QCOMPARE(TvMediaObject::liveCount(), m_baseline);
    }

    void startRules() {
        VeRecordCenter center;
        QVERIFY(!center.stop());
        QCOMPARE(center.elapsedText(), QStringLiteral("00:00:00"));
        QTest::ignoreMessage(QtWarningMsg, "缓存队列为空，不能初始化");
        QVERIFY(!center.start(m_dir + "/empty.mov"));
        push(center, m_clip, 0, 5);
        const QString first = m_dir + "/first.mov";
        Ended ended(center);
        QVERIFY(center.start(first) && center.isRecording());
        QTest::ignoreMessage(QtWarningMsg, "已经开启录像了，不需要重复开启");
        QVERIFY(!center.start(m_dir + "/second.mov"));
        QCOMPARE(center.path(), first);
        QVERIFY(center.stop());
        QVERIFY(!center.isRecording() && !center.stop());
        QVERIFY(ended.waitOne(first, true));
        QVERIFY(!QFile::exists(m_dir + "/second.mov"));
        // A closed call's group is not a start for the next call's recording.
        center.clearCache();
        QTest::ignoreMessage(QtWarningMsg, "缓存队列为空，不能初始化");
        QVERIFY(!center.start(m_dir + "/after-clear.mov"));
    }

    void keyFrameCache() {
        // The cache restarts at every key frame (with the last parameter sets in front when the stream
        // sends them only once), takes no audio, nothing before a parameter set, and never grows unbounded.
        const int cap = VeRecordCenter::kCacheMaxPackets;
        const struct {
            const char* kind;
            int from, to, cached;
        } cases[] = {
            {"baseline", 1, 10, 0}, // before the first parameter set
            {"baseline", 0, 25, 5},  {"sps-once", 0, 45, 5},   {"never", 0, 60, 0},
            {"no-key", 0, cap, cap}, {"no-key", 0, cap + 1, 0}}; // no key frame again: at, over the cap
        for (const auto& c : cases) {
            VeRecordCenter center;
            TvMediaObject sound(false, m_clip[0].data(), 320, 0, 0);
            center.push(&sound);
            center.push(nullptr);
            if (c.to > cap)
                QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^key-frame cache over its limit"));
            push(center, clipOf(c.kind), c.from, c.to);
            QVERIFY2(center.cachedCount() == c.cached, qPrintable(QString("%1 to %2").arg(c.kind).arg(c.to)));
        }
    }

    void recordingsReadBack_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("startAt");
        QTest::addColumn<int>("pauseMs");
        QTest::newRow("real time") << "baseline" << 1 << 40;
        QTest::newRow("mid group") << "baseline" << 17 << 0;
        QTest::newRow("three-byte start codes") << "three-byte" << 3 << 0;
        QTest::newRow("High profile, B-frames") << "b-frames" << 1 << 0;
        QTest::newRow("parameter sets only once") << "sps-once" << 25 << 0;
    }
    void recordingsReadBack() {
        // From the cached group on, every picture in presentation order with rising times, at the parameter
        // sets' size and profile; paced, as long as the recording lasted.
        QFETCH(QString, kind);
        QFETCH(int, startAt);
        QFETCH(int, pauseMs);
        const std::vector<Bytes> clip = clipOf(kind);
        const int first = kind == "b-frames" ? 0 : startAt / 10 * 10;
        const int end = kind == "b-frames" ? int(clip.size()) : first + 25;
        const QString path = m_dir + "/" + QString(QTest::currentDataTag()).replace(' ', '_') + ".mov";
        {
            VeRecordCenter center;
            Ended ended(center);
            push(center, clip, 0, startAt);
            QVERIFY(center.start(path));
            push(center, clip, startAt, end, pauseMs);
            QVERIFY(center.stop());
            push(center, clip, 0, 5); // after the stop nothing more is written
            QVERIFY(ended.waitOne(path, true));
        }
        const auto r = MediaFixtures::readBack(path);
        QVERIFY(r.width == 640 && r.height == 360 && r.packets == end - first && r.decodeErrors == 0);
        QCOMPARE(r.profile, kind == "b-frames" ? FF_PROFILE_H264_HIGH : FF_PROFILE_H264_CONSTRAINED_BASELINE);
        QVERIFY(r.timesInOrder);
        const std::vector<Bytes>& source = kind == "b-frames" ? clip : m_clip; // the same pictures
        const auto reference =
            MediaFixtures::decodeDirect(std::vector<Bytes>(source.begin() + first, source.begin() + end));
        QCOMPARE(r.decoded, int(reference.size()));
        for (size_t i = 0; i < reference.size(); ++i)
            QVERIFY2(Bytes(reference[i].yuv.begin(), reference[i].yuv.begin() + long(r.lumas[i].size())) ==
                         r.lumas[i],
                     qPrintable(QString("picture %1 out of order").arg(i)));
        if (pauseMs > 0)
            QVERIFY2(std::abs(r.seconds - (end - startAt) * pauseMs / 1000.0) < 0.15,
                     qPrintable(QString::number(r.seconds)));
    }

    void failuresEndTheRecording_data() {
        QTest::addColumn<QString>("place");
        QTest::addColumn<QString>("log");
        const char* rows[][3] = {{"folder is a file", "plain-file/x.mov", "初始化录像控制器失败"},
                                 {"no container in the name", "noextension", "初始化录像控制器失败"},
                                 {"device full at once", "full.mov", "初始化录像控制器失败"},
                                 {"folder removed", "gone/x.mov", "录像文件已不存在"},
                                 {"disk full while writing", "tmpfs/x.mov", "Error muxing packet"},
                                 {"no picture", "nopicture.mov", "录像没有写入任何画面"}};
        for (const auto& row : rows)
            QTest::newRow(row[0]) << QString(row[1]) << QString(row[2]);
    }
    void failuresEndTheRecording() {
        // start() answers at once; the failure arrives as the end report with false, the centre stops on
        // its own, and what was written before a failure still plays.
        QFETCH(QString, place);
        QFETCH(QString, log);
        const QString path = m_dir + "/" + place;
        const QString folder = QFileInfo(path).absolutePath();
        QFile(m_dir + "/plain-file").open(QIODevice::WriteOnly);
        if (place != "plain-file/x.mov")
            QDir().mkpath(folder);
        if (place == "full.mov")
            QVERIFY(QFile::link("/dev/full", path));
        const bool tmpfs = place.startsWith("tmpfs");
        if (tmpfs && QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=600k", "tmpfs", folder}) != 0)
            QSKIP("mounting a small tmpfs needs root");
        LogLines::clear(); // the writer's thread logs the failure while this one pushes
        VeRecordCenter center;
        Ended ended(center);
        const Bytes& key = m_clip[0];
        const Bytes sets(key.begin(), key.begin() + TvNalUnits::find(key.data(), int(key.size()), 5));
        push(center, place == "nopicture.mov" ? std::vector<Bytes>(5, sets) : m_clip, 0, 5);
        QVERIFY(center.start(path));
        if (place == "gone/x.mov") {
            QTRY_VERIFY(QFile::exists(path));
            QVERIFY(QDir(folder).removeRecursively());
        }
        const int rounds = tmpfs ? 40 : place == "nopicture.mov" ? 0 : 2;
        for (int i = 0; i < rounds && center.isRecording(); ++i)
            push(center, m_clip, 5, 60);
        if (place == "gone/x.mov" || place == "nopicture.mov")
            center.stop(); // these only fail when the file is closed
        QVERIFY(ended.waitOne(path, false));
        QVERIFY(!center.isRecording() && !center.stop()); // it stopped by itself
        QVERIFY2(LogLines::contains(log), qPrintable(log));
        if (tmpfs) {
            const QString saved = m_dir + "/full-disk.mov";
            QFile::copy(path, saved);
            QProcess::execute("umount", {folder});
            const auto r = MediaFixtures::readBack(saved);
            QVERIFY(r.decoded >= 10 && r.decodeErrors <= 1); // only the picture the full disk cut
        }
    }

    void stalledDisk_data() {
        QTest::addColumn<bool>("waits"); // a download waits for room; live video must not
        QTest::newRow("live drops whole groups") << false;
        QTest::newRow("download waits and loses nothing") << true;
    }

    void stalledDisk() {
        // An unread pipe is a stopped disk: live pushes keep returning and drop whole groups, a download
        // waits for room; once the disk moves again the file decodes cleanly.
        QFETCH(bool, waits);
        const QString fifo = m_dir + QStringLiteral("/stall-%1.mov").arg(waits);
        QCOMPARE(mkfifo(fifo.toUtf8().constData(), 0600), 0);
        const int reader = ::open(fifo.toUtf8().constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        std::atomic<bool> ended{false}, endedOk{false};
        VeRecordWriter::Limits limits;
        limits.maxBytes = 150 * 1024;
        limits.maxPackets = 40;
        auto writer = VeRecordWriter::start(
            fifo, [&](const QString&, bool ok) { endedOk = ok, ended = true; }, limits);
        LogLines::clear(); // both threads log: see initTestCase
        std::atomic<bool> pushed{false};
        std::thread sdk([&]() {
            for (int round = 0; round < 6; ++round)
                for (const Bytes& unit : m_clip) {
                    if (waits && !writer->waitForRoom(int64_t(unit.size()), 20000))
                        return;
                    writer->push(
                        std::make_shared<TvMediaObject>(true, unit.data(), int(unit.size()), 1920, 1080), 0,
                        MediaFixtures::nalType(unit) == 7);
                }
            pushed = true;
        });
        if (waits) {
            QTest::qWait(500);
            QVERIFY(!pushed.load()); // held up by the stalled disk
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(pushed.load(), 10000); // never waits for the stalled disk
            QVERIFY(writer->droppedPackets() > 0);
            QVERIFY(LogLines::contains("recording cannot keep up with the disk"));
            QVERIFY(LogLines::contains("recording resumes at a key frame"));
        }
        // The disk moves again: read until the writer closes its end.
        QByteArray file;
        fcntl(reader, F_SETFL, 0);
        std::thread drain([&]() {
            char buffer[65536];
            for (ssize_t n; (n = ::read(reader, buffer, sizeof buffer)) > 0;)
                file.append(buffer, int(n));
        });
        sdk.join();
        QVERIFY(pushed.load());
        writer->finish();
        drain.join();
        ::close(reader);
        QTRY_VERIFY(ended.load());
        QVERIFY(endedOk.load());
        QFile out(m_dir + QStringLiteral("/stalled-%1.mov").arg(waits));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        const auto r = MediaFixtures::readBack(out.fileName());
        QCOMPARE(r.decoded, writer->writtenPackets());
        QCOMPARE(r.decoded + writer->droppedPackets(), 6 * 60);
        QCOMPARE(writer->droppedPackets() == 0, waits);
        QCOMPARE(r.decodeErrors, 0);
    }

    void centreGoneWhileTheWriterCloses() {
        // The cell can go while its file is still being closed: the writer finishes alone, tells nobody.
        const QString path = m_dir + "/orphan.mov";
        {
            VeRecordCenter center;
            push(center, m_clip, 0, 10);
            QVERIFY(center.start(path));
            push(center, m_clip, 10, 60);
        }
        QVERIFY(VeRecordCenter::waitForWriters(10000));
        QCOMPARE(MediaFixtures::readBack(path).decoded, 60);
        QCOMPARE(VeVideoRecorder::formatElapsed(3725), QStringLiteral("01:02:05"));
    }

    void frameTimes() {
        // Times in ms, -1 unknown (then 15 fps). A burst still rises; a B-frame group is shown one frame
        // late in picture order, its last time extrapolated at the mean frame length.
        const struct {
            std::vector<qint64> arrival;
            std::vector<int> poc;
            std::vector<qint64> dts, pts;
        } cases[] = {{{-1, -1, -1}, {-1, -1, -1}, {0, 66, 133}, {0, 66, 133}},
                     {{5000, 5000, 5000, 5100}, {0, 2, 4, 6}, {0, 1, 2, 100}, {0, 1, 2, 100}},
                     {{1000, 1040, 1080, 1120, 1160, 1200, 1240},
                      {0, 6, 2, 4, 12, 8, 10},
                      {0, 40, 80, 120, 160, 200, 240},
                      {40, 160, 80, 120, 280, 200, 240}}};
        for (const auto& c : cases) {
            VeFrameTimer timer;
            for (size_t i = 0; i < c.arrival.size(); ++i)
                timer.add(c.arrival[i] < 0 ? 0 : c.arrival[i] * 1000, c.poc[i], i == 0);
            QCOMPARE(timer.ready(), 0); // the group is open
            timer.finish();
            for (size_t i = 0; i < c.arrival.size(); ++i) {
                QVERIFY(timer.ready() > 0);
                const VeFrameTimer::Stamp s = timer.take();
                QVERIFY2(s.dts / 1000 == c.dts[i] && s.pts / 1000 == c.pts[i],
                         qPrintable(QString::number(i)));
            }
        }
    }

private:
    // The clip as cameras of each kind send it.
    std::vector<Bytes> clipOf(const QString& kind) {
        if (kind == "b-frames")
            return MediaFixtures::encodeH264(640, 360, 40, 12, 0, 2);
        if (kind == "no-key") { // one key frame, then P slices only
            std::vector<Bytes> units(size_t(VeRecordCenter::kCacheMaxPackets + 1),
                                     Bytes{0, 0, 0, 1, 0x41, 0x9A});
            units[0] = m_clip[0];
            return units;
        }
        std::vector<Bytes> clip(m_clip);
        for (size_t i = kind == "sps-once" ? 1 : 0; i < clip.size(); ++i) {
            if (kind == "three-byte")
                clip[i] = MediaFixtures::repack(clip[i].data(), int(clip[i].size()), true, true);
            else if (kind != "baseline")
                clip[i] = MediaFixtures::repack(clip[i].data(), int(clip[i].size()), false);
        }
        return clip;
    }

    int m_baseline = 0;
    QString m_dir;
    std::vector<Bytes> m_clip;
};

QTEST_GUILESS_MAIN(TestRecorder)
#include "test_recorder.moc"
