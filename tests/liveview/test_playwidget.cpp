// The play cell: its states from start to self-deletion, the watchdog, digital zoom and panning, the
// selection inset and snapshots. Real widgets, real decoding (xvfb-run with GLX).
#define QTEST_QPA_MOUSE_HANDLING // mouse events through the window system, with the button state kept
#include "FakeSdk.h"
#include "LiveTestSupport.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "TvDisplayMangeView.h"
#include "TvResolutionMap.h"
#include "VeOpenGLWidget.h"
#include "VePlayCoverWidget.h"

#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <thread>

namespace {

// The renderer covers the whole cell: no gap on any side.
bool covers(const QRect& renderer, const QSize& cell) {
    return renderer.left() <= 0 && renderer.top() <= 0 && renderer.right() >= cell.width() - 1 &&
           renderer.bottom() >= cell.height() - 1;
}

QString describe(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// A drag with the left button in small steps, as a hand would do it.
void drag(QWidget* widget, QPoint from, QPoint to, int steps = 6) {
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(widget, from + (to - from) * i / steps);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
}

// A started cell for the camera whose loop ends quickly after a stop; the watchdog is left to the test.
TvPlayWidget* startedCell(VeCameraModel* camera, int endPauseMs = 10, bool handTicks = true) {
    auto* cell = new TvPlayWidget;
    cell->camera = camera;
    cell->setEndPause(endPauseMs);
    cell->start();
    if (handTicks)
        watchdogOf(cell)->stop(); // the ticks are driven by hand
    return cell;
}

void ticks(TvPlayWidget* cell, int n) {
    for (int i = 0; i < n; ++i)
        cell->globalTimeOut();
}

} // namespace

class TestPlayWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        LogLines::install();
        NxDataCenter::instance();
        m_units = MediaFixtures::encodeH264(320, 240, 30, 10);
        QVERIFY2(m_units.size() >= 30, "libx264 is needed for the test clips");
    }
    void cleanup() {
        TvPlayHost::install(nullptr);
        closeStrayCells();
    }

    void stateMachineAndSelfDeletion();
    void objectsAfterStopAndUnstartedCells();
    void lateFirstPictureAfterStop();
    void watchdogLimits();
    void lanOnlineForcesReconnect();
    void zoomLevels();
    void panningNeverUncovers();
    void selectionInset();
    void snapshots();

private:
    std::vector<MediaFixtures::Bytes> m_units;
};

