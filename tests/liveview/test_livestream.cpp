// Which stream each camera plays as the grid changes, the switch that keeps the last picture, and the
// mark of a cell that skips pictures to keep up, with real cells.
#include "LiveTestSupport.h"
#include "NxDataCenter.h"
#include "TvDefaultSettings.h"
#include "TvSkipMark.h"
#include "VeOpenGLWidget.h"

#include <thread>

namespace {

// Records the stream switches the cells ask for, as "id main" or "id sub".
class StreamHost : public RecordingHost {
public:
    void switchStream(VeCameraModel* camera) override {
        switches.append(camera->deviceId + (camera->mainStream ? " main" : " sub"));
    }
    QStringList switches;
};

int pictureWidth(TvPlayWidget* cell) {
    QByteArray picture;
    int width = 0, height = 0;
    return cell->renderer()->copyFrame(picture, width, height) ? width : 0;
}

} // namespace

class TestLiveStream : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        LogLines::install();
        NxDataCenter::instance();
        m_main = MediaFixtures::encodeH264(640, 360, 6, 6);
        m_sub = MediaFixtures::encodeH264(320, 240, 6, 6);
        QVERIFY2(m_main.size() == 6 && m_sub.size() == 6, "libx264 is needed for the test clips");
    }
    void init() {
        TvDefaultSettings::instance()->setAdaptiveStreams(true);
        m_view = std::make_unique<TvDisplayMangeView>();
        m_view->resize(1280, 720);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }
    void cleanup() {
        stopAll();
        m_view.reset();
        TvDefaultSettings::instance()->setAdaptiveStreams(true);
    }

    void streamFollowsTheGrid() {
        // Every camera asked for its main stream by a double-click, one perhaps by the menu (chosen).
        // M: main, S: sub; the exclusive cell fills the view.
        const struct {
            int cells, chosen, exclusive;
            bool adaptive;
            QString streams;
            int switches;
        } cases[] = {{1, -1, -1, true, "M", 0},
                     {4, -1, -1, true, "MMMM", 0},
                     {5, -1, -1, true, "SSSSS", 5},
                     {9, -1, -1, true, "SSSSSSSSS", 9},
                     {16, -1, -1, true, QString(16, 'S'), 16},
                     {5, 2, -1, true, "SSMSS", 4},
                     {5, -1, -1, false, "MMMMM", 0},
                     {9, -1, 4, true, "SSSSMSSSS", 10}};
        for (const auto& c : cases) {
            StreamHost host;
            TvDefaultSettings::instance()->setAdaptiveStreams(c.adaptive);
            for (int i = 0; i < c.cells; ++i)
                QVERIFY(play(QStringLiteral("GR-%1-%2").arg(&c - cases).arg(i), i == c.chosen));
            if (c.exclusive >= 0)
                m_view->wantExclusiveSlot(m_view->cells().at(c.exclusive), true);
            QTRY_VERIFY2(streams() == c.streams, qPrintable(QString::number(&c - cases) + ": " + streams()));
            QTest::qWait(50);
            QVERIFY2(host.switches.size() == c.switches, qPrintable(host.switches.join(',')));
            stopAll();
        }
    }

    void gridReturnsAndSwitchHoldsThePicture() {
        StreamHost host;
        for (int i = 0; i < 5; ++i)
            QVERIFY(play(QStringLiteral("SW-%1").arg(i)));
        QTRY_COMPARE(streams(), QStringLiteral("SSSSS"));
        // The new stream's pictures that need an earlier one are dropped; the last picture of the old
        // stream shows until the new stream's key frame has decoded.
        TvPlayWidget* first = m_view->cells().first();
        QTRY_COMPARE(first->queuedCount(), 0);
        push(first, {m_sub.begin() + 1, m_sub.end()});
        QVERIFY(first->renderer()->hasImage());
        QCOMPARE(first->skippedPictures(), 5);
        push(first, {m_sub.front()});
        QTRY_COMPARE(pictureWidth(first), 320);
        QCOMPARE(first->damagedPictures(), 0);
        // Single-cell view plays the main stream, the grid the sub stream again; four cells play main.
        m_view->wantExclusiveSlot(first, true);
        QTRY_COMPARE(streams(), QStringLiteral("MSSSS"));
        m_view->wantExclusiveSlot(first, false);
        QTRY_COMPARE(streams(), QStringLiteral("SSSSS"));
        m_view->stopForIdentify(QStringLiteral("SW-4"));
        QTRY_COMPARE(streams(), QStringLiteral("MMMM"));
        QCOMPARE(host.switches.size(), 5 + 2 + 4);
        QVERIFY(LogLines::contains(QStringLiteral("stream switch \"SW-0\" main")));
    }

    void skipMarkWhileTheCellFallsBehind() {
        StreamHost host;
        TvPlayWidget* cell = play(QStringLiteral("SK-1"));
        QVERIFY(cell);
        auto* mark = cell->findChild<TvSkipMark*>(QStringLiteral("widget_skipping"));
        QVERIFY(mark && mark->isHidden());
        // Three seconds of big pictures at once: far more than the cell decodes in half a second.
        const auto burst = MediaFixtures::encodeH264(1280, 720, 75, 25);
        LogLines::clear();
        push(cell, burst);
        QTRY_VERIFY_WITH_TIMEOUT(!mark->isHidden(), 3000);
        QVERIFY(cell->skippedPictures() > 0 && mark->geometry().right() < cell->width());
        QVERIFY(LogLines::contains(QStringLiteral("SK-1 falls behind: skips to the newest key frame")));
        QTRY_VERIFY_WITH_TIMEOUT(mark->isHidden(), 3000);
        QVERIFY(LogLines::contains(
            QStringLiteral("SK-1 caught up; pictures skipped in all: %1").arg(cell->skippedPictures())));
        QCOMPARE(cell->damagedPictures(), 0);
    }

private:
    // Binds and starts a cell for a new camera asked to play its main stream, and gives it a picture.
    TvPlayWidget* play(const QString& id, bool chosen = false) {
        VeCameraModel* camera = cloudCamera(id);
        camera->mainStream = true;
        TvPlayWidget* cell = m_view->bindCamera(camera);
        if (!cell)
            return nullptr;
        cell->setStreamRequest(true, chosen);
        cell->setEndPause(10);
        m_view->startCell(id);
        push(cell, {m_main.front()});
        return QTest::qWaitFor([cell] { return cell->state() == TvPlayStatePlaying; }, 5000) ? cell : nullptr;
    }
    // The units as the SDK thread delivers them.
    void push(TvPlayWidget* cell, const std::vector<MediaFixtures::Bytes>& units) {
        std::thread sdk([&] {
            for (const MediaFixtures::Bytes& unit : units)
                cell->pushMediaObject(videoObject(unit, 1920, 1080));
        });
        sdk.join();
    }
    QString streams() const {
        QString out;
        for (TvPlayWidget* cell : m_view->cells())
            out += cell->camera()->mainStream ? 'M' : 'S';
        return out;
    }
    void stopAll() { QVERIFY(stopAllCells(*m_view)); }

    std::unique_ptr<TvDisplayMangeView> m_view;
    std::vector<MediaFixtures::Bytes> m_main, m_sub;
};

QTEST_MAIN(TestLiveStream)
#include "test_livestream.moc"
