// The display manager and its grid: layouts, binding limits, removal, drag-to-swap, single-cell view, full
// screen, media routing, and binding and stopping under a stream of packets.
#define QTEST_QPA_MOUSE_HANDLING // mouse events through the window system, with the button state kept
#include "LiveTestSupport.h"
#include "NxDataCenter.h"
#include "TvDisplayMangeView.h"
#include "TvGridLayout.h"
#include "TvMutexLocker.h" // TV_THREAD_SANITIZER
#include "VeOpenGLWidget.h"
#include "VePlayCoverWidget.h"

#include <QAbstractEventDispatcher>
#include <QLabel>
#include <QRandomGenerator>
#include <QResizeEvent>
#include <QScreen>
#include <QSignalSpy>

#include <array>
#include <atomic>
#include <thread>

namespace {

const QSize kArea(1280, 720);

QLabel* label(TvDisplayMangeView& view, const char* name) {
    return view.findChild<QLabel*>(QLatin1String(name));
}

bool framed(TvPlayWidget* cell) {
    return cell->findChild<VePlayCoverWidget*>(QStringLiteral("widget_cover"))->isSelected();
}

// The id of the object's timer with the given interval, or -1.
int timerWithInterval(QObject* object, int interval) {
    for (const QAbstractEventDispatcher::TimerInfo& t :
         QAbstractEventDispatcher::instance()->registeredTimers(object))
        if (t.interval == interval)
            return t.timerId;
    return -1;
}

// The cell that shows at a point of the view (the topmost one).
TvPlayWidget* cellAt(TvDisplayMangeView& view, QPoint pos) {
    for (QWidget* w = view.childAt(pos); w; w = w->parentWidget())
        if (auto* cell = qobject_cast<TvPlayWidget*>(w))
            return cell;
    return nullptr;
}

void doubleClick(QWidget* window, QPoint pos) {
    QTest::mouseDClick(window, Qt::LeftButton, Qt::NoModifier, pos);
}

} // namespace

class TestDisplayManager : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        LogLines::install();
        NxDataCenter::instance();
        qRegisterMetaType<TvPlayWidget*>(); // for the signal spies
        m_units = MediaFixtures::encodeH264(320, 240, 12, 6);
        m_large = MediaFixtures::encodeH264(640, 360, 16, 16);
        QVERIFY2(m_units.size() == 12 && m_large.size() == 16, "libx264 is needed for the test clips");
    }
    void init() {
        m_view = std::make_unique<TvDisplayMangeView>();
        m_view->resize(kArea);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        QCOMPARE(m_view->size(), kArea);
    }
    void cleanup() {
        stopAllCells(*m_view); // what a failed check left playing ends before the view goes
        m_view.reset();
    }

    void gridTilesTheArea();
    void layoutsByCount();
    void removalReselects();
    void dragToSwap();
    void exclusiveByDoubleClick();
    void fullScreenHint();
    void routesAudioToTheSelectedCell();
    void bindAndStopUnderStream();
    void destroyedWithLiveCells();
    void sixteenCellsPaintOncePerPicture();

private:
    // Binds and starts a cell for a new camera; its loop ends quickly after a stop.
    TvPlayWidget* play(const QString& id, int endPauseMs = 10) {
        TvPlayWidget* cell = m_view->bindCamera(cloudCamera(id));
        if (!cell)
            return nullptr;
        cell->setEndPause(endPauseMs);
        m_view->startCell(id);
        return cell;
    }

    // The cells are in this order and each sits in its slot (by default of the 2 x 2 grid).
    bool inSlots(const QList<TvPlayWidget*>& order,
                 const QList<QRect>& rects = {
                     {0, 0, 639, 359}, {640, 0, 640, 359}, {0, 360, 639, 360}, {640, 360, 640, 360}}) {
        if (m_view->cells() != order)
            return false;
        for (int i = 0; i < order.size(); ++i)
            if (order[i]->geometry() != rects[i])
                return false;
        return true;
    }
    void stop(std::initializer_list<const char*> keys) {
        for (const char* key : keys)
            m_view->stopForIdentify(QLatin1String(key));
    }

    std::unique_ptr<TvDisplayMangeView> m_view;
    std::vector<MediaFixtures::Bytes> m_units, m_large;
};

