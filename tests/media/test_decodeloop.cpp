// The cell decode loop on TvDecodeThread: order, pictures, audio only while listening, stopping with a
// full queue, broken streams, and one-shot jobs.
#include "MediaFixtures.h"
#include "TvDecodeCell.h"
#include "TvDecodeThread.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "VDec.h"

#include <QtTest>

#include <atomic>
#include <random>

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
            QCOMPARE(cell.audioBytes.load() > 0, c.listening);
            cell.setPlayState(0); // idle cells queue nothing, so play no sound
            cell.push(audio, false);
            QCOMPARE(cell.queuedCount(), 0);
            finish(cell, thread);
        }
    }

    void stopsWithFullQueueBusyOrWaiting() {
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
        // Stopped while decoding a full queue of big pictures.
        TestCell busy;
        thread = startLoop(busy);
        for (const Bytes& unit : MediaFixtures::encodeH264(1920, 1080, 40, 10))
            busy.push(unit);
        QVERIFY(busy.pictureArrived.tryAcquire(2, 20000));
        finish(busy, thread);
        // Woken with an empty queue: the loop leaves at the wait.
        TestCell idle;
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^mainThread 639"));
        thread = startLoop(idle);
        QTest::qWait(100);
        finish(idle, thread);
    }

    void brokenStreams() {
        const auto clip = MediaFixtures::encodeH264(320, 240, 20, 10);
        const auto reference = MediaFixtures::decodeDirect(clip);
        TestCell cell;
        auto thread = startLoop(cell);
        // Starts without parameter sets: nothing until the key frame at 10. Then garbage, a cut unit and a
        // bare start code: no pictures, no hang; a marker picture shows everything in front was handled.
        for (int i = 1; i < 13; ++i)
            cell.push(clip[size_t(i)]);
        QVERIFY(cell.pictureArrived.tryAcquire(3, 20000));
        std::mt19937 rng(3);
        for (int i = 0; i < TvDecodeCell::kMaxQueuedPictures - 2; ++i) {
            Bytes junk(size_t(10 + rng() % 3000));
            for (auto& b : junk)
                b = uint8_t(rng());
            cell.push(junk);
        }
        cell.push(Bytes{0, 0, 0, 1});
        // The decoder's clock of the last clean picture starts when it decodes this one, never before
        // the push: counted from here, the time until a damaged picture shows is never too short, however
        // slow the machine.
        QElapsedTimer sinceClean;
        sinceClean.start();
        cell.push(clip[0]);
        QVERIFY(cell.pictureArrived.tryAcquire(1, 20000));
        QVERIFY(cell.pictureIs(0, reference[10].yuv) && cell.pictureIs(3, reference[0].yuv));

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

    void oneShotJob() {
        std::atomic<Qt::HANDLE> jobThread{nullptr};
        QPointer<TvDecodeThread> thread =
            TvDecodeThread::startJob([&]() { jobThread = QThread::currentThreadId(); });
        QTRY_VERIFY_WITH_TIMEOUT(thread.isNull(), 5000); // deletes itself when done
        QVERIFY(jobThread.load() && jobThread.load() != QThread::currentThreadId());
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
