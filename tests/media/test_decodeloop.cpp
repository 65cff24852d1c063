// The cell decode loop on TvDecodeThread: order, pictures, audio only while listening, stopping with a
// full queue, broken streams, and the live edge of a cell that cannot keep up.
#include "MediaFixtures.h"
#include "TvDecodeCell.h"
#include "TvDecodeThread.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "VDec.h"

#include <QtTest>

#include <atomic>

using MediaFixtures::Bytes;

namespace {

class TestCell : public TvDecodeCell {
public:
    QMutex lock;
    std::vector<MediaFixtures::Picture> pictures;
    std::atomic<int> audioBytes{0};
    QSemaphore finished, pictureArrived;
    int showMs = 0; // a renderer slower than the camera

    void updateImage(const uint8_t* yuv, int width, int height) override {
        QThread::msleep(static_cast<unsigned long>(showMs));
        {
            TvMutexLocker l(&lock);
            pictures.push_back({width, height, Bytes(yuv, yuv + TvYuvLayout::pictureSize(width, height))});
        }
        pictureArrived.release();
    }
    void playAudio(const uint8_t*, int bytes) override { audioBytes += bytes; }
    void decodeLoopFinished() override { finished.release(); }
    QString cellName() const override { return QStringLiteral("test-cell"); }

    void push(const Bytes& unit, bool video = true) {
        enqueue(std::make_unique<TvMediaObject>(video, unit.data(), int(unit.size()), video ? 1920 : 0,
                                                video ? 1080 : 0));
    }
    int pictureCount() {
        TvMutexLocker l(&lock);
        return int(pictures.size());
    }
    bool pictureIs(size_t index, const Bytes& yuv) {
        TvMutexLocker l(&lock);
        return index < pictures.size() && pictures[index].yuv == yuv;
    }
};

std::unique_ptr<TvDecodeThread> startLoop(TestCell& cell, int pauseMs = 10, bool running = true) {
    cell.setRunning(running);
    cell.setPlayState(2);
    auto thread = std::make_unique<TvDecodeThread>(&cell, nullptr);
    thread->setEndPause(pauseMs);
    thread->start(QThread::TimeCriticalPriority);
    return thread;
}

} // namespace

class TestDecodeLoop : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_baseline = TvMediaObject::liveCount(); }

    void decodesInOrderWithAudioOnlyWhileListeningAndKeepsTheLiveEdge() {
        // Paced, every picture shows in order. Pushed all at once to a cell that shows a picture slower
        // than they come, the queue skips to newer key frames: what shows is in order, never a picture
        // decoded without its key frame, and every picture is either shown or counted as skipped.
        const auto clip = MediaFixtures::encodeH264(640, 360, 60, 10);
        const auto reference = MediaFixtures::decodeDirect(clip);
        const Bytes audio(320, 0xD5);
        const struct {
            bool listening;
            int showMs;
        } cases[] = {{false, 0}, {true, 0}, {false, 30}};
        for (const auto& c : cases) {
            TestCell cell;
            cell.setListening(c.listening);
            cell.showMs = c.showMs;
            auto thread = startLoop(cell);
            for (const Bytes& unit : clip) {
                cell.push(audio, false);
                cell.push(unit);
                QVERIFY(c.showMs > 0 || cell.pictureArrived.tryAcquire(1, 20000));
            }
            QTRY_VERIFY_WITH_TIMEOUT(cell.pictureIs(size_t(cell.pictureCount() - 1), reference.back().yuv),
                                     20000);
            QCOMPARE(cell.pictureCount() + cell.skippedPictures(), 60);
            QCOMPARE(cell.damagedPictures(), 0);
            for (int i = 0, r = 0; i < cell.pictureCount(); ++i, ++r) {
                while (r < 60 && !cell.pictureIs(size_t(i), reference[size_t(r)].yuv))
                    ++r;
                QVERIFY2(r < 60, qPrintable(QString("picture %1 is out of order or damaged").arg(i)));
            }
            QVERIFY(c.showMs > 0 ? cell.skippedPictures() > 0 : cell.pictureCount() == 60);
            QCOMPARE(cell.audioBytes.load(), c.listening ? 60 * 640 : 0);
            cell.setPlayState(0); // idle cells queue nothing, so play no sound
            cell.push(audio, false);
            QCOMPARE(cell.queuedCount(), 0);
            finish(cell, thread);
        }
    }

    void stopsWithFullQueueOrWaiting() {
        // Stopped before the loop starts: it skips straight to the clean-up, frees the 50 objects and
        // pauses a second.
        TestCell cell;
        cell.setRunning(true);
        cell.setPlayState(2);
        for (int i = 0; i < 50; ++i)
            cell.push(Bytes(1000, 0x11));
        cell.stopDecoding();
        QTest::ignoreMessage(QtWarningMsg, "缓存队列还有数据 50");
        QElapsedTimer timer;
        timer.start();
        auto thread = startLoop(cell, 1000, false);
        QVERIFY(cell.finished.tryAcquire(1, 10000));
        QVERIFY(timer.elapsed() >= 1000 && cell.pictureCount() == 0);
        finish(cell, thread, false);
        // Woken with an empty queue: the loop leaves at the wait.
        TestCell idle;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^mainThread 639"));
        thread = startLoop(idle);
        QTest::qWait(100);
        finish(idle, thread);
    }

    void brokenStreams() {
        // Starts without parameter sets: nothing until the key frame at 10 (junk bytes and cut units: the
        // decoders' own test). The decoder's clock of the last clean picture starts when it decodes the
        // last clean one, never before its push: counted from there, the time until a damaged picture
        // shows is never too short, however slow the machine.
        const auto clip = MediaFixtures::encodeH264(320, 240, 20, 10);
        const auto reference = MediaFixtures::decodeDirect(clip);
        TestCell cell;
        auto thread = startLoop(cell);
        for (int i = 1; i < 12; ++i)
            cell.push(clip[size_t(i)]);
        QElapsedTimer sinceClean;
        sinceClean.start();
        cell.push(clip[12]);
        QVERIFY(cell.pictureArrived.tryAcquire(3, 20000));
        QVERIFY(cell.pictureIs(0, reference[10].yuv) && cell.pictureIs(2, reference[12].yuv));

        // Every picture damaged (a lossy link cuts every unit): dropped at first, so one bad picture does
        // not replace a good one, then shown once no clean picture came for a second, and counted.
        const int before = cell.pictureCount();
        for (int round = 0; cell.pictureCount() == before && sinceClean.elapsed() < 10000; ++round) {
            const Bytes& unit = clip[size_t(round % 20)];
            cell.push(Bytes(unit.begin(), unit.begin() + long(unit.size() * 6 / 10)));
            QThread::msleep(50);
        }
        QVERIFY(cell.pictureCount() > before && sinceClean.elapsed() >= VDec::kConcealAfterMs);
        QVERIFY(cell.damagedPictures() >= 15);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^damaged pictures \\d+ \"test-cell\""));
        finish(cell, thread);
    }

private:
    // Stops the loop (unless it already finished), joins it and checks that every object is freed.
    void finish(TestCell& cell, std::unique_ptr<TvDecodeThread>& thread, bool stop = true) {
        if (stop) {
            cell.stopDecoding();
            QVERIFY(cell.finished.tryAcquire(1, 10000));
        }
        thread.reset();
        QCOMPARE(TvMediaObject::liveCount(), m_baseline);
    }
    int m_baseline = 0;
};

QTEST_GUILESS_MAIN(TestDecodeLoop)
#include "test_decodeloop.moc"
