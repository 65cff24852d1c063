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
#include "TvMediaObject.h"
#include "TvPlayHost.h"
#include "TvResolutionMap.h"
#include "TvSnapshotWriter.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"
#include "VePlayCoverWidget.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString now() {
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}
QString stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddhhmmss"));
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QWidget* makeWidget(QWidget* parent, const char* name) {
    auto* widget = new QWidget(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

TvPlayWidget::TvPlayWidget(QWidget* parent) : QWidget(parent) {
    qRegisterMetaType<TvPlayState>("TvPlayState");
    setObjectName(QStringLiteral("TvPlayWidget"));
    setContextMenuPolicy(Qt::CustomContextMenu);
    buildForm();

    connect(this, &TvPlayWidget::stateSignal, this, &TvPlayWidget::setState);
    connect(this, &QWidget::customContextMenuRequested, this,
            &TvPlayWidget::on_TvPlayWidget_customContextMenuRequested);
    NxDataCenter* data = NxDataCenter::instance();
    connect(data->lanCenter, &NxLanCenter::LanDeviceOnlineSignal, this, &TvPlayWidget::LanDeviceOnlineSlot);
    connect(data->loginCenter, &NxLoginCenter::wanDeviceOnlineSignal, this,
            &TvPlayWidget::LanDeviceOnlineSlot);
    connect(data->alarmCenter, &NxAlarmCenter::alarmSignal, this, &TvPlayWidget::alarmSlot);
    setState(TvPlayStateIdle);
}

TvPlayWidget::~TvPlayWidget() {
    // A cell destroyed while its loop still runs (the window torn down without stopping it) must see
    // the loop end first: the loop uses the cell's queue, which goes before the child thread does.
    m_destroying = true;
    stopDecoding();
    for (TvDecodeThread* thread : findChildren<TvDecodeThread*>(QString(), Qt::FindDirectChildrenOnly))
        thread->wait();
    QMutexLocker lock(&queueMutex());
    qWarning() << "~TvPlayWidget" << 101;
}

void TvPlayWidget::buildForm() {
    widget_opengl = new VeOpenGLWidget(this);
    widget_opengl->setObjectName(QStringLiteral("widget_opengl"));
    // Mouse presses and drags belong to the cell and the grid, not to the picture.
    widget_opengl->setAttribute(Qt::WA_TransparentForMouseEvents);

    label_noCamera = makeLabel(this, "label_noCamera");
    label_noCamera->setStyleSheet(
        QStringLiteral("border-image: url(:/images/live_idleIcon.png);\nbackground-color: rgb(34, 34, 34);"));
    label_offline = makeLabel(this, "label_offline", tr("摄像机不在线"));
    label_offline->setAlignment(Qt::AlignCenter);
    label_offline->setStyleSheet(
        QStringLiteral("color: rgb(200, 200, 200); background-color: rgb(34, 34, 34);"));

    widget_failed = makeWidget(this, "widget_failed");
    widget_failed->setStyleSheet(QStringLiteral("background-color: rgb(34, 34, 34);"));
    auto* failedLayout = new QVBoxLayout(widget_failed);
    failedLayout->addStretch();
    pushBtn_reconnect = new QPushButton(widget_failed);
    pushBtn_reconnect->setObjectName(QStringLiteral("pushBtn_reconnect"));
    pushBtn_reconnect->setFixedSize(48, 48);
    pushBtn_reconnect->setStyleSheet(QStringLiteral(
        "QPushButton{border-image: url(:/images/live_reconnect.png);}"
        "QPushButton:hover,QPushButton:pressed{border-image: url(:/images/live_reconnect_h.png);}"));
    label_failed = makeLabel(widget_failed, "label_failed", tr("呼叫失败"));
    label_failed->setAlignment(Qt::AlignCenter);
    label_failed->setStyleSheet(QStringLiteral("color: rgb(200, 200, 200);"));
    failedLayout->addWidget(pushBtn_reconnect, 0, Qt::AlignHCenter);
    failedLayout->addWidget(label_failed, 0, Qt::AlignHCenter);
    failedLayout->addStretch();
    connect(pushBtn_reconnect, &QPushButton::clicked, this, &TvPlayWidget::on_pushBtn_reconnect_clicked);

    widget_connectAnimal = new TvConnectAnimationView(this);
    widget_connectAnimal->setObjectName(QStringLiteral("widget_connectAnimal"));
    widget_connectAnimal->hide();

    widget_zoom = makeWidget(this, "widget_zoom");
    auto* zoomLayout = new QHBoxLayout(widget_zoom);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    label_zoom = makeLabel(widget_zoom, "label_zoom");
    label_zoom->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    zoomLayout->addWidget(label_zoom);

    widget_rec_flag = makeWidget(this, "widget_rec_flag");
    auto* recLayout = new QHBoxLayout(widget_rec_flag);
    recLayout->setContentsMargins(0, 0, 0, 0);
    label_rec_time = makeLabel(widget_rec_flag, "label_rec_time", QStringLiteral("00:00:00"));
    label_rec_time->setStyleSheet(QStringLiteral("color: rgb(255, 60, 60);"));
    label_rec_time->setAlignment(Qt::AlignCenter);
    recLayout->addWidget(label_rec_time);

    widget_alarm_flag = makeWidget(this, "widget_alarm_flag");
    auto* alarmLayout = new QHBoxLayout(widget_alarm_flag);
    alarmLayout->setContentsMargins(0, 0, 0, 0);
    QLabel* alarmText = makeLabel(widget_alarm_flag, "label_alarm", tr("设备报警"));
    alarmText->setStyleSheet(
        QStringLiteral("color: rgb(255, 255, 255); background-color: rgb(200, 40, 40);"));
    alarmText->setAlignment(Qt::AlignCenter);
    alarmLayout->addWidget(alarmText);

    widget_cover = new VePlayCoverWidget(this, [this] { return exclusive; });
    widget_cover->setObjectName(QStringLiteral("widget_cover"));

    widget_rec_flag->hide();
    widget_zoom->hide();
    widget_alarm_flag->hide();
    widget_cover->raise();
}

qint32 TvPlayWidget::startCall() {
    if (!camera)
        return -1;
    const qint32 result = NxDataCenter::instance()->videoCenter->openVideo(camera, camera->mainStream);
    if (result < 0)
        needsReconnect = true;
    return result;
}

void TvPlayWidget::start() {
    QMutexLocker lock(&queueMutex());
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
        QMutexLocker queueLock(&queueMutex());
        QMutexLocker renderLock(&m_renderMutex);
        // A first picture handed over while the loop was being stopped may have stored playing.
        setPlayState(newState);
        if (m_watchdog) {
            m_watchdog->stop();
            delete m_watchdog;
            m_watchdog = nullptr;
        }
        widget_opengl->clearImage();
    }
    widget_opengl->update();
    update();
}

void TvPlayWidget::closeVideo() {
    qWarning() << "closeVideo" << now() << "begin";
    needsReconnect = false;
    if (camera) {
        if (m_recording)
            stopRecord();
        if (isListening())
            stopListen();
        if (m_talking)
            stopTalk();
        qWarning() << "closeVideo" << now() << "close call";
        // Closing may wait seconds for a dead camera: off the GUI thread, ahead of the camera's next call.
        VeCameraModel* target = camera;
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

qint32 TvPlayWidget::startListen() {
    if (!camera)
        return -1;
    const qint32 result = NxDataCenter::instance()->videoCenter->openAudioListen(camera);
    setListening(result >= 0);
    return result;
}

void TvPlayWidget::stopListen() {
    if (camera)
        NxDataCenter::instance()->videoCenter->closeAudioListen(camera);
    setListening(false);
}

qint32 TvPlayWidget::startTalk() {
    if (!camera)
        return -1;
    const qint32 result = NxDataCenter::instance()->videoCenter->openAudioSpeaker(camera);
    m_talking = result >= 0;
    return result;
}

void TvPlayWidget::stopTalk() {
    if (camera)
        NxDataCenter::instance()->videoCenter->closeAudioSpeaker(camera);
    m_talking = false;
}

bool TvPlayWidget::snapshot(const QString& dir) {
    QByteArray picture;
    int width = 0;
    int height = 0;
    if (!camera || !widget_opengl->copyFrame(picture, width, height))
        return false;
    const QString path = dir + QStringLiteral("/%1_%2.jpg").arg(camera->deviceId, stamp());
    // The job thread reports back through a queued signal; the cell may be gone by then.
    QPointer<TvPlayWidget> self(this);
    TvSnapshotWriter::start(picture, width, height, path, [self](bool ok, const QString& written) {
        // The cell is only looked at on the GUI thread, where it can be deleted.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, ok, written] {
                if (self)
                    emit self->snapshotDoneSignal(ok, written);
            },
            Qt::QueuedConnection);
    });
    return true;
}

bool TvPlayWidget::startRecord(const QString& dir) {
    if (!camera)
        return false;
    const QString path = dir + QStringLiteral("/%1_%2.mov").arg(camera->deviceId, stamp());
    m_recording = m_recordCenter.start(path);
    label_rec_time->setText(QStringLiteral("00:00:00"));
    widget_rec_flag->setVisible(m_recording);
    return m_recording;
}

void TvPlayWidget::stopRecord() {
    m_recording = false;
    label_rec_time->setText(QStringLiteral("00:00:00"));
    widget_rec_flag->hide();
    m_recordCenter.stop();
}

bool TvPlayWidget::framed() const {
    return m_selected && displayManager && displayManager->cells().size() > 1 &&
           !displayManager->hasExclusiveCell();
}

void TvPlayWidget::setSelected(bool selected) {
    m_selected = selected;
    const bool frame = framed();
    widget_cover->setSelected(frame);
    if (m_zoomLevel == 0)
        widget_opengl->setGeometry(fullRect());
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
    m_timeoutCount = 0;
    QMutexLocker lock(&m_renderMutex);
    // Only while running: stop() takes this mutex before the grid clears the camera, so a first picture
    // racing a stop neither reads a cleared camera nor marks the stopped cell playing.
    if (playState() == TvPlayStateIdle || !isRunning())
        return;
    widget_opengl->setImage(yuv, width, height);
    if (playState() == TvPlayStateConnecting) {
        qWarning() << "updateImage";
        setPlayState(TvPlayStatePlaying); // one state signal per call, even before the GUI thread runs it
        emit stateSignal(TvPlayStatePlaying);
        if (camera)
            TvResolutionMap::instance()->set(camera->playKey, QStringLiteral("%1x%2").arg(width).arg(height));
    }
}

void TvPlayWidget::decodeLoopFinished() {
    if (!m_destroying)
        deleteLater();
}

QString TvPlayWidget::cellName() const {
    return camera ? camera->deviceId : QStringLiteral("(no camera)");
}

void TvPlayWidget::setState(TvPlayState newState) {
    if (newState == TvPlayStatePlaying && !isRunning()) {
        // The queued first-picture signal of a call that was stopped meanwhile.
        qWarning() << "set state to " << static_cast<int>(newState) << "ignored: the cell is stopped";
        return;
    }
    setPlayState(newState);
    qWarning() << "set state to " << static_cast<int>(newState);
    if (newState >= TvPlayStateIdle && newState <= TvPlayStateFailed) {
        label_noCamera->setVisible(newState == TvPlayStateIdle);
        label_offline->setVisible(newState == TvPlayStateOffline || newState == TvPlayStateOfflineAlt);
        widget_failed->setVisible(newState == TvPlayStateFailed);
        if (newState == TvPlayStateConnecting)
            widget_connectAnimal->startAnimation();
        else
            widget_connectAnimal->stopAnimation();
    }
    if (TvPlayHost* host = TvPlayHost::installed())
        host->cellStateChanged(this);
}

void TvPlayWidget::globalTimeOut() {
    ++m_timeoutCount;
    if (m_recording)
        label_rec_time->setText(m_recordCenter.elapsedText());
    widget_alarm_flag->setVisible(m_alarmCountdown > 0);
    m_alarmCountdown = std::max(0, m_alarmCountdown - 1);
    if (!camera)
        return;
    const bool lan = camera->isLanOnline();
    const int limit = lan ? kLanTimeout : kWanTimeout;
    if (m_timeoutCount < limit)
        return;
    qWarning() << "视频连接超时" << camera->deviceId << m_timeoutCount.load() << limit;
    qWarning() << "globalTimeOut" << 264;
    needsReconnect = true;
    m_timeoutCount = 0;
    if (TvPlayHost* host = TvPlayHost::installed()) {
        if (lan)
            NxDataCenter::instance()->lanCenter->refreshLan(3);
        host->reconnectCamera(camera);
    }
}

void TvPlayWidget::LanDeviceOnlineSlot(QString deviceId) {
    qWarning() << "LanDeviceOnlineSlot" << 684 << (needsReconnect ? "true" : "false")
               << (camera ? camera->deviceId : QString());
    if (camera && deviceId == camera->deviceId && needsReconnect) {
        qWarning() << "强制重连";
        needsReconnect = false;
        m_timeoutCount = 180;
    }
}

void TvPlayWidget::alarmSlot(QString deviceId) {
    if (camera && deviceId == camera->deviceId) {
        widget_alarm_flag->show();
        m_alarmCountdown = 8;
    }
}

void TvPlayWidget::on_pushBtn_reconnect_clicked() {
    if (TvPlayHost* host = TvPlayHost::installed())
        host->reconnectCamera(camera);
}

void TvPlayWidget::on_TvPlayWidget_customContextMenuRequested(QPoint) {
    if (state() != TvPlayStateIdle && camera)
        emit showCustomMenuSignal(this);
}

void TvPlayWidget::on_pushBtn_zoomAdd_clicked() {
    if (m_zoomLevel > 13) {
        m_zoomLevel = kMaxZoom;
        return;
    }
    ++m_zoomLevel;
    const int w = width();
    const int h = height();
    QRect r = widget_opengl->geometry();
    r.translate(-w / 16, -h / 16);
    r.setSize(r.size() + QSize(w / 8, h / 8));
    widget_opengl->setGeometry(r);
    label_zoom->setText(QStringLiteral("%1X").arg(m_zoomLevel));
    widget_zoom->show();
    widget_zoom->raise();
}

void TvPlayWidget::on_pushBtn_zoomMin_clicked() {
    if (m_zoomLevel == 0) {
        resetZoom();
        return;
    }
    --m_zoomLevel;
    if (m_zoomLevel > 0) {
        const int w = width();
        const int h = height();
        const QRect old = widget_opengl->geometry();
        QRect r = old.translated(w / 16, h / 16);
        r.setSize(r.size() - QSize(w / 8, h / 8));
        // Never uncover the cell: left and top at most 0, right and bottom at least the cell's.
        r.setLeft(std::min(r.left(), 0));
        r.setTop(std::min(r.top(), 0));
        r.setRight(std::max(r.right(), w - 1));
        r.setBottom(std::max(r.bottom(), h - 1));
        if (r != old) {
            widget_opengl->setGeometry(r);
            label_zoom->setText(QStringLiteral("%1X").arg(m_zoomLevel));
            return;
        }
    }
    resetZoom();
}

void TvPlayWidget::resetZoom() {
    m_zoomLevel = 0;
    widget_opengl->setGeometry(fullRect());
    label_zoom->clear();
    widget_zoom->hide();
}

void TvPlayWidget::mousePressEvent(QMouseEvent* event) {
    qWarning() << "mousePressEvent" << 110 << event->button();
    if (event->button() == Qt::LeftButton) {
        setCursor(Qt::ClosedHandCursor);
        m_pressPos = event->pos();
        m_panning = true;
    }
    // The grid selects and drags cells with the same press.
    QWidget::mousePressEvent(event);
}

void TvPlayWidget::mouseMoveEvent(QMouseEvent* event) {
    qWarning() << "mouseMoveEvent" << 131;
    if (m_zoomLevel > 0 && m_panning) {
        QRect r = widget_opengl->geometry();
        const QPoint delta = event->pos() - m_pressPos;
        int left = std::min(0, r.left() + delta.x());
        left = std::max(left, width() - r.width());
        int top = std::min(0, r.top() + delta.y());
        top = std::max(top, height() - r.height());
        r.moveTo(left, top);
        widget_opengl->setGeometry(r);
        m_pressPos = event->pos();
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void TvPlayWidget::mouseReleaseEvent(QMouseEvent* event) {
    qWarning() << "mouseReleaseEvent" << 164 << event->button();
    m_pressPos = QPoint();
    m_panning = false;
    setCursor(Qt::ArrowCursor);
    QWidget::mouseReleaseEvent(event);
}

void TvPlayWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    const bool grid =
        displayManager && displayManager->cells().size() > 1 && !displayManager->hasExclusiveCell();
    if (exclusive || grid) {
        qWarning() << "mouseDoubleClickEvent" << 181;
        if (event->buttons() & Qt::LeftButton)
            emit wantExclusiveSignal(this, !exclusive);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void TvPlayWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_zoomLevel > 0)
        resetZoom();
    const int w = width();
    const int h = height();
    widget_opengl->setGeometry(fullRect());
    widget_connectAnimal->move((w - widget_connectAnimal->width()) / 2,
                               (h - widget_connectAnimal->height()) / 2);
    const int side = std::clamp(w * 150 / 840, 70, 180);
    label_noCamera->setGeometry((w - side) / 2, (h - side) / 2, side, side);
    label_offline->setGeometry(rect());
    widget_failed->setGeometry(rect());
    widget_cover->setGeometry(rect());
    widget_rec_flag->setGeometry((w - 1 - 84) / 2, 8, 85, 20);
    widget_alarm_flag->setGeometry(QRect(QPoint(10, 16), QPoint(94, 35)));
    widget_zoom->setGeometry(QRect(QPoint(w - 39, h - 35), QPoint(w - 11, h - 11)));
    widget_cover->raise();
}