void TestDisplayManager::gridTilesTheArea() {
    // Six cells on 1200 x 900 leave the last two columns and rows uncovered (.6666, not 2/3).
    QCOMPARE(TvGridLayout::slotRect(6, 0, 1200, 900), QRect(0, 0, 798, 598));
    QCOMPARE(TvGridLayout::slotRect(6, 5, 1200, 900), QRect(799, 599, 399, 299));
    QCOMPARE(TvGridLayout::slotRect(9, 4, 1200, 900), QRect(399, 299, 398, 298));
    QCOMPARE(TvGridLayout::slotRect(16, 5, 1200, 900), QRect(300, 225, 299, 224));
    for (auto [n, i] : {std::pair{0, 0}, {17, 0}, {4, 4}, {4, -1}, {-3, 0}})
        QVERIFY(TvGridLayout::slotRect(n, i, 800, 600).isEmpty());
    QVERIFY(TvGridLayout::slotRect(4, 0, 0, 0).isEmpty());
    // Every layout keeps its cells inside the area, apart from each other, and covers nearly all of it.
    for (const QSize area : {QSize(1280, 720), QSize(1919, 1037), QSize(636, 510), QSize(97, 61)}) {
        for (int n = 1; n <= 16; ++n) {
            qint64 covered = 0;
            for (int i = 0; i < n; ++i) {
                const QRect r = TvGridLayout::slotRect(n, i, area.width(), area.height());
                const QString where = QStringLiteral("n=%1 i=%2").arg(n).arg(i);
                QVERIFY2(!r.isEmpty() && QRect(QPoint(0, 0), area).contains(r), qPrintable(where));
                covered += qint64(r.width()) * r.height();
                for (int j = 0; j < i; ++j)
                    QVERIFY2(!r.intersects(TvGridLayout::slotRect(n, j, area.width(), area.height())),
                             qPrintable(where + QStringLiteral(" overlaps %1").arg(j)));
            }
            const double share = double(covered) / (double(area.width()) * area.height());
            // One-pixel lines weigh too much in a tiny area.
            QVERIFY2(area.width() < 600 || (share > 0.95 && share <= 1.0),
                     qPrintable(QStringLiteral("n=%1 share %2").arg(n).arg(share)));
        }
    }
}

void TestDisplayManager::layoutsByCount() {
    TvDisplayMangeView& view = *m_view;
    QLabel* background = label(view, "label_bg");
    QVERIFY(!view.bindCamera(nullptr));

    // One camera fills the area; binding files the cell under the device id; the background picture
    // stays until the first cell starts.
    VeCameraModel* first = cloudCamera(QStringLiteral("LAY-0"));
    first->playKey.clear();
    TvPlayWidget* a = view.bindCamera(first);
    QVERIFY(first->playKey == QStringLiteral("LAY-0") && first->playing && view.cellForKey("LAY-0") == a);
    QVERIFY(a->geometry() == QRect(0, 0, 1280, 720) && background->isVisible());
    view.startCell(QStringLiteral("LAY-0"));
    a->setEndPause(10);
    QVERIFY(!background->isVisible());

    // Up to sixteen (two and three cells: the removal and single-cell tests); the seventeenth gets no
    // cell; a new area size lays the cells out again.
    for (int n = 2; n <= TvDisplayMangeView::kMaxCells; ++n)
        QVERIFY(view.bindCamera(cloudCamera(QStringLiteral("LAY-%1").arg(n - 1))));
    VeCameraModel* extra = cloudCamera(QStringLiteral("LAY-16"));
    QVERIFY(!view.bindCamera(extra));
    QVERIFY(view.cells().size() == 16 && !extra->playing && !view.cellForKey(QStringLiteral("LAY-16")));
    view.resize(1200, 900);
    QTRY_COMPARE(view.cells()[15]->geometry(), QRect(900, 675, 300, 225));
    QCOMPARE(background->geometry(), QRect(0, 0, 1200, 900));
}

