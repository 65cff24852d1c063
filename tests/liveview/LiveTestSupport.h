#pragma once

// Shared pieces of the live-view tests: a recording play host, camera records, H.264 media objects and
// helpers that wait for self-deleting cells.
#include "LogLines.h"
#include "MediaFixtures.h"
#include "TvDisplayMangeView.h"
#include "TvMediaObject.h"
#include "TvPlayHost.h"
#include "TvPlayWidget.h"
#include "VeCameraModel.h"

#include <QApplication>
#include <QList>
#include <QPointer>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <memory>
#include <vector>

// Records what the cells ask of the main window, installed as their host while it lives (also when a
// check fails).
class RecordingHost : public TvPlayHost {
public:
    RecordingHost() { TvPlayHost::install(this); }
    ~RecordingHost() override { TvPlayHost::install(nullptr); }
    void reconnectCamera(VeCameraModel* camera) override { reconnects.append(camera); }
    void cellStateChanged(QWidget* cell) override {
        auto* play = qobject_cast<TvPlayWidget*>(cell);
        states.append(play ? int(play->state()) : -1);
    }

    QList<VeCameraModel*> reconnects;
    QList<int> states;
};

// A camera reached through the cloud. Like the records of the product it lives to the end of the process,
// so a cell that outlives a failed check never points at a destroyed record.
inline VeCameraModel* cloudCamera(const QString& id) {
    auto* camera =
        new VeCameraModel(id, id, QString(), QStringLiteral("G711"), 0, 0, QString(), QString(), qApp);
    camera->playKey = id;
    return camera;
}

// Closes the cells a failed check left behind and waits until they are gone.
inline void closeStrayCells() {
    QList<QPointer<TvPlayWidget>> stray;
    for (QWidget* w : QApplication::allWidgets())
        if (auto* cell = qobject_cast<TvPlayWidget*>(w))
            stray.append(cell);
    for (const QPointer<TvPlayWidget>& cell : stray)
        if (cell && !cell->parentWidget())
            cell->close();
    QTest::qWait(50);
}

inline std::unique_ptr<TvMediaObject> videoObject(const MediaFixtures::Bytes& unit, int width, int height) {
    return std::make_unique<TvMediaObject>(true, unit.data(), int(unit.size()), width, height);
}

inline std::unique_ptr<TvMediaObject> audioObject() {
    static const uint8_t block[160] = {0xD5};
    return std::make_unique<TvMediaObject>(false, block, int(sizeof block), 0, 0);
}

// The cell's running watchdog (its only direct QTimer child), or null.
inline QTimer* watchdogOf(TvPlayWidget* cell) {
    return cell->findChild<QTimer*>(QString(), Qt::FindDirectChildrenOnly);
}

// A drag with the left button in small steps, as a hand would do it.
inline void drag(QWidget* widget, QPoint from, QPoint to, int steps = 8) {
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, from);
    for (int i = 1; i <= steps; ++i)
        QTest::mouseMove(widget, from + (to - from) * i / steps);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, to);
}

// Waits until every cell has deleted itself.
inline bool waitAllDeleted(const QList<QPointer<TvPlayWidget>>& cells, int timeoutMs = 10000) {
    return QTest::qWaitFor(
        [&cells] {
            return std::all_of(cells.cbegin(), cells.cend(), [](const auto& c) { return c.isNull(); });
        },
        timeoutMs);
}

// Stops every cell of the grid and waits until they have deleted themselves.
inline bool stopAllCells(TvDisplayMangeView& view) {
    const QList<TvPlayWidget*> live = view.cells();
    const QList<QPointer<TvPlayWidget>> cells(live.cbegin(), live.cend());
    for (TvPlayWidget* cell : live)
        view.stopForIdentify(cell->camera()->playKey);
    return waitAllDeleted(cells, 5000);
}
