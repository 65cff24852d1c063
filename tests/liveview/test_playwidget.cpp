// The play cell from start to self-deletion: watchdog, reconnecting, recording across a reconnect, zoom,
// snapshots, and its overlays (animation, selection cover, status-bar tip). Real widgets and decoding.
#define QTEST_QPA_MOUSE_HANDLING // mouse events through the window system, with the button state kept
#include "FakeSdk.h"
#include "LiveTestSupport.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "TvClickedLabel.h"
#include "TvConnectAnimationView.h"
#include "TvDisplayMangeView.h"
#include "TvReconnectOverlay.h"
#include "TvResolutionMap.h"
#include "TvTipWidget.h"
#include "VeOpenGLWidget.h"
#include "VePlayCoverWidget.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLabel>
#include <QParallelAnimationGroup>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTranslator>

#include <thread>

namespace {

// The renderer covers the whole cell: no gap on any side.
bool covers(const QRect& renderer, const QSize& cell) {
    return renderer.left() <= 0 && renderer.top() <= 0 && renderer.right() >= cell.width() - 1 &&
           renderer.bottom() >= cell.height() - 1;
}

// A started cell for the camera whose loop ends quickly after a stop; the watchdog is left to the test.
TvPlayWidget* startedCell(VeCameraModel* camera, int endPauseMs = 10, bool handTicks = true) {
    auto* cell = new TvPlayWidget;
    cell->setCamera(camera);
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

bool shown(TvPlayWidget* cell, const char* name) {
    return cell->findChild<QWidget*>(QLatin1String(name))->isVisibleTo(cell);
}

QList<QTimer*> timersOf(QObject* owner) {
    return owner->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
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
    void watchdogTimesOutIntoReconnecting_data();
    void watchdogTimesOutIntoReconnecting();
    void lanOnlineForcesReconnect();
    void recordingEndsWithTheStreamAndResumesInANewFile();
    void zoomPanAndSelectionInset();
    void snapshots();
    void tipFitsReplacesAndHides();
    void animationRunsOneGroupAndRestartsFromCorners();
    void coverDrawsFrameOnlyWhenSelectedAndNotExclusive();

private:
    void feed(TvPlayWidget* cell) {
        std::thread sdk([&] {
            for (const MediaFixtures::Bytes& unit : m_units)
                cell->pushMediaObject(videoObject(unit, 320, 240));
        });
        sdk.join();
    }
    std::vector<MediaFixtures::Bytes> m_units;
};

void TestPlayWidget::stateMachineAndSelfDeletion() {
    RecordingHost host;
    auto camera = cloudCamera(QStringLiteral("SM-1"));
    QPointer<TvPlayWidget> cell = new TvPlayWidget;
    cell->setCamera(camera);
    cell->resize(400, 300);
    cell->show();
    QVERIFY(QTest::qWaitForWindowExposed(cell));
    QVERIFY(!watchdogOf(cell));
    const int baseObjects = TvMediaObject::liveCount();
    cell->setEndPause(20);
    cell->start();
    QVERIFY(shown(cell, "widget_connectAnimal") && watchdogOf(cell) && watchdogOf(cell)->isActive());

    // The SDK thread feeds the clip; the first decoded picture makes the cell play.
    feed(cell);
    QTRY_COMPARE(cell->state(), TvPlayStatePlaying);
    QTRY_VERIFY(!shown(cell, "widget_connectAnimal")); // through the queued state signal
    QCOMPARE(TvResolutionMap::instance()->value(QStringLiteral("SM-1")), QStringLiteral("320x240"));
    // Every decoded object was freed; only the record center's copies since the last key frame remain.
    QTRY_COMPARE(cell->queuedCount(), 0);
    QTRY_VERIFY(cell->recordCenter().cachedCount() == 10 && TvMediaObject::liveCount() == baseObjects + 10);
    // Many pictures, one change to playing (the first entry is the constructor's idle).
    QCOMPARE(host.states, QList<int>({TvPlayStateIdle, TvPlayStateConnecting, TvPlayStatePlaying}));

    // Closing returns to idle at once, drops the picture and the watchdog; the loop then deletes the cell.
    cell->close();
    QVERIFY(cell->state() == TvPlayStateIdle && shown(cell, "label_noCamera"));
    QVERIFY(!cell->renderer()->hasImage() && !watchdogOf(cell));
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);

    // A later call on the same key with another picture size replaces the resolution text; stopping
    // into another state shows that state's widget.
    const auto small = MediaFixtures::encodeH264(176, 144, 3, 10);
    QPointer<TvPlayWidget> second = startedCell(camera, 20, false);
    for (const MediaFixtures::Bytes& unit : small)
        second->pushMediaObject(videoObject(unit, 176, 144));
    QTRY_COMPARE(second->state(), TvPlayStatePlaying);
    QCOMPARE(TvResolutionMap::instance()->value(QStringLiteral("SM-1")), QStringLiteral("176x144"));
    second->stop(TvPlayStateFailed);
    QVERIFY(shown(second, "widget_failed"));
    QTRY_VERIFY_WITH_TIMEOUT(second.isNull(), 5000);
}

void TestPlayWidget::objectsAfterStopAndUnstartedCells() {
    auto camera = cloudCamera(QStringLiteral("AS-1"));
    const int baseObjects = TvMediaObject::liveCount();

    // Before start nothing is queued; the record center keeps its own copy of the key frame.
    QPointer<TvPlayWidget> cell = new TvPlayWidget;
    cell->setCamera(camera);
    cell->pushMediaObject(videoObject(m_units[0], 320, 240));
    cell->pushMediaObject(nullptr);
    QVERIFY(cell->queuedCount() == 0 &&
            TvMediaObject::liveCount() == baseObjects + cell->recordCenter().cachedCount());

    // Objects that keep coming from the SDK thread while and after the cell stops are freed, not queued.
    cell->setEndPause(300);
    cell->start();
    std::atomic<bool> feeding{true};
    std::thread sdk([&, raw = cell.data()] {
        for (size_t i = 0; feeding.load(); i = (i + 1) % m_units.size())
            raw->pushMediaObject(videoObject(m_units[i], 320, 240));
    });
    QTRY_COMPARE(cell->state(), TvPlayStatePlaying);
    cell->stop(TvPlayStateIdle);
    QTest::qWait(100); // the loop is in its end pause now; the feeder keeps pushing
    feeding = false;
    sdk.join();
    QVERIFY(!cell.isNull() && cell->queuedCount() == 0);
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);