void TestDisplayManager::removalReselects() {
    TvDisplayMangeView& view = *m_view;
    QSignalSpy selected(&view, &TvDisplayMangeView::didSelectWidget);
    QPointer<TvPlayWidget> a = play(QStringLiteral("RM-A"));
    QPointer<TvPlayWidget> b = play(QStringLiteral("RM-B"));
    QPointer<TvPlayWidget> c = play(QStringLiteral("RM-C"));
    VeCameraModel* cameraC = c->camera();
    view.selectCellAt(2);
    QVERIFY(view.selectedCell() == c && selected.count() == 1 && framed(c) && !framed(a) && !framed(b));

    // Removing the selected last cell selects the one before it and lays out the two left; an unknown
    // key changes nothing.
    view.stopForIdentify(QStringLiteral("RM-C"));
    view.stopForIdentify(QStringLiteral("nobody"));
    QCOMPARE(view.unboundByIdentify(QStringLiteral("nobody")), -1);
    QVERIFY(inSlots({a, b}, {{0, 0, 1280, 359}, {0, 360, 1280, 360}}));
    QVERIFY(selected.count() == 2 && selected.last().at(1).value<TvPlayWidget*>() == b.data());
    QVERIFY(framed(b) && !framed(a) && !cameraC->playing && !view.cellForKey(QStringLiteral("RM-C")));
    QTRY_VERIFY_WITH_TIMEOUT(c.isNull(), 5000); // stopped, hidden, and gone once its loop ended

    // Removing the first moves the second forward; a single cell shows no frame.
    view.stopForIdentify(QStringLiteral("RM-A"));
    QVERIFY(inSlots({b}, {{0, 0, 1280, 720}}));
    QVERIFY(view.selectedCell() == b && !framed(b) && b->renderer()->geometry() == QRect(0, 0, 1280, 720));

    // The last one: the background picture returns and nothing is selected.
    view.stopForIdentify(QStringLiteral("RM-B"));
    QVERIFY(view.cells().isEmpty() && !view.selectedCell() && label(view, "label_bg")->isVisible());
    QVERIFY(!view.snapSelected(QStringLiteral("/tmp")));
    QTRY_VERIFY_WITH_TIMEOUT(a.isNull() && b.isNull(), 5000);

    // Selecting by key frames only the filed cell and emits nothing; an unknown key keeps the
    // selection; an index out of range selects nothing.
    TvPlayWidget* d = play(QStringLiteral("RM-D"));
    TvPlayWidget* e = play(QStringLiteral("RM-E"));
    const int emitted = selected.count();
    view.selectCellByKey(QStringLiteral("RM-E"));
    view.selectCellByKey(QStringLiteral("nobody"));
    QVERIFY(view.selectedCell() == e && framed(e) && !framed(d));
    QCOMPARE(selected.count(), emitted);
    view.selectCellAt(7);
    QVERIFY(!view.selectedCell() && !framed(d) && !framed(e));
}

void TestDisplayManager::dragToSwap() {
    TvDisplayMangeView& view = *m_view;
    TvPlayWidget* a = play(QStringLiteral("DR-A"));
    TvPlayWidget* b = play(QStringLiteral("DR-B"));
    TvPlayWidget* c = play(QStringLiteral("DR-C"));
    TvPlayWidget* d = play(QStringLiteral("DR-D"));
    QVERIFY(inSlots({a, b, c, d}));
    QSignalSpy selected(&view, &TvDisplayMangeView::didSelectWidget);
    // Each drag, the order after it and the cell its press selected: A onto B swaps them; B onto the line
    // between rows, D within its slot or beyond the area return home; C onto A (now slot 1) swaps them.
    const struct {
        QPoint from, to;
        QList<TvPlayWidget*> order;
        TvPlayWidget* pressed;
    } drags[] = {{{320, 180}, {960, 180}, {b, a, c, d}, a},
                 {{320, 100}, {320, 280}, {b, a, c, d}, b},
                 {{960, 540}, {1100, 600}, {b, a, c, d}, d},
                 {{960, 540}, {1560, 540}, {b, a, c, d}, d},
                 {{200, 500}, {900, 150}, {b, c, a, d}, c}};
    for (const auto& step : drags) {
        drag(&view, step.from, step.to);
        QVERIFY(inSlots(step.order) && view.selectedCell() == step.pressed);
        QCOMPARE(selected.last().at(1).value<TvPlayWidget*>(), step.pressed);
    }

    // A zoomed cell pans its picture with the drag and stays in its slot.
    view.selectCellAt(0);
    b->on_pushBtn_zoomAdd_clicked();
    b->on_pushBtn_zoomAdd_clicked();
    const QRect before = b->renderer()->geometry();
    drag(&view, QPoint(300, 200), QPoint(360, 240));
    QVERIFY(inSlots({b, c, a, d}));
    QVERIFY(b->renderer()->geometry() != before && b->renderer()->geometry().size() == before.size());

    // The background (the one-pixel line) neither selects nor drags.
    view.selectCellAt(3);
    drag(&view, QPoint(639, 100), QPoint(900, 100));
    QCOMPARE(view.selectedCell(), d);
    QVERIFY(inSlots({b, c, a, d}));
}