void TestPlayWidget::stateMachineAndSelfDeletion() {
    RecordingHost host;
    ScopedHost scoped(&host);
    auto camera = cloudCamera(QStringLiteral("SM-1"));
    QPointer<TvPlayWidget> cell = new TvPlayWidget;
    cell->camera = camera;
    cell->resize(400, 300);
    cell->show();
    QVERIFY(QTest::qWaitForWindowExposed(cell));
    auto* idlePicture = cell->findChild<QLabel*>(QStringLiteral("label_noCamera"));
    auto* animation = cell->findChild<QWidget*>(QStringLiteral("widget_connectAnimal"));
    QVERIFY(idlePicture && animation);
    QCOMPARE(cell->state(), TvPlayStateIdle);
    QVERIFY(idlePicture->isVisible());
    QVERIFY(!watchdogOf(cell));

    const int baseObjects = TvMediaObject::liveCount();
    cell->setEndPause(20);
    cell->start();
    QCOMPARE(cell->state(), TvPlayStateConnecting);
    QVERIFY(animation->isVisible());
    QVERIFY(!idlePicture->isVisible());
    QTimer* watchdog = watchdogOf(cell);
    QVERIFY(watchdog && watchdog->isActive());
    QCOMPARE(watchdog->interval(), 1000);
    QCOMPARE(cell->timeoutCount(), 0);

    // The SDK thread feeds the clip; the first decoded picture makes the cell play.
    std::thread sdk([&] {
        for (const MediaFixtures::Bytes& unit : m_units)
            cell->pushMediaObject(videoObject(unit, 320, 240));
    });
    sdk.join();
    QTRY_COMPARE(cell->state(), TvPlayStatePlaying);
    QTRY_VERIFY(!animation->isVisible()); // the GUI thread follows through the queued state signal
    QVERIFY(cell->renderer()->hasImage());
    QCOMPARE(TvResolutionMap::instance()->value(QStringLiteral("SM-1")), QStringLiteral("320x240"));
    // Every decoded object was freed; only the record center's copies since the last key frame remain.
    QTRY_COMPARE(cell->queuedCount(), 0);
    QCOMPARE(cell->recordCenter().cachedCount(), 10);
    QTRY_COMPARE(TvMediaObject::liveCount(), baseObjects + 10);
    // Many pictures, one change to playing (the first entry is the constructor's idle).
    QCOMPARE(host.states, QList<int>({TvPlayStateIdle, TvPlayStateConnecting, TvPlayStatePlaying}));
    QVERIFY(cell->timeoutCount() <= 1);

    // Closing returns to idle at once, drops the picture and the watchdog; the loop then deletes the cell.
    cell->close();
    QCOMPARE(cell->state(), TvPlayStateIdle);
    QVERIFY(idlePicture->isVisible());
    QVERIFY(!cell->renderer()->hasImage());
    QVERIFY(!watchdogOf(cell));
    QCOMPARE(host.states.last(), int(TvPlayStateIdle));
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);

    // A later call on the same key with another picture size replaces the resolution text.
    const auto small = MediaFixtures::encodeH264(176, 144, 3, 10);
    QPointer<TvPlayWidget> second = startedCell(camera, 20, false);
    for (const MediaFixtures::Bytes& unit : small)
        second->pushMediaObject(videoObject(unit, 176, 144));
    QTRY_COMPARE(second->state(), TvPlayStatePlaying);
    QCOMPARE(TvResolutionMap::instance()->value(QStringLiteral("SM-1")), QStringLiteral("176x144"));
    // Stopping into another state shows that state's widget.
    second->stop(TvPlayStateFailed);
    QVERIFY(second->findChild<QWidget*>(QStringLiteral("widget_failed"))->isVisibleTo(second));
    QTRY_VERIFY_WITH_TIMEOUT(second.isNull(), 5000);
}

void TestPlayWidget::objectsAfterStopAndUnstartedCells() {
    auto camera = cloudCamera(QStringLiteral("AS-1"));
    const int baseObjects = TvMediaObject::liveCount();

    // Before start nothing is queued.
    QPointer<TvPlayWidget> cell = new TvPlayWidget;
    cell->camera = camera;
    cell->pushMediaObject(videoObject(m_units[0], 320, 240));
    cell->pushMediaObject(nullptr);
    QCOMPARE(cell->queuedCount(), 0);
    QCOMPARE(cell->recordCenter().cachedCount(), 1); // the recorder keeps its own copy of the key frame
    QCOMPARE(TvMediaObject::liveCount(), baseObjects + 1);

    // Objects that keep coming from the SDK thread while and after the cell stops are freed, not queued.
    cell->setEndPause(300);
    cell->start();
    std::atomic<bool> feeding{true};
    std::thread sdk([&, raw = cell.data()] {
        // The key is still filed on the SDK side for a moment after the stop; the cell must cope.
        for (size_t i = 0; feeding.load(); i = (i + 1) % m_units.size())
            raw->pushMediaObject(videoObject(m_units[i], 320, 240));
    });
    QTRY_COMPARE(cell->state(), TvPlayStatePlaying);
    cell->stop(TvPlayStateIdle);
    QTest::qWait(100); // the loop is in its end pause now; the feeder keeps pushing
    feeding = false;
    sdk.join();
    QVERIFY(!cell.isNull());
    QCOMPARE(cell->queuedCount(), 0);
    QCOMPARE(TvMediaObject::liveCount(), baseObjects + cell->recordCenter().cachedCount());
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);

    // A cell that never started (its call failed) deletes itself on close.
    QPointer<TvPlayWidget> unstarted = new TvPlayWidget;
    unstarted->camera = camera;
    unstarted->close();
    QTRY_VERIFY(unstarted.isNull());
}