    // A cell that never started (its call failed) deletes itself on close.
    QPointer<TvPlayWidget> unstarted = new TvPlayWidget;
    unstarted->setCamera(camera);
    unstarted->close();
    QTRY_VERIFY(unstarted.isNull());
}

void TestPlayWidget::lateFirstPictureAfterStop() {
    // The decode thread hands over the call's first picture just as the cell is stopped: the queued
    // change to playing arrives after the stop and must not bring the stopped cell back to playing.
    RecordingHost host;
    QPointer<TvPlayWidget> cell = startedCell(cloudCamera(QStringLiteral("LATE-1")), 10, false);
    const MediaFixtures::Bytes grey = MediaFixtures::solidPicture(64, 48, 128, 128, 128);
    std::thread decoder([&, raw = cell.data()] { raw->updateImage(grey.data(), 64, 48); });
    decoder.join(); // the state signal is queued now
    cell->stop(TvPlayStateIdle);
    cell->setCamera(nullptr); // as the grid does when it unbinds the cell
    // Only the cell's own queued calls: a wait would also let the closing call's result delete it.
    QCoreApplication::sendPostedEvents(cell, QEvent::MetaCall);
    QVERIFY(!cell.isNull() && cell->state() == TvPlayStateIdle && host.states.last() == TvPlayStateIdle);
    QVERIFY(shown(cell, "label_noCamera") && !cell->renderer()->hasImage());
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
}

void TestPlayWidget::watchdogTimesOutIntoReconnecting_data() {
    QTest::addColumn<bool>("lan");
    QTest::addColumn<int>("limit");
    QTest::newRow("LAN camera") << true << int(TvPlayWidget::kLanTimeout);
    QTest::newRow("cloud camera") << false << int(TvPlayWidget::kWanTimeout);
}