void TestDisplayManager::exclusiveByDoubleClick() {
    TvDisplayMangeView& view = *m_view;
    QSignalSpy selected(&view, &TvDisplayMangeView::didSelectWidget);
    // A lone cell neither selects, drags nor takes the area.
    TvPlayWidget* a = play(QStringLiteral("EX-A"));
    QSignalSpy wantA(a, &TvPlayWidget::wantExclusiveSignal);
    QTest::mouseClick(&view, Qt::LeftButton, Qt::NoModifier, QPoint(640, 360));
    drag(&view, QPoint(640, 360), QPoint(900, 600));
    doubleClick(&view, QPoint(640, 360));
    QVERIFY(selected.isEmpty() && wantA.isEmpty() && !view.selectedCell() && !framed(a));
    QVERIFY(inSlots({a}, {{0, 0, 1280, 720}}) && a->renderer()->geometry() == QRect(0, 0, 1280, 720));

    TvPlayWidget* b = play(QStringLiteral("EX-B"));
    TvPlayWidget* c = play(QStringLiteral("EX-C"));
    QSignalSpy wantB(b, &TvPlayWidget::wantExclusiveSignal);
    const QList<QRect> three = {{0, 0, 639, 359}, {640, 0, 640, 359}, {0, 360, 1280, 360}};

    doubleClick(&view, QPoint(960, 180));
    QVERIFY(wantB.count() == 1 && wantB.at(0).at(1).toBool() && b->isExclusive() && view.hasExclusiveCell());
    QCOMPARE(b->geometry(), QRect(0, 0, 1280, 720));
    QCOMPARE(cellAt(view, QPoint(100, 600)), b); // raised over the others
    QVERIFY(b->renderer()->geometry() == QRect(0, 0, 1280, 720) && !framed(a) && !framed(b) && !framed(c));

    // While one cell fills the area, clicks neither select nor drag.
    const int clicks = selected.count();
    drag(&view, QPoint(300, 600), QPoint(700, 100));
    QVERIFY(selected.count() == clicks && c->geometry() == QRect(0, 360, 1280, 360));

    // Another double-click returns to the grid; the selected cell is framed again.
    doubleClick(&view, QPoint(640, 360));
    QCOMPARE(wantB.at(1).at(1).toBool(), false);
    QVERIFY(!view.hasExclusiveCell() && inSlots({a, b, c}, three) && view.selectedCell() == b && framed(b));
    QCOMPARE(b->renderer()->geometry(), b->rect().adjusted(2, 2, -2, -2));
    view.wantExclusiveSlot(nullptr, true); // a cell no longer in the grid cannot take the area
    QVERIFY(!view.hasExclusiveCell());

    // A camera started while one cell fills the area leaves single-cell view: the new cell is not
    // drawn on top of the exclusive one, every cell takes its slot of the grid of four.
    doubleClick(&view, QPoint(960, 180));
    QVERIFY(b->isExclusive());
    TvPlayWidget* d = play(QStringLiteral("EX-D"));
    QVERIFY(!view.hasExclusiveCell() && inSlots({a, b, c, d}));
    QVERIFY(cellAt(view, QPoint(100, 100)) == a && cellAt(view, QPoint(1000, 600)) == d);
}

void TestDisplayManager::fullScreenHint() {
    TvDisplayMangeView& view = *m_view;
    QLabel* hint = label(view, "label_exitfull_tip");
    QSignalSpy exitSpy(&view, &TvDisplayMangeView::exitFullScreenSignal);
    play(QStringLiteral("FS-A"));
    QTest::keyClick(&view, Qt::Key_Escape); // outside full screen: nothing
    QCOMPARE(exitSpy.count(), 0);

    view.showFullScreen();
    QTRY_VERIFY(view.isFullScreen());
    // Xvfb has no window manager to resize a full-screen window, so its resize is sent here.
    QResizeEvent toScreen(view.screen()->geometry().size(), view.size());
    QCoreApplication::sendEvent(&view, &toScreen);
    QVERIFY(hint->isVisible() && hint->geometry().center() == view.rect().center());
    const int timer = timerWithInterval(&view, TvDisplayMangeView::kHintMs);
    QVERIFY(timer != -1);
    // Each Esc press asks once to leave full screen; other keys nothing.
    for (const Qt::Key key : {Qt::Key_Escape, Qt::Key_A, Qt::Key_Return, Qt::Key_Escape})
        QTest::keyClick(&view, key);
    QCOMPARE(exitSpy.count(), 2);
    // The six-second timer hides the hint; the next resize in full screen shows it with a fresh timer.
    QTimerEvent tick(timer);
    QCoreApplication::sendEvent(&view, &tick);
    QVERIFY(!hint->isVisible());
    QCoreApplication::sendEvent(&view, &toScreen);
    QVERIFY(hint->isVisible());
    QCOMPARE(QAbstractEventDispatcher::instance()->registeredTimers(&view).size(), 1);

    // Leaving full screen hides the hint and kills the timer at the next resize.
    view.showNormal();
    QTRY_VERIFY(!view.isFullScreen());
    view.resize(1100, 650);
    QTRY_VERIFY(!hint->isVisible());
    QCOMPARE(timerWithInterval(&view, TvDisplayMangeView::kHintMs), -1);
}