void TestPlayWidget::lateFirstPictureAfterStop() {
    // The decode thread hands over the call's first picture just as the cell is stopped: the queued
    // change to playing arrives after the stop and must not bring the stopped cell back to playing.
    RecordingHost host;
    ScopedHost scoped(&host);
    auto camera = cloudCamera(QStringLiteral("LATE-1"));
    QPointer<TvPlayWidget> cell = startedCell(camera, 10, false);
    const MediaFixtures::Bytes grey = MediaFixtures::solidPicture(64, 48, 128, 128, 128);
    std::thread decoder([&, raw = cell.data()] { raw->updateImage(grey.data(), 64, 48); });
    decoder.join(); // the state signal is queued now
    cell->stop(TvPlayStateIdle);
    cell->camera = nullptr; // as the grid does when it unbinds the cell
    QTest::qWait(5);
    QVERIFY(!cell.isNull());
    QCOMPARE(cell->state(), TvPlayStateIdle);
    QVERIFY(cell->findChild<QLabel*>(QStringLiteral("label_noCamera"))->isVisibleTo(cell));
    QCOMPARE(host.states.last(), int(TvPlayStateIdle));
    QVERIFY(!cell->renderer()->hasImage());
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
}

void TestPlayWidget::watchdogLimits() {
    RecordingHost host;
    ScopedHost scoped(&host);
    // The LAN center learns the camera from a discovery report.
    QVERIFY(FakeSdk::fireLan("WD-LAN", "F1", 77, "G711", FakeSdk::On::Caller));
    QVERIFY(NxDataCenter::instance()->lanCenter->contains(QStringLiteral("WD-LAN")));
    auto lanCamera = cloudCamera(QStringLiteral("WD-LAN"));
    auto wanCamera = cloudCamera(QStringLiteral("WD-WAN"));
    QVERIFY(lanCamera->isLanOnline());
    QVERIFY(!wanCamera->isLanOnline());

    QPointer<TvPlayWidget> lanCell = startedCell(lanCamera);
    const int refreshes = FakeSdk::count("nx_LanRefresh");

    ticks(lanCell, TvPlayWidget::kLanTimeout - 1);
    QCOMPARE(lanCell->timeoutCount(), 7);
    QVERIFY(host.reconnects.isEmpty());
    QVERIFY(!lanCell->needsReconnect);
    LogLines::clear();
    lanCell->globalTimeOut();
    QCOMPARE(host.reconnects, QList<VeCameraModel*>({lanCamera}));
    QVERIFY(lanCell->needsReconnect);
    QCOMPARE(lanCell->timeoutCount(), 0);
    QCOMPARE(FakeSdk::count("nx_LanRefresh"), refreshes + 1); // a LAN camera also refreshes the search
    QCOMPARE(LogLines::count(QString::fromUtf8("视频连接超时")), 1);

    // A picture resets the count: five ticks, a picture, seven ticks are no time-out.
    lanCell->needsReconnect = false;
    host.reconnects.clear();
    QVERIFY(FakeSdk::fireLan("WD-LAN", "F1", 77, "G711", FakeSdk::On::Caller)); // back after the refresh
    QVERIFY(lanCamera->isLanOnline());
    ticks(lanCell, 5);
    const MediaFixtures::Bytes grey = MediaFixtures::solidPicture(64, 48, 128, 128, 128);
    lanCell->updateImage(grey.data(), 64, 48);
    ticks(lanCell, 7);
    QVERIFY(host.reconnects.isEmpty());
    QCOMPARE(lanCell->timeoutCount(), 7);
    lanCell->close();

    // A camera reached through the cloud waits 30 ticks.
    QPointer<TvPlayWidget> wanCell = startedCell(wanCamera);
    const int refreshesBefore = FakeSdk::count("nx_LanRefresh");
    ticks(wanCell, TvPlayWidget::kWanTimeout - 1);
    QVERIFY(host.reconnects.isEmpty());
    QCOMPARE(wanCell->timeoutCount(), 29);
    wanCell->globalTimeOut();
    QCOMPARE(host.reconnects, QList<VeCameraModel*>({wanCamera}));
    QVERIFY(wanCell->needsReconnect);
    QCOMPARE(FakeSdk::count("nx_LanRefresh"), refreshesBefore);

    // Without a main window (start-up, exit) the time-out only marks the cell.
    TvPlayHost::install(nullptr);
    wanCell->needsReconnect = false;
    ticks(wanCell, TvPlayWidget::kWanTimeout);
    QVERIFY(wanCell->needsReconnect);
    QCOMPARE(host.reconnects.size(), 1);
    wanCell->close();

    // A cell without a camera only counts.
    QPointer<TvPlayWidget> empty = new TvPlayWidget;
    ticks(empty, 40);
    QVERIFY(!empty->needsReconnect);
    delete empty;
    QTRY_VERIFY_WITH_TIMEOUT(lanCell.isNull() && wanCell.isNull(), 5000);
}