void TestPlayWidget::watchdogTimesOutIntoReconnecting() {
    QFETCH(bool, lan);
    QFETCH(int, limit);
    RecordingHost host;
    const QString id = lan ? QStringLiteral("WD-LAN") : QStringLiteral("WD-WAN");
    if (lan) // the LAN center learns the camera from a discovery report
        QVERIFY(FakeSdk::fireLan("WD-LAN", "F1", 77, "G711", FakeSdk::On::Caller));
    VeCameraModel* camera = cloudCamera(id);
    QCOMPARE(camera->isLanOnline(), lan);
    QPointer<TvPlayWidget> cell = startedCell(camera);
    cell->resize(320, 240);
    feed(cell);
    QTRY_COMPARE(cell->state(), TvPlayStatePlaying);
    QTRY_COMPARE(cell->queuedCount(), 0);
    const int refreshes = FakeSdk::count("nx_LanRefresh");

    // A picture resets the count: limit - 1 ticks, a picture, limit - 1 ticks are no time-out.
    const MediaFixtures::Bytes grey = MediaFixtures::solidPicture(64, 48, 128, 128, 128);
    ticks(cell, limit - 1);
    cell->updateImage(grey.data(), 64, 48);
    ticks(cell, limit - 1);
    QVERIFY(host.reconnects.isEmpty() && !cell->needsReconnect() && cell->timeoutCount() == limit - 1);

    // The limit: a reconnect is asked for, and the picture says so over the last frame.
    if (lan) // seen on the LAN again: the LAN limit applies
        QVERIFY(FakeSdk::fireLan("WD-LAN", "F1", 77, "G711", FakeSdk::On::Caller));
    LogLines::clear();
    cell->globalTimeOut();
    QCOMPARE(host.reconnects, QList<VeCameraModel*>({camera}));
    QVERIFY(cell->needsReconnect() && cell->timeoutCount() == 0);
    QCOMPARE(LogLines::count(QString::fromUtf8("视频连接超时")), 1);
    QTRY_COMPARE(FakeSdk::count("nx_LanRefresh"), refreshes + (lan ? 1 : 0)); // a LAN camera also searches
    QCOMPARE(host.states.last(), int(TvPlayStateReconnecting));
    QVERIFY(shown(cell, "widget_reconnecting") && cell->renderer()->hasImage()); // the last picture, dimmed
    // Real time since the last picture, not ticks (these ticks are driven by hand).
    const QString overlay = cell->findChild<TvReconnectOverlay*>()->text();
    QVERIFY2(overlay.contains(QString::fromUtf8("正在重新连接")) &&
                 overlay.contains(QString::fromUtf8("0 秒")),
             qPrintable(overlay));

    // Ticks while reconnecting keep the cell in that state; the next picture plays again.
    ticks(cell, 2);
    QCOMPARE(cell->state(), TvPlayStateReconnecting);
    std::thread decoder([&, raw = cell.data()] { raw->updateImage(grey.data(), 64, 48); });
    decoder.join();
    QTRY_VERIFY(!shown(cell, "widget_reconnecting")); // through the queued state signal
    QCOMPARE(cell->state(), TvPlayStatePlaying);

    // Without a main window (start-up, exit) the time-out only marks the cell.
    TvPlayHost::install(nullptr);
    cell->setNeedsReconnect(false);
    ticks(cell, TvPlayWidget::kWanTimeout); // the search dropped the LAN camera: the longer limit
    QVERIFY(cell->needsReconnect() && host.reconnects.size() == 1);
    cell->close();

    // A cell without a camera only counts, and never needs reconnecting.
    TvPlayWidget empty;
    empty.setNeedsReconnect(true);
    ticks(&empty, 40);
    QVERIFY(!empty.needsReconnect());
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
}