void TestDisplayManager::routesAudioToTheSelectedCell() {
    TvDisplayMangeView& view = *m_view;
    const int baseObjects = TvMediaObject::liveCount();
    // These cells hold their queue (running, connecting, no decode thread) so the routing can be seen.
    TvPlayWidget* c = view.bindCamera(cloudCamera(QStringLiteral("RT-C")));
    TvPlayWidget* d = view.bindCamera(cloudCamera(QStringLiteral("RT-D")));
    for (TvPlayWidget* cell : {c, d}) {
        cell->setRunning(true);
        cell->setPlayState(TvPlayStateConnecting);
    }
    view.deliverPacket(audioObject(), QStringLiteral("RT-C")); // nothing selected: dropped
    view.deliverPacket(nullptr, QStringLiteral("RT-C"));
    view.deliverPacket(videoObject(m_units[0], 320, 240), QStringLiteral("unknown"));
    QCOMPARE(c->queuedCount() + d->queuedCount(), 0);
    view.selectCellAt(1);
    view.deliverPacket(audioObject(), QStringLiteral("RT-C")); // the key does not matter for audio
    view.deliverPacket(videoObject(m_units[0], 320, 240), QStringLiteral("RT-C"));
    QVERIFY(d->queuedCount() == 1 && c->queuedCount() == 1);
    VeCameraModel* cameraD = d->camera();
    d->setCamera(nullptr); // selected but without a camera: audio is dropped
    view.deliverPacket(audioObject(), QString());
    QCOMPARE(d->queuedCount(), 1);
    d->setCamera(cameraD);
    // Without a decode loop the unbound cells stay hidden until their owner frees them, queues included.
    stop({"RT-C", "RT-D"});
    QVERIFY(view.cells().isEmpty());
    delete c;
    delete d;
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);
}

void TestDisplayManager::bindAndStopUnderStream() {
    TvDisplayMangeView& view = *m_view;
    const int baseObjects = TvMediaObject::liveCount();
    QList<VeCameraModel*> cameras;
    for (int i = 0; i < TvDisplayMangeView::kMaxCells; ++i)
        cameras.append(cloudCamera(QStringLiteral("ST-%1").arg(i)));

    std::atomic<bool> streaming{true};
    std::atomic<int> delivered{0};
    std::thread sdk([&] {
        QRandomGenerator random(7);
        size_t unit = 0;
        while (streaming.load()) {
            const QString key =
                QStringLiteral("ST-%1").arg(random.bounded(TvDisplayMangeView::kMaxCells + 2));
            view.deliverPacket(videoObject(m_units[unit], 320, 240), key);
            if (random.bounded(4) == 0)
                view.deliverPacket(audioObject(), key);
            unit = (unit + 1) % m_units.size();
            ++delivered;
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });

    QList<QPointer<TvPlayWidget>> everyCell;
    QRandomGenerator random(11);
#ifdef TV_THREAD_SANITIZER
    const int rounds = 1; // sixteen GL cells a round are slow enough under the race checker
#else
    const int rounds = 3;
#endif
    for (int round = 0; round < rounds; ++round) {
        // No lock of the caller's: the grid's own lock keeps this thread apart from the SDK thread.
        for (VeCameraModel* camera : cameras) {
            TvPlayWidget* cell = view.bindCamera(camera);
            QVERIFY(cell);
            cell->setEndPause(5);
            everyCell.append(cell);
            view.startCell(camera->playKey);
        }
        QCOMPARE(view.cells().size(), 16);
        // Selections spread over the deliveries; the (slow) repaint events run only now and then.
        for (int i = 0; i < 40; ++i) {
            view.selectCellAt(int(random.bounded(16)));
            view.selectCellByKey(cameras.at(int(random.bounded(16)))->playKey);
            if (i % 8 == 0)
                QTest::qWait(int(random.bounded(0, 3)));
            else
                std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(0, 400)));
        }
        // Stop in a shuffled order, some while others still decode.
        QList<VeCameraModel*> order = cameras;
        for (int i = order.size() - 1; i > 0; --i)
            order.swapItemsAt(i, int(random.bounded(i + 1)));
        for (VeCameraModel* camera : order) {
            view.stopForIdentify(camera->playKey);
            QVERIFY(!camera->playing);
        }
        QVERIFY(view.cells().isEmpty() && !view.selectedCell());
        QTest::qWait(int(random.bounded(0, 30)));
    }
    streaming = false;
    sdk.join();
    QVERIFY(delivered.load() > 100);
    QVERIFY2(waitAllDeleted(everyCell), "a stopped cell never deleted itself");
    QVERIFY(view.findChildren<TvPlayWidget*>().isEmpty());
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);
}

