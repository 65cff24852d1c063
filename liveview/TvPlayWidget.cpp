#include "TvPlayWidget.h"

#include "NxAlarmCenter.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxVideoCenter.h"
#include "TvCallWorker.h"
#include "TvConnectAnimationView.h"
#include "TvDecodeThread.h"
#include "TvDisplayMangeView.h"
#include "TvFFmpeg.h"
#include "TvHandOver.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvPlayHost.h"
#include "TvPlayWidgetForm.h"
#include "TvReconnectOverlay.h"
#include "TvResolutionMap.h"
#include "TvSkipMark.h"
#include "TvSnapshotWriter.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"
#include "VePlayCoverWidget.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <chrono>

namespace {

QString now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}
QString stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
}
qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

TvPlayWidget::TvPlayWidget(QWidget* parent) : QWidget(parent), ui(std::make_unique<TvPlayWidgetForm>()) {
    qRegisterMetaType<TvPlayState>("TvPlayState");
    setObjectName(QStringLiteral("TvPlayWidget"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    ui->setupUi(this, [this] { return m_exclusive; });
    m_zoom = std::make_unique<TvDigitalZoom>(this, ui->widget_opengl, ui->widget_zoom, ui->label_zoom);
    connect(ui->pushBtn_reconnect, &QPushButton::clicked, this, &TvPlayWidget::on_pushBtn_reconnect_clicked);

    connect(this, &TvPlayWidget::stateSignal, this, &TvPlayWidget::setState);
    connect(this, &QWidget::customContextMenuRequested, this,
            &TvPlayWidget::on_TvPlayWidget_customContextMenuRequested);
    NxDataCenter* data = NxDataCenter::instance();
    connect(data->lanCenter, &NxLanCenter::LanDeviceOnlineSignal, this, &TvPlayWidget::LanDeviceOnlineSlot);
    connect(data->loginCenter, &NxLoginCenter::wanDeviceOnlineSignal, this,
            &TvPlayWidget::LanDeviceOnlineSlot);
    connect(data->alarmCenter, &NxAlarmCenter::alarmSignal, this, &TvPlayWidget::alarmSlot);
    connect(&m_recordCenter, &VeRecordCenter::recordingEndedSignal, this, &TvPlayWidget::recordingEndedSlot);
    setState(TvPlayStateIdle);
}

TvPlayWidget::~TvPlayWidget() {
    // A cell destroyed while its loop still runs (the window torn down without stopping it) must see
    // the loop end first: the loop uses the cell's queue, which goes before the child thread does.
    m_destroying = true;
    stopDecoding();
    for (TvDecodeThread* thread : findChildren<TvDecodeThread*>(QString(), Qt::FindDirectChildrenOnly))
        thread->wait();
    TvMutexLocker lock(&queueMutex());
    qWarning() << "~TvPlayWidget" << 101;
}

VeOpenGLWidget* TvPlayWidget::renderer() const {
    return ui->widget_opengl;
}

void TvPlayWidget::setCamera(VeCameraModel* camera) {
    m_camera = camera;
    if (!camera)
        m_needsReconnect = false;
}

void TvPlayWidget::setNeedsReconnect(bool on) {
    m_needsReconnect = on && camera();
}

void TvPlayWidget::setExclusive(bool on) {
    m_exclusive = on;
    ui->widget_cover->update();
}

qint32 TvPlayWidget::startCall() {
    VeCameraModel* target = camera();
    if (!target)
        return -1;
    const qint32 result = NxDataCenter::instance()->videoCenter->openVideo(target, target->mainStream);
    if (result < 0)
        setNeedsReconnect(true);
    return result;
}

void TvPlayWidget::start() {
    TvMutexLocker lock(&queueMutex());
    m_lastPictureMs = steadyMs();
    setRunning(true);
    setState(TvPlayStateConnecting);
    auto* thread = new TvDecodeThread(this, this);
    thread->setEndPause(m_endPauseMs);
    thread->start(QThread::TimeCriticalPriority);
    m_timeoutCount = 0;
    m_watchdog = new QTimer(this);
    connect(m_watchdog, &QTimer::timeout, this, &TvPlayWidget::globalTimeOut);
    m_watchdog->start(1000);
}

void TvPlayWidget::stop(TvPlayState newState) {
    if (!isRunning()) {
        deleteLater();
        return;
    }
    stopDecoding();
    setState(newState);
    {
        TvMutexLocker queueLock(&queueMutex());
        TvMutexLocker renderLock(&m_renderMutex);
        // A first picture handed over while the loop was being stopped may have stored playing.
        setPlayState(newState);
        if (m_watchdog) {
            m_watchdog->stop();
            delete m_watchdog;
            m_watchdog = nullptr;
        }
        ui->widget_opengl->clearImage();
    }
    ui->widget_opengl->update();
    update();
}

void TvPlayWidget::closeVideo() {
    qWarning() << "closeVideo" << now() << "begin";
    m_needsReconnect = false;
    m_resumeRecording = false;
    if (VeCameraModel* target = camera()) {
        if (m_recording)
            stopRecord();
        if (isListeningOn())
            stopListen();
        if (isTalking())
            stopTalk();
        qWarning() << "closeVideo" << now() << "close call";
        // Closing may wait seconds for a dead camera: off the GUI thread, ahead of the camera's next call.
        TvCallWorker::instance()->post(target->deviceId, [target] {
            NxDataCenter::instance()->videoCenter->closeCameraVideo(target);
            return 0;
        });
    }
    qWarning() << "closeVideo" << now() << "end";
}

void TvPlayWidget::close() {
    closeVideo();
    stop(TvPlayStateIdle);
}

void TvPlayWidget::startListen(std::function<void(qint32)> done) {
    openSoundCall(false, std::move(done));
}

void TvPlayWidget::startTalk(std::function<void(qint32)> done) {
    openSoundCall(true, std::move(done));
}

void TvPlayWidget::openSoundCall(bool talk, std::function<void(qint32)> done) {
    VeCameraModel* target = camera();
    if (!target) {
        done(-1);
        return;
    }
    bool& opening = talk ? m_talkOpening : m_listenOpening;
    int& ticket = talk ? m_talkTicket : m_listenTicket;
    opening = true;
    const int mine = ++ticket;
    TvCallWorker::instance()->post(
        target->deviceId,
        [target, talk] {
            NxVideoCenter* center = NxDataCenter::instance()->videoCenter;
            return talk ? center->openAudioSpeaker(target) : center->openAudioListen(target);
        },
        this,
        [this, talk, mine, done = std::move(done)](int result) {
            // A stop in the meantime already queued the close behind this open.
            if ((talk ? m_talkTicket : m_listenTicket) != mine)
                return;
            (talk ? m_talkOpening : m_listenOpening) = false;
            if (talk)
                m_talking = result >= 0;
            else
                setListening(result >= 0);
            done(result);
        });
}

void TvPlayWidget::stopListen() {
    ++m_listenTicket;
    m_listenOpening = false;
    setListening(false);
    if (VeCameraModel* target = camera())
        TvCallWorker::instance()->post(target->deviceId, [target] {
            NxDataCenter::instance()->videoCenter->closeAudioListen(target);
            return 0;
        });
}

void TvPlayWidget::stopTalk() {
    ++m_talkTicket;
    m_talkOpening = false;
    m_talking = false;
    if (VeCameraModel* target = camera())
        TvCallWorker::instance()->post(target->deviceId, [target] {
            NxDataCenter::instance()->videoCenter->closeAudioSpeaker(target);
            return 0;
        });
}

bool TvPlayWidget::snapshot(const QString& dir) {
    QByteArray picture;
    int width = 0;
    int height = 0;
    if (!camera() || !ui->widget_opengl->copyFrame(picture, width, height))
        return false;
    const QString path = dir + QStringLiteral("/%1_%2.jpg").arg(camera()->deviceId, stamp());
    // The job thread reports back through a queued signal; the cell may be gone by then.
    QPointer<TvPlayWidget> self(this);
    TvSnapshotWriter::start(picture, width, height, path, [self](bool ok, const QString& written) {
        // The cell is only looked at on the GUI thread, where it can be deleted.
        QMetaObject::invokeMethod(QCoreApplication::instance(), tvHandOver([self, ok, written] {
                                      if (self)
                                          emit self->snapshotDoneSignal(ok, written);
                                  }),
                                  Qt::QueuedConnection);
    });
    return true;
}

bool TvPlayWidget::startRecord(const QString& dir) {
    if (!camera())
        return false;
    // Named by the time it starts: a recording resumed after a reconnect gets a file of its own.
    const QString path = dir + QStringLiteral("/%1_%2.mov").arg(camera()->deviceId, stamp());
    m_resumeRecording = false;
    m_recording = m_recordCenter.start(path);
    if (m_recording) {
        m_recordDir = dir;
        m_recordPath = path;
    }
    ui->label_rec_time->setText(QStringLiteral("00:00:00"));
    ui->widget_rec_flag->setVisible(m_recording);
    ui->widget_rec_flag->raise();
    return m_recording;
}

void TvPlayWidget::stopRecord() {
    m_recording = false;
    m_resumeRecording = false;
    ui->label_rec_time->setText(QStringLiteral("00:00:00"));
    ui->widget_rec_flag->hide();
    m_recordCenter.stop();
}

void TvPlayWidget::suspendRecording() {
    if (!m_recording)
        return;
    qWarning() << "recording suspended until pictures come again" << m_recordPath;
    stopRecord();
    m_resumeRecording = true;
    m_resumeTries = 0;
}

void TvPlayWidget::resumeRecording() {
    if (!m_resumeRecording || m_recordDir.isEmpty())
        return;
    qWarning() << "recording resumes";
    if (startRecord(m_recordDir)) {
        m_resumeTries = 0;
        return;
    }
    // The decoder may show the new call's first pictures before its key frame group has come; the
    // watchdog tries again every second.
    m_resumeRecording = ++m_resumeTries < kResumeTries;
    if (!m_resumeRecording) {
        m_resumeTries = 0;
        emit recordingEndedSignal(QString(), false);
    }
}

void TvPlayWidget::recordingEndedSlot(QString path, bool ok) {
    if (!ok && m_recording && path == m_recordPath) {
        // The writer gave up (disk full, folder gone): the cell no longer records.
        qWarning() << "recording failed" << path;
        m_recording = false;
        ui->label_rec_time->setText(QStringLiteral("00:00:00"));
        ui->widget_rec_flag->hide();
    }
    emit recordingEndedSignal(path, ok);
}

bool TvPlayWidget::framed() const {
    return m_selected && m_displayManager && m_displayManager->cells().size() > 1 &&
           !m_displayManager->hasExclusiveCell();
}

void TvPlayWidget::setSelected(bool selected) {
    m_selected = selected;
    const bool frame = framed();
    ui->widget_cover->setSelected(frame);
    if (m_zoom->level() == 0)
        ui->widget_opengl->setGeometry(fullRect());
}

QRect TvPlayWidget::fullRect() const {
    return framed() ? rect().adjusted(2, 2, -2, -2) : rect();
}

void TvPlayWidget::pushMediaObject(std::unique_ptr<TvMediaObject> object) {
    if (!object)
        return;
    m_recordCenter.push(object.get());
    enqueue(std::move(object));
}

void TvPlayWidget::updateImage(const uint8_t* yuv, int width, int height) {
    handPicture(yuv, nullptr, width, height);
}

void TvPlayWidget::updatePicture(const AVFrame* picture) {
    if (picture)
        handPicture(nullptr, picture, picture->width, picture->height);
}

void TvPlayWidget::handPicture(const uint8_t* yuv, const AVFrame* frame, int width, int height) {
    m_timeoutCount = 0;
    m_lastPictureMs = steadyMs();
    TvMutexLocker lock(&m_renderMutex);
    // Only while running: stop() takes this mutex before the grid clears the camera, so a first picture
    // racing a stop neither reads a cleared camera nor marks the stopped cell playing.
    if (playState() == TvPlayStateIdle || !isRunning())
        return;
    if (frame)
        ui->widget_opengl->setFrame(frame); // by reference: the renderer copies nothing
    else
        ui->widget_opengl->setImage(yuv, width, height);
    const int shown = playState();
    if (shown == TvPlayStateConnecting || shown == TvPlayStateReconnecting) {
        qWarning() << "updateImage";
        setPlayState(TvPlayStatePlaying); // one state signal per call, even before the GUI thread runs it
        emit stateSignal(TvPlayStatePlaying);
        if (VeCameraModel* bound = camera())
            TvResolutionMap::instance()->set(bound->playKey, QStringLiteral("%1x%2").arg(width).arg(height));
    }
}

void TvPlayWidget::playAudio(const uint8_t* pcm, int bytes) {
    // Only the selected cell receives sound objects, so its PCM is the one to be heard.
    if (m_displayManager)
        m_displayManager->didDecodeAudioData(pcm, bytes);
}

void TvPlayWidget::decodeLoopFinished() {
    if (!m_destroying)
        deleteLater();
}

QString TvPlayWidget::cellName() const {
    VeCameraModel* bound = camera();
    return bound ? bound->deviceId : QStringLiteral("(no camera)");
}

qint64 TvPlayWidget::stalledSeconds() const {
    return (steadyMs() - m_lastPictureMs.load()) / 1000;
}

void TvPlayWidget::setState(TvPlayState newState) {
    if (newState == TvPlayStatePlaying && (!isRunning() || playState() != TvPlayStatePlaying)) {
        // The queued first-picture signal of a call that was stopped (or timed out again) meanwhile.
        qWarning() << "set state to " << static_cast<int>(newState) << "ignored: the cell is" << playState();
        return;
    }
    setPlayState(newState);
    qWarning() << "set state to " << static_cast<int>(newState);
    ui->widget_reconnecting->setVisible(newState == TvPlayStateReconnecting);
    if (newState == TvPlayStateReconnecting) {
        ui->widget_reconnecting->setStalledSeconds(stalledSeconds());
        ui->widget_reconnecting->raise();
        ui->widget_cover->raise();
    }
    if (newState == TvPlayStatePlaying)
        resumeRecording();
    if (newState >= TvPlayStateIdle && newState <= TvPlayStateFailed) {
        ui->label_noCamera->setVisible(newState == TvPlayStateIdle);
        ui->label_offline->setVisible(newState == TvPlayStateOffline || newState == TvPlayStateOfflineAlt);
        ui->widget_failed->setVisible(newState == TvPlayStateFailed);
        if (newState == TvPlayStateConnecting)
            ui->widget_connectAnimal->startAnimation();
        else
            ui->widget_connectAnimal->stopAnimation();
    }
    if (TvPlayHost* host = TvPlayHost::installed())
        host->cellStateChanged(this);
}

void TvPlayWidget::globalTimeOut() {
    ++m_timeoutCount;
    if (m_recording)
        ui->label_rec_time->setText(m_recordCenter.elapsedText());
    ui->widget_alarm_flag->setVisible(m_alarmCountdown > 0);
    m_alarmCountdown = std::max(0, m_alarmCountdown - 1);
    // Pictures skipped since the last tick: the cell cannot keep up with its camera.
    const int skipped = skippedPictures();
    const bool skipping = skipped > m_skippedSeen;
    if (skipping == ui->widget_skipping->isHidden())
        qWarning().noquote() << cellName()
                             << (skipping ? "falls behind: skips to the newest key frame"
                                          : "caught up; pictures skipped in all:")
                             << skipped;
    ui->widget_skipping->setVisible(skipping);
    if (skipping)
        ui->widget_skipping->raise();
    m_skippedSeen = skipped;
    VeCameraModel* bound = camera();
    if (!bound)
        return;
    if (state() == TvPlayStatePlaying)
        resumeRecording();
    if (state() == TvPlayStateReconnecting)
        ui->widget_reconnecting->setStalledSeconds(stalledSeconds());
    const bool lan = bound->isLanOnline();
    const int limit = lan ? kLanTimeout : kWanTimeout;
    if (m_timeoutCount < limit)
        return;
    qWarning() << "视频连接超时" << bound->deviceId << m_timeoutCount.load() << limit;
    qWarning() << "globalTimeOut" << 264;
    m_needsReconnect = true;
    m_timeoutCount = 0;
    // Say so on the picture, and end a recording (it resumes in a new file once pictures come again).
    if (isRunning() && (state() == TvPlayStatePlaying || state() == TvPlayStateConnecting))
        setState(TvPlayStateReconnecting);
    suspendRecording();
    if (TvPlayHost* host = TvPlayHost::installed()) {
        if (lan)
            NxDataCenter::instance()->lanCenter->refreshLan(3);
        host->reconnectCamera(bound);
    }
}

void TvPlayWidget::LanDeviceOnlineSlot(QString deviceId) {
    VeCameraModel* bound = camera();
    qWarning() << "LanDeviceOnlineSlot" << 684 << (m_needsReconnect ? "true" : "false")
               << (bound ? bound->deviceId : QString());
    if (bound && deviceId == bound->deviceId && m_needsReconnect) {
        qWarning() << "强制重连";
        m_needsReconnect = false;
        m_timeoutCount = 180;
    }
}

void TvPlayWidget::alarmSlot(QString deviceId) {
    if (camera() && deviceId == camera()->deviceId) {
        ui->widget_alarm_flag->show();
        m_alarmCountdown = 8;
    }
}

void TvPlayWidget::on_pushBtn_reconnect_clicked() {
    if (TvPlayHost* host = TvPlayHost::installed())
        host->reconnectCamera(camera());
}

void TvPlayWidget::on_TvPlayWidget_customContextMenuRequested(QPoint) {
    if (state() != TvPlayStateIdle && camera())
        emit showCustomMenuSignal(this);
}

void TvPlayWidget::on_pushBtn_zoomAdd_clicked() {
    m_zoom->zoomIn();
}

void TvPlayWidget::on_pushBtn_zoomMin_clicked() {
    m_zoom->zoomOut(fullRect());
}

void TvPlayWidget::mousePressEvent(QMouseEvent* event) {
    qWarning() << "mousePressEvent" << 110 << event->button();
    if (event->button() == Qt::LeftButton) {
        setCursor(Qt::ClosedHandCursor);
        m_zoom->press(event->pos());
    }
    // The grid selects and drags cells with the same press.
    QWidget::mousePressEvent(event);
}

void TvPlayWidget::mouseMoveEvent(QMouseEvent* event) {
    qWarning() << "mouseMoveEvent" << 131;
    if (m_zoom->drag(event->pos())) {
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TvPlayWidget::mouseReleaseEvent(QMouseEvent* event) {
    qWarning() << "mouseReleaseEvent" << 164 << event->button();
    m_zoom->release();
    setCursor(Qt::ArrowCursor);
    QWidget::mouseReleaseEvent(event);
}

void TvPlayWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool grid =
        m_displayManager && m_displayManager->cells().size() > 1 && !m_displayManager->hasExclusiveCell();
    if (m_exclusive || grid) {
        qWarning() << "mouseDoubleClickEvent" << 181;
        if (event->buttons() & Qt::LeftButton)
            emit wantExclusiveSignal(this, !m_exclusive);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TvPlayWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_zoom->level() > 0)
        m_zoom->reset(fullRect());
    const int w = width();
    const int h = height();
    ui->widget_opengl->setGeometry(fullRect());
    ui->widget_connectAnimal->move((w - ui->widget_connectAnimal->width()) / 2,
                                   (h - ui->widget_connectAnimal->height()) / 2);
    const int side = std::clamp(w * 150 / 840, 70, 180);
    ui->label_noCamera->setGeometry((w - side) / 2, (h - side) / 2, side, side);
    ui->label_offline->setGeometry(rect());
    ui->widget_failed->setGeometry(rect());
    ui->widget_cover->setGeometry(rect());
    ui->widget_reconnecting->setGeometry(rect());
    ui->widget_skipping->placeIn(w);
    ui->widget_rec_flag->setGeometry((w - 1 - kRecFlagWidth + 1) / 2, 8, kRecFlagWidth, 22);
    ui->widget_alarm_flag->setGeometry(QRect(QPoint(10, 16), QPoint(94, 35)));
    ui->widget_zoom->setGeometry(QRect(QPoint(w - 39, h - 35), QPoint(w - 11, h - 11)));
    ui->widget_cover->raise();
}