void TestPlayWidget::lanOnlineForcesReconnect() {
    RecordingHost host;
    auto camera = cloudCamera(QStringLiteral("RC-1"));
    QPointer<TvPlayWidget> cell = startedCell(camera);
    ticks(cell, 2);

    // Without a failed call an online report changes nothing; another camera's report neither.
    for (int i = 0; i < 2; ++i) // new on the LAN, then online again
        QVERIFY(FakeSdk::fireLan("RC-1", "F", 90, "G711", FakeSdk::On::Caller));
    QCOMPARE(cell->timeoutCount(), 2);
    cell->setNeedsReconnect(true);
    cell->LanDeviceOnlineSlot(QStringLiteral("OTHER"));
    QVERIFY(cell->needsReconnect() && cell->timeoutCount() == 2);

    // Its own report, through the LAN center's signal, makes the very next tick reconnect.
    LogLines::clear();
    QVERIFY(FakeSdk::fireLan("RC-1", "F", 90, "G711", FakeSdk::On::Caller));
    QVERIFY(!cell->needsReconnect() && host.reconnects.isEmpty());
    QCOMPARE(LogLines::count(QString::fromUtf8("强制重连")), 1);
    cell->globalTimeOut();
    QCOMPARE(host.reconnects, QList<VeCameraModel*>({camera}));
    cell->close();
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
}

void TestPlayWidget::recordingEndsWithTheStreamAndResumesInANewFile() {
    RecordingHost host;
    QTemporaryDir dir;
    QPointer<TvPlayWidget> cell = startedCell(cloudCamera(QStringLiteral("REC-1")));
    QSignalSpy ended(cell.data(), &TvPlayWidget::recordingEndedSignal);
    QVERIFY(!cell->startRecord(dir.path())); // nothing cached yet
    feed(cell);
    QTRY_COMPARE(cell->state(), TvPlayStatePlaying);
    QVERIFY(cell->startRecord(dir.path()) && cell->isRecording() && shown(cell, "widget_rec_flag"));
    feed(cell);
    QTRY_COMPARE(cell->queuedCount(), 0);
    QTest::qWait(100); // the last picture is out of the decoder

    // The stream stalls: the time-out ends the recording, and its file is reported done.
    ticks(cell, TvPlayWidget::kWanTimeout);
    QVERIFY(cell->state() == TvPlayStateReconnecting && cell->resumesRecording());
    QVERIFY(!cell->isRecording() && !shown(cell, "widget_rec_flag"));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 5000);
    const QString first = ended.at(0).at(0).toString();
    QVERIFY(ended.at(0).at(1).toBool() && QFileInfo(first).size() > 0);

    // The camera comes back (a new call, a new key frame): recording goes on in a file of its own.
    QTest::qWait(1100); // file names carry the second of the start
    cell->recordCenter().clearCache();
    feed(cell);
    QTRY_VERIFY(cell->isRecording()); // through the queued state signal
    QVERIFY(shown(cell, "widget_rec_flag") && !cell->resumesRecording());
    feed(cell);
    cell->stopRecord();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 5000);
    QVERIFY(ended.at(1).at(1).toBool() && ended.at(1).at(0).toString() != first);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    cell->close();
    QTRY_VERIFY_WITH_TIMEOUT(cell.isNull(), 5000);
}