void TestPlayWidget::lanOnlineForcesReconnect() {
    RecordingHost host;
    ScopedHost scoped(&host);
    auto camera = cloudCamera(QStringLiteral("RC-1"));
    QPointer<TvPlayWidget> cell = startedCell(camera);
    ticks(cell, 2);

    // Without a failed call an online report changes nothing.
    QVERIFY(FakeSdk::fireLan("RC-1", "F", 90, "G711", FakeSdk::On::Caller)); // new on the LAN
    QVERIFY(FakeSdk::fireLan("RC-1", "F", 90, "G711", FakeSdk::On::Caller)); // online again
    QCOMPARE(cell->timeoutCount(), 2);
    // Another camera's report leaves a cell that needs reconnecting alone.
    cell->needsReconnect = true;
    cell->LanDeviceOnlineSlot(QStringLiteral("OTHER"));
    QVERIFY(cell->needsReconnect);
    QCOMPARE(cell->timeoutCount(), 2);

    // Its own report, through the LAN center's signal, makes the very next tick reconnect.
    LogLines::clear();
    QVERIFY(FakeSdk::fireLan("RC-1", "F", 90, "G711", FakeSdk::On::Caller));
    QVERIFY(!cell->needsReconnect);
    QCOMPARE(LogLines::count(QString::fromUtf8("强制重连")), 1);
    QVERIFY(host.reconnects.isEmpty());
    cell->globalTimeOut();
    QCOMPARE(host.reconnects, QList<VeCameraModel*>({camera}));
    QCOMPARE(cell->timeoutCount(), 0);
    cell->close();
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
}

void TestPlayWidget::zoomLevels() {
    TvPlayWidget cell;
    cell.resize(640, 480);
    cell.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cell));
    auto* zoomBox = cell.findChild<QWidget*>(QStringLiteral("widget_zoom"));
    auto* zoomText = cell.findChild<QLabel*>(QStringLiteral("label_zoom"));
    QVERIFY(zoomBox && zoomText);
    QVERIFY(!zoomBox->isVisible());
    QCOMPARE(cell.renderer()->geometry(), cell.rect());
    const auto plain = [&] {
        QCOMPARE(cell.zoomLevel(), 0);
        QCOMPARE(cell.renderer()->geometry(), cell.rect());
        QVERIFY(zoomText->text().isEmpty());
        QVERIFY(!zoomBox->isVisible());
    };

    for (int i = 0; i < 15; ++i) {
        cell.on_pushBtn_zoomAdd_clicked();
        QVERIFY(covers(cell.renderer()->geometry(), cell.size()));
    }
    QCOMPARE(cell.zoomLevel(), 14);
    QCOMPARE(zoomText->text(), QStringLiteral("14X"));
    QVERIFY(zoomBox->isVisible());
    // 14 steps of (-W/16, -H/16) and (+W/8, +H/8); the 15th changed nothing.
    QCOMPARE(cell.renderer()->geometry(), QRect(-560, -420, 640 + 14 * 80, 480 + 14 * 60));

    for (int level = 13; level >= 1; --level) {
        cell.on_pushBtn_zoomMin_clicked();
        QCOMPARE(cell.zoomLevel(), level);
        QCOMPARE(zoomText->text(), QStringLiteral("%1X").arg(level));
        QVERIFY(covers(cell.renderer()->geometry(), cell.size()));
    }
    // Out from level 1 is the plain view again.
    cell.on_pushBtn_zoomMin_clicked();
    plain();
    cell.on_pushBtn_zoomMin_clicked(); // out at 0 stays at 0
    plain();

    // A new size drops the zoom.
    for (int i = 0; i < 3; ++i)
        cell.on_pushBtn_zoomAdd_clicked();
    cell.resize(500, 400);
    QTRY_COMPARE(cell.size(), QSize(500, 400));
    plain();
}

