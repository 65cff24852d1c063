#include "TvPlayController.h"

#include "NxAlarmLog.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxVideoCenter.h"
#include "TvCallWorker.h"
#include "TvDisplayMangeView.h"
#include "TvMutexLocker.h"
#include "TvPlayWidget.h"
#include "TvStreamChooser.h"
#include "TvStreamRouter.h"
#include "VeCameraModel.h"

#include <QDebug>
#include <QPointer>
#include <QThread>

TvPlayController::TvPlayController(TvDisplayMangeView* display, TvStreamRouter* router)
    : m_display(display), m_router(router) {
    TvPlayHost::install(this);
}

TvPlayController::~TvPlayController() {
    shutDown();
}

void TvPlayController::shutDown() {
    m_shutDown = true;
    if (TvPlayHost::installed() == this)
        TvPlayHost::install(nullptr);
}

TvPlayWidget* TvPlayController::cellOf(VeCameraModel* camera) const {
    for (TvPlayWidget* cell : m_display->cells())
        if (cell->camera() == camera)
            return cell;
    return nullptr;
}

int TvPlayController::playWithCamera(VeCameraModel* camera, bool chosen) {
    TvMutexLocker lock(&TvStreamRouter::roadMutex());
    qWarning() << "playWithCamera";
    if (!camera)
        return 0;
    if (!camera->isOnline()) {
        lock.unlock(); // the box runs an event loop; stream packets must not wait for it
        emit warningSignal(tr("设备不在线"));
        return 0;
    }
    const bool lan = camera->isLanOnline();
    qWarning() << "请求播放" << (lan ? "局域网设备" : "互联网设备") << camera->alias << camera->playKey;
    if (m_router->hasCallLocked(camera->playKey) ||
        (camera->playing && m_display->cellForKey(camera->deviceId))) {
        qWarning() << camera->alias << "已经在播放了";
        return 0;
    }
    TvPlayWidget* cell = m_display->bindCamera(camera);
    lock.unlock();
    if (!cell) {
        emit warningSignal(tr("播放失败，目前只支持同时播放 16 路视频"));
        return 0;
    }
    cell->setStreamRequest(camera->mainStream, chosen);
    camera->mainStream = m_display->streamChooser()->wantsMain(cell);
    NxAlarmLog::instance()->insertAlarm(camera->deviceId, NxAlarmLog::VideoOpened);
    emit cellBoundSignal(cell);
    startCallAsync(cell, camera, false);
    emit cellStateSignal();
    return 0;
}

void TvPlayController::startCallAsync(TvPlayWidget* cell, VeCameraModel* camera, bool reconnect) {
    QPointer<TvPlayWidget> guard(cell);
    const bool mainStream = camera->mainStream;
    TvCallWorker::instance()->post(
        camera->deviceId,
        [camera, mainStream, reconnect] {
            NxVideoCenter* video = NxDataCenter::instance()->videoCenter;
            if (reconnect) {
                video->closeCameraVideo(camera);
                QThread::msleep(200); // give the camera a moment between the two calls
            }
            return static_cast<int>(video->openVideo(camera, mainStream));
        },
        this,
        [this, guard, camera, reconnect](int result) {
            callFinished(guard.data(), camera, result, reconnect);
        });
}

void TvPlayController::callFinished(TvPlayWidget* cell, VeCameraModel* camera, int result, bool reconnect) {
    TvMutexLocker lock(&TvStreamRouter::roadMutex());
    const bool stillBound =
        cell && cell->camera() == camera && m_display->cellForKey(camera->playKey) == cell;
    if (!stillBound || m_shutDown) {
        // The camera was stopped while its call was being made: hang the late call up again.
        if (result >= 0)
            TvCallWorker::instance()->post(camera->deviceId, [camera] {
                NxDataCenter::instance()->videoCenter->closeCameraVideo(camera);
                return 0;
            });
        return;
    }
    if (result < 0) {
        cell->setNeedsReconnect(true);
        qWarning() << "playWithCamera" << camera->deviceId << "call failed" << result
                   << (reconnect ? "(reconnect)" : "");
        if (!reconnect) {
            m_display->stopForIdentify(camera->playKey);
            lock.unlock();
            emit updateDeviceListSignal();
            emit warningSignal(tr("播放视频失败"));
        }
        return;
    }
    m_router->fileCallLocked(camera->playKey, camera->callId);
    if (reconnect)
        return;
    m_display->startCell(camera->playKey);
    m_display->selectCellByKey(camera->playKey);
    lock.unlock();
    emit cellStateSignal();
    emit updateDeviceListSignal();
    TvCallWorker::instance()->post(camera->deviceId, [camera] {
        NxDataCenter::instance()->sendStreamSelector(camera);
        return 0;
    });
}

void TvPlayController::stopWithCamera(VeCameraModel* camera) {
    if (!camera)
        return;
    {
        TvMutexLocker lock(&TvStreamRouter::roadMutex());
        qWarning() << "stopWithCamera";
        m_router->removeCallLocked(camera->playKey);
        m_display->stopForIdentify(camera->playKey);
        NxAlarmLog::instance()->insertAlarm(camera->deviceId, NxAlarmLog::VideoClosed);
    }
    emit cellStateSignal();
    emit updateDeviceListSignal();
}

void TvPlayController::autoReconnectCamera(VeCameraModel* camera) {
    if (!camera)
        return;
    if (!camera->isLanOnline() && !NxDeviceStateCenter::instance()->isWanOnline(camera->deviceId)) {
        qWarning() << "设备不在线，不用重连";
        return;
    }
    TvPlayWidget* cell = nullptr;
    {
        TvMutexLocker lock(&TvStreamRouter::roadMutex());
        qWarning() << "autoReconnectCamera";
        m_router->removeCallLocked(camera->playKey);
        cell = cellOf(camera);
        // No packet of the old call reaches the cell any more: a resumed recording must start with a
        // key frame of the new call.
        if (cell)
            cell->recordCenter().clearCache();
    }
    if (!cell)
        return;
    // The cell ends its recording (to resume on the new call's first picture) and its sound; the call
    // itself is closed and made again off this thread.
    cell->setNeedsReconnect(false);
    cell->suspendRecording();
    if (cell->isListeningOn())
        cell->stopListen();
    if (cell->isTalking())
        cell->stopTalk();
    emit cellStateSignal();
    startCallAsync(cell, camera, true);
}

void TvPlayController::reconnectCamera(VeCameraModel* camera) {
    autoReconnectCamera(camera);
}

void TvPlayController::switchStream(VeCameraModel* camera) {
    if (!camera || m_shutDown)
        return;
    TvPlayWidget* cell = nullptr;
    {
        TvMutexLocker lock(&TvStreamRouter::roadMutex());
        cell = cellOf(camera);
        if (!cell)
            return;
        // Packets of the old call stop here; the cell shows its last picture until the new stream's
        // first key frame has decoded. A switch still being made is followed by this one on the call
        // worker, which takes one camera's calls in order, so the last choice wins.
        m_router->removeCallLocked(camera->playKey);
        cell->awaitKeyFrame(); // a key frame of the old call may have come in the meantime
        cell->recordCenter().clearCache();
    }
    // A recording goes on in a new file with the new stream's size.
    cell->suspendRecording();
    startCallAsync(cell, camera, true);
}

void TvPlayController::cellStateChanged(QWidget*) {
    emit cellStateSignal();
}