void TestPlayWidget::zoomPanAndSelectionInset() {
    TvDisplayMangeView view;
    view.resize(1280, 480);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    TvPlayWidget* cell = view.bindCamera(cloudCamera(QStringLiteral("ZM-A")));
    TvPlayWidget* other = view.bindCamera(cloudCamera(QStringLiteral("ZM-B")));
    cell->resize(640, 480); // by hand, to keep round numbers
    cell->raise();
    const QSize size = cell->size();

    // Zooming in stops at level 14; every step keeps the picture over the whole cell.
    for (int i = 0; i < 15; ++i) {
        cell->on_pushBtn_zoomAdd_clicked();
        QVERIFY(covers(cell->renderer()->geometry(), size));
    }
    QCOMPARE(cell->zoomLevel(), 14);
    QCOMPARE(cell->renderer()->geometry(), QRect(-560, -420, 640 + 14 * 80, 480 + 14 * 60));
    for (int level = 13; level >= 3; --level)
        cell->on_pushBtn_zoomMin_clicked();

    // Panning hard in every direction never uncovers the cell and pins the picture to the edge.
    const QPoint centre(320, 240);
    for (const QPoint& d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1), QPoint(1, -1)}) {
        for (int k = 0; k < 3; ++k)
            drag(cell, centre, centre + QPoint(d.x() * 300, d.y() * 220));
        const QRect r = cell->renderer()->geometry();
        QVERIFY(covers(r, size));
        if (d.x() != 0)
            QCOMPARE(d.x() > 0 ? r.left() : r.right(), d.x() > 0 ? 0 : size.width() - 1);
        if (d.y() != 0)
            QCOMPARE(d.y() > 0 ? r.top() : r.bottom(), d.y() > 0 ? 0 : size.height() - 1);
    }
    // Zooming all the way out from a corner never uncovers either, and ends in the plain view.
    while (cell->zoomLevel() > 0) {
        cell->on_pushBtn_zoomMin_clicked();
        QVERIFY(covers(cell->renderer()->geometry(), size));
    }
    QVERIFY(!shown(cell, "widget_zoom") && cell->cursor().shape() == Qt::ArrowCursor);

    // Selected in a grid of two: the picture is inset by the frame; a zoomed cell keeps its rectangle
    // until the zoom is reset, which honours the frame.
    view.selectCellAt(0);
    QCOMPARE(cell->renderer()->geometry(), cell->rect().adjusted(2, 2, -2, -2));
    QCOMPARE(other->renderer()->geometry(), other->rect());
    cell->on_pushBtn_zoomAdd_clicked();
    const QRect zoomed = cell->renderer()->geometry();
    view.selectCellAt(1);
    QCOMPARE(cell->renderer()->geometry(), zoomed);
    view.selectCellAt(0);
    cell->on_pushBtn_zoomMin_clicked();
    QCOMPARE(cell->renderer()->geometry(), cell->rect().adjusted(2, 2, -2, -2));
    // A new size drops the zoom.
    cell->on_pushBtn_zoomAdd_clicked();
    cell->resize(500, 400);
    QCOMPARE(cell->zoomLevel(), 0);
    view.stopForIdentify(QStringLiteral("ZM-A"));
    view.stopForIdentify(QStringLiteral("ZM-B"));
}

void TestPlayWidget::snapshots() {
    QTemporaryDir dir;
    QPointer<TvPlayWidget> cell = new TvPlayWidget;
    QSignalSpy done(cell.data(), &TvPlayWidget::snapshotDoneSignal);
    const MediaFixtures::Bytes picture = MediaFixtures::solidPicture(352, 288, 90, 110, 150);

    QVERIFY(!cell->snapshot(dir.path())); // no camera
    cell->setCamera(cloudCamera(QStringLiteral("SNAP-1")));
    QVERIFY(!cell->snapshot(dir.path())); // no picture yet (a stale one: the renderer's test)
    QCOMPARE(done.count(), 0);

    // A fresh picture becomes a JPEG of the picture's size, named by device and time (folders that cannot
    // be written: the writer's test).
    cell->renderer()->setImage(picture.data(), 352, 288);
    QVERIFY(cell->snapshot(dir.path())); // accepted at once; the writer finds out
    QTRY_COMPARE(done.count(), 1);
    const QString path = done.at(0).at(1).toString();
    const QRegularExpression name(
        QStringLiteral("^%1/SNAP-1_\\d{14}\\.jpg$").arg(QRegularExpression::escape(dir.path())));
    QVERIFY2(done.at(0).at(0).toBool() && name.match(path).hasMatch(), qPrintable(path));
    QImageReader reader(path);
    QVERIFY(reader.format() == "jpeg" && reader.size() == QSize(352, 288));

    // The cell may be gone before its writer reports.
    cell->renderer()->setImage(picture.data(), 352, 288);
    QVERIFY(cell->snapshot(dir.path()));
    delete cell;
    QTest::qWait(300);
}