void TestPlayWidget::panningNeverUncovers() {
    TvPlayWidget cell;
    cell.resize(640, 480);
    cell.show();
    QVERIFY(QTest::qWaitForWindowExposed(&cell));
    const QSize size = cell.size();

    // Without zoom a drag moves nothing.
    drag(&cell, QPoint(320, 240), QPoint(500, 400));
    QCOMPARE(cell.renderer()->geometry(), cell.rect());

    for (int i = 0; i < 3; ++i)
        cell.on_pushBtn_zoomAdd_clicked();
    const QRect zoomed = cell.renderer()->geometry();
    QCOMPARE(zoomed, QRect(-120, -90, 880, 660));

    const QPoint centre(320, 240);
    const QList<QPoint> directions = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {1, 1}, {-1, -1}, {1, -1}, {-1, 1}};
    for (const QPoint& d : directions) {
        // Several long drags push the picture to its limit in that direction and beyond.
        for (int k = 0; k < 3; ++k) {
            drag(&cell, centre, centre + QPoint(d.x() * 300, d.y() * 220));
            const QRect r = cell.renderer()->geometry();
            QVERIFY2(covers(r, size), qPrintable(describe(r)));
            QCOMPARE(r.size(), zoomed.size()); // panning moves, never resizes
        }
        // Pinned exactly at the edge it was pushed against.
        const QRect r = cell.renderer()->geometry();
        if (d.x() != 0)
            QCOMPARE(d.x() > 0 ? r.left() : r.right(), d.x() > 0 ? 0 : size.width() - 1);
        if (d.y() != 0)
            QCOMPARE(d.y() > 0 ? r.top() : r.bottom(), d.y() > 0 ? 0 : size.height() - 1);
    }

    // Pushed into the bottom-right corner and zoomed deeper, then all the way out: never a gap.
    for (int i = 0; i < 11; ++i)
        cell.on_pushBtn_zoomAdd_clicked();
    for (int k = 0; k < 4; ++k)
        drag(&cell, QPoint(600, 440), QPoint(20, 20));
    QCOMPARE(cell.renderer()->geometry().bottomRight(), QPoint(639, 479));
    while (cell.zoomLevel() > 0) {
        cell.on_pushBtn_zoomMin_clicked();
        const QRect r = cell.renderer()->geometry();
        QVERIFY2(covers(r, size), qPrintable(describe(r)));
    }
    QCOMPARE(cell.renderer()->geometry(), cell.rect());
    QCOMPARE(cell.cursor().shape(), Qt::ArrowCursor); // released: the closed hand is gone
}

