#include "TvStreamChooser.h"

#include "TvDefaultSettings.h"
#include "TvDisplayMangeView.h"
#include "TvPlayHost.h"
#include "TvPlayWidget.h"
#include "VeCameraModel.h"

#include <QDebug>

TvStreamChooser::TvStreamChooser(TvDisplayMangeView* display) : QObject(display), m_display(display) {}

bool TvStreamChooser::wantsMain(int cellCount, bool fillsView, bool askedMain, bool chosen, bool adaptive) {
    if (chosen || !adaptive)
        return askedMain;
    return fillsView || cellCount <= kMaxMainStreamCells;
}

bool TvStreamChooser::wantsMain(const TvPlayWidget* cell) const {
    return wantsMain(m_display->cells().size(), cell->isExclusive(), cell->askedMainStream(),
                     cell->streamChosen(), TvDefaultSettings::instance()->adaptiveStreams());
}

void TvStreamChooser::cellsChangedSlot() {
    for (TvPlayWidget* cell : m_display->cells()) {
        VeCameraModel* camera = cell->camera();
        // A cell whose call is still being made gets its stream when it plays.
        if (!camera || cell->state() != TvPlayStatePlaying)
            continue;
        const bool main = wantsMain(cell);
        if (main == camera->mainStream)
            continue;
        qWarning() << "stream switch" << camera->deviceId << (main ? "main" : "sub");
        camera->mainStream = main;
        cell->awaitKeyFrame();
        if (TvPlayHost* host = TvPlayHost::installed())
            host->switchStream(camera);
    }
}