void TestPlayWidget::tipFitsReplacesAndHides() {
    // The status bar's right end: the strip keeps its right edge and grows to show its whole English
    // text; its folder link, offered for successes only, reports the kind it shows.
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/tr_en_US")));
    QCoreApplication::installTranslator(&english);
    QWidget bar;
    bar.resize(1000, 30);
    auto* tip = new TvTipWidget(&bar);
    tip->setGeometry(QRect(QPoint(1000 - TvTipWidget::kMinWidth, 0), QPoint(999, 29)));
    bar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bar));
    QSignalSpy clicked(tip, &TvTipWidget::clickedSignal);
    auto* text = tip->findChild<QLabel*>(QStringLiteral("label_snapTip"));
    auto* openDir = tip->findChild<TvClickedLabel*>(QStringLiteral("label_openDir"));
    for (const TvTipWidgetType kind : {TvTipRecordDone, TvTipSnapOk, TvTipRecordFailed}) {
        tip->showTip(kind, QStringLiteral("/folder"));
        QVERIFY(tip->geometry().right() == 999 && tip->width() >= TvTipWidget::kMinWidth);
        QVERIFY2(text->width() >= text->sizeHint().width(), qPrintable(text->text()));
        QCOMPARE(text->toolTip().isEmpty(), kind == TvTipRecordFailed);
        if (kind == TvTipRecordFailed)
            continue;
        QVERIFY(openDir->width() >= openDir->sizeHint().width() &&
                openDir->geometry().right() < tip->width());
        QTest::mouseClick(openDir, Qt::LeftButton);
        QCOMPARE(clicked.takeFirst().at(0).value<TvTipWidgetType>(), kind);
    }
    QVERIFY(text->text() == QStringLiteral("Video failed") && !openDir->isVisible());
    QCoreApplication::removeTranslator(&english);

    // A second tip within three seconds replaces the first with a fresh full-length timer.
    QTest::qWait(1000); // the first tip's timer has at most 2000 ms left now
    tip->showTip(TvTipSnapOk, QStringLiteral("/snaps"));
    const QList<QTimer*> timers = timersOf(tip);
    QVERIFY(timers.size() == 1 && timers[0]->isActive() && timers[0]->remainingTime() > 2500);
    // Expiry hides the tip and drops the timer; a stray second expiry changes nothing.
    QMetaObject::invokeMethod(tip, "on_hide_timer_timeout");
    QVERIFY(!tip->isVisible() && !tip->isShown());
    QTest::qWait(10); // let the deferred delete run
    QVERIFY(timersOf(tip).isEmpty());
    QMetaObject::invokeMethod(tip, "on_hide_timer_timeout");
    QVERIFY(!tip->isVisible());
}

void TestPlayWidget::animationRunsOneGroupAndRestartsFromCorners() {
    QWidget cell;
    auto* view = new TvConnectAnimationView(&cell);
    cell.show();
    view->startAnimation();
    view->startAnimation();
    QVERIFY(view->isVisible() && view->findChildren<QParallelAnimationGroup*>().size() == 1);
    QTest::qWait(TvConnectAnimationView::kPeriodMs / 2); // half-way the dots have left their corners
    QVERIFY(view->dot(0)->geometry().left() > 3 && view->dot(3)->geometry().left() < 31);

    view->stopAnimation();
    QVERIFY(!view->isVisible() && view->findChildren<QParallelAnimationGroup*>().isEmpty());
    view->startAnimation();
    QVERIFY(view->dot(0)->geometry() == QRect(0, 0, 12, 12) &&
            view->dot(3)->geometry() == QRect(34, 34, 12, 12));
    view->stopAnimation();
    view->stopAnimation(); // stopping twice is harmless
}

void TestPlayWidget::coverDrawsFrameOnlyWhenSelectedAndNotExclusive() {
    QWidget cell;
    cell.resize(160, 90);
    bool exclusive = false;
    auto* cover = new VePlayCoverWidget(&cell, [&exclusive] { return exclusive; });
    cover->resize(cell.size());
    // Whether the left edge and the middle are drawn in the frame's green.
    const auto green = [cover] {
        QImage image(cover->size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        cover->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        const auto at = [&image](int x) {
            return QChar(image.pixelColor(x, 45) == QColor(66, 189, 86) ? '1' : '0');
        };
        return QString(at(0)) + at(80);
    };
    QCOMPARE(green(), QStringLiteral("00"));
    cover->setSelected(true);
    QCOMPARE(green(), QStringLiteral("10")); // the picture shows through
    exclusive = true;
    QCOMPARE(green(), QStringLiteral("00"));
}

QTEST_MAIN(TestPlayWidget)
#include "test_playwidget.moc"