void TestPlayWidget::selectionInset() {
    // Alone, without a grid, selection never insets.
    TvPlayWidget alone;
    alone.resize(300, 200);
    alone.setSelected(true);
    QCOMPARE(alone.renderer()->geometry(), QRect(0, 0, 300, 200));
    auto* aloneCover = alone.findChild<VePlayCoverWidget*>(QStringLiteral("widget_cover"));
    QVERIFY(aloneCover && !aloneCover->isSelected());

    TvDisplayMangeView view;
    view.resize(800, 600);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    auto a = cloudCamera(QStringLiteral("SEL-A"));
    auto b = cloudCamera(QStringLiteral("SEL-B"));
    TvPlayWidget* cellA = view.bindCamera(a);
    QVERIFY(cellA);
    auto* coverA = cellA->findChild<VePlayCoverWidget*>(QStringLiteral("widget_cover"));
    // A grid of one: no frame, no inset.
    cellA->setSelected(true);
    QCOMPARE(cellA->renderer()->geometry(), cellA->rect());
    QVERIFY(!coverA->isSelected());

    TvPlayWidget* cellB = view.bindCamera(b);
    QVERIFY(cellB);
    view.selectCellAt(0);
    QCOMPARE(view.selectedCell(), cellA);
    QCOMPARE(cellA->renderer()->geometry(), cellA->rect().adjusted(2, 2, -2, -2));
    QVERIFY(coverA->isSelected());
    QCOMPARE(cellB->renderer()->geometry(), cellB->rect());
    view.selectCellAt(1);
    QCOMPARE(cellA->renderer()->geometry(), cellA->rect());
    QVERIFY(!coverA->isSelected());
    QCOMPARE(cellB->renderer()->geometry(), cellB->rect().adjusted(2, 2, -2, -2));

    // A zoomed cell keeps its zoomed rectangle when the selection moves.
    cellA->on_pushBtn_zoomAdd_clicked();
    const QRect zoomed = cellA->renderer()->geometry();
    view.selectCellAt(0);
    QCOMPARE(cellA->renderer()->geometry(), zoomed);
    cellA->on_pushBtn_zoomMin_clicked(); // the reset honours the frame
    QCOMPARE(cellA->renderer()->geometry(), cellA->rect().adjusted(2, 2, -2, -2));

    // An exclusive cell is never framed.
    view.wantExclusiveSlot(cellA, true);
    cellA->setSelected(true);
    QCOMPARE(cellA->renderer()->geometry(), QRect(0, 0, 800, 600));
    QVERIFY(!coverA->isSelected());
    view.wantExclusiveSlot(cellA, false);
    view.stopForIdentify(QStringLiteral("SEL-A"));
    view.stopForIdentify(QStringLiteral("SEL-B"));
}

void TestPlayWidget::snapshots() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto camera = cloudCamera(QStringLiteral("SNAP-1"));
    QPointer<TvPlayWidget> cell = new TvPlayWidget;
    cell->resize(320, 240);
    QSignalSpy done(cell.data(), &TvPlayWidget::snapshotDoneSignal);
    const MediaFixtures::Bytes picture = MediaFixtures::solidPicture(352, 288, 90, 110, 150);

    QVERIFY(!cell->snapshot(dir.path())); // no camera
    cell->camera = camera;
    QVERIFY(!cell->snapshot(dir.path())); // no picture yet
    cell->renderer()->setImage(picture.data(), 352, 288);
    QTest::qWait(260);
    QVERIFY(!cell->snapshot(dir.path())); // the stream stalled: the picture is too old
    QTest::qWait(50);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(done.count(), 0);

    // A fresh picture becomes a JPEG of the picture's size, named by device and time.
    cell->renderer()->setImage(picture.data(), 352, 288);
    QVERIFY(cell->snapshot(dir.path()));
    QTRY_COMPARE(done.count(), 1);
    QCOMPARE(done.at(0).at(0).toBool(), true);
    const QString path = done.at(0).at(1).toString();
    QVERIFY2(QRegularExpression(
                 QStringLiteral("^%1/SNAP-1_\\d{14}\\.jpg$").arg(QRegularExpression::escape(dir.path())))
                 .match(path)
                 .hasMatch(),
             qPrintable(path));
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(352, 288));

    // A folder that cannot exist (its parent is a plain file) is reported, not fatal.
    const QString plainFile = dir.filePath(QStringLiteral("not-a-folder"));
    {
        QFile f(plainFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
    const QString badFolder = plainFile + QStringLiteral("/snaps");
    cell->renderer()->setImage(picture.data(), 352, 288);
    QVERIFY(cell->snapshot(badFolder)); // accepted at once; the writer finds out
    QTRY_COMPARE(done.count(), 2);
    QCOMPARE(done.at(1).at(0).toBool(), false);
    QVERIFY(done.at(1).at(1).toString().startsWith(badFolder));
    QVERIFY(!QFile::exists(done.at(1).at(1).toString()));

    // The cell may be gone before its writer reports.
    cell->renderer()->setImage(picture.data(), 352, 288);
    QVERIFY(cell->snapshot(dir.path()));
    delete cell;
    QTest::qWait(300);
}

QTEST_MAIN(TestPlayWidget)
#include "test_playwidget.moc"