void TestDisplayManager::destroyedWithLiveCells() {
    // At exit the grid goes with the main window: some cells still play, one is ending its loop.
    const int baseObjects = TvMediaObject::liveCount();
    TvPlayWidget* a = play(QStringLiteral("END-A"));
    play(QStringLiteral("END-B"), 400);
    play(QStringLiteral("END-C"));
    for (const MediaFixtures::Bytes& unit : m_units) {
        m_view->deliverPacket(videoObject(unit, 320, 240), QStringLiteral("END-A"));
        m_view->deliverPacket(videoObject(unit, 320, 240), QStringLiteral("END-B"));
    }
    QTRY_COMPARE(a->state(), TvPlayStatePlaying);
    m_view->stopForIdentify(QStringLiteral("END-B"));
    QTest::qWait(50); // END-B is in its end pause now, END-A and END-C still run
    QElapsedTimer clock;
    clock.start();
    m_view.reset();
    QVERIFY(clock.elapsed() < 3000);
    QTest::qWait(500); // nothing may reach the destroyed cells afterwards
    QCOMPARE(TvMediaObject::liveCount(), baseObjects);
    m_view = std::make_unique<TvDisplayMangeView>(); // for cleanup
}

void TestDisplayManager::sixteenCellsPaintOncePerPicture() {
    // Sixteen cameras at 25 pictures a second: each picture is painted once on a refresh tick or replaced
    // unpainted by a newer one, and ticks without a new picture paint nothing.
    m_view->resize(1280, 720);
    std::array<std::atomic<int>, TvDisplayMangeView::kMaxCells> handed{};
    QList<TvPlayWidget*> cells;
    for (int i = 0; i < TvDisplayMangeView::kMaxCells; ++i) {
        cells << play(QStringLiteral("PAINT-%1").arg(i));
        QVERIFY(cells.last());
        QObject::connect(
            cells.last()->renderer(), &VeOpenGLWidget::updateSignal, cells.last(),
            [&handed, i] { ++handed[i]; }, Qt::DirectConnection);
    }
    for (const MediaFixtures::Bytes& unit : m_large) {
        for (int i = 0; i < cells.size(); ++i)
            m_view->deliverPacket(videoObject(unit, 640, 360), QStringLiteral("PAINT-%1").arg(i));
        QTest::qWait(40);
    }
    const auto settled = [&] {
        for (int i = 0; i < cells.size(); ++i) {
            VeOpenGLWidget* r = cells[i]->renderer();
            if (cells[i]->state() != TvPlayStatePlaying || cells[i]->queuedCount() > 0 || handed[i] == 0 ||
                r->paintedPictures() + r->droppedPictures() != quint64(handed[i]))
                return false;
        }
        return true;
    };
    QTRY_VERIFY(settled());
    std::vector<quint64> painted;
    for (TvPlayWidget* cell : cells) {
        painted.push_back(cell->renderer()->paintedPictures());
        QVERIFY(painted.back() > 0);
    }
    QTest::qWait(100); // several ticks
    for (int i = 0; i < cells.size(); ++i)
        QCOMPARE(cells[i]->renderer()->paintedPictures(), painted[size_t(i)]);
    const QString dir = qEnvironmentVariable("KVAB_SHOT_DIR");
    if (!dir.isEmpty())
        m_view->grab().save(dir + QStringLiteral("/grid-16-cells.png"));
}

QTEST_MAIN(TestDisplayManager)
#include "test_displaymanager.moc"
