#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "NxAlarmLog.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxVideoCenter.h"
#include "TvBorderHitTest.h"
#include "TvBorderResizer.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDesktop.h"
#include "TvDeviceTreeView.h"
#include "TvDisplayMangeView.h"
#include "TvFileManager.h"
#include "TvGlobal.h"
#include "TvMediaObject.h"
#include "TvPlayWidget.h"
#include "TvStreamEntry.h"
#include "TvTipWidget.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMutexLocker>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QThread>
#include <QTimerEvent>

#ifdef Q_OS_WIN
#include <windows.h>
#include <windowsx.h>
#endif

QTranslator g_translator;
std::atomic<MainWindow*> g_mainWindow{nullptr};
std::atomic<bool> g_appExiting{false};

namespace {
const char* const kVersion = " V1.1.9";
constexpr int kStatusIntervalMs = 1000;
} // namespace

MainWindow::MainWindow(QWidget* parent) : VeBasicWindow(parent), ui(new Ui::MainWindow) {
    ui->setupUi(this);
    cellMenu = nullptr;
    presetMoveMenu = nullptr;
    presetSetMenu = nullptr;
    wifiRequest = false;
    contextCamera = nullptr;
    receivedBytes = 0;

    g_mainWindow = this;
    initTitleBar();

    connect(ui->widget_displayMan, &TvDisplayMangeView::exitFullScreenSignal, this,
            &MainWindow::on_pushBtn_fullscreen_clicked);
    connect(ui->widget_displayMan, &TvDisplayMangeView::didSelectWidget, this, &MainWindow::didSelectWidget);
    connect(ui->widget_snapTip, &TvTipWidget::clickedSignal, this, &MainWindow::on_widget_snapTip_clicked);
    ui->widget_snapTip->hide();
    enableLiveToolbar();

    treeMenu = new QMenu(ui->treeView_lan);
    ui->treeView_lan->setContextMenuPolicy(Qt::CustomContextMenu);

    const QString title = QStringLiteral("KVAB") + QLatin1String(kVersion);
    setWindowTitle(title);
    m_titleBar->setTitleContent(title, 9);

    dataCenter = NxDataCenter::instance();
    dataCenter->videoCenter->streamHandler = &MainWindow::deliverStream;
    connect(dataCenter->lanCenter, &NxLanCenter::findNewDeviceSignal, this,
            &MainWindow::updateDeviceListSlot);
    connect(dataCenter->loginCenter, &NxLoginCenter::updateDeviceListSignal, this,
            &MainWindow::updateDeviceListSlot);
    connect(dataCenter, &NxDataCenter::updateDeviceListSignal, this, &MainWindow::updateDeviceListSlot);
    TvPlayHost::install(this);
    connect(this, &MainWindow::updateCPUInfoSignal, this, &MainWindow::updateCPUInfoSlot);

    const QRect desktop = QGuiApplication::primaryScreen()->virtualGeometry();
    qWarning() << "window geometry" << desktop;
    setGeometry(initialGeometry(desktop.size()));

    startTimer(kStatusIntervalMs, Qt::CoarseTimer);
    updateDeviceListSlot();

#ifndef Q_OS_WIN
    // Elsewhere the window system asks no hit-test question, so the border is watched directly.
    m_borderResizer = new TvBorderResizer(this, ui->widget_bar);
#endif
}

void MainWindow::on_widget_snapTip_clicked(TvTipWidgetType kind) {
    qWarning() << "on_widget_snapTip_clicked";
    if (kind == TvTipSnapOk)
        TvDesktop::openFolder(TvDefaultSettings::instance()->snapDir());
    else if (kind == TvTipRecordDone)
        TvDesktop::openFolder(TvDefaultSettings::instance()->videoDir());
}

MainWindow::~MainWindow() {
    qWarning() << "~MainWindow";
    // A window torn down without a confirmed exit still lets go of the stream road and the cells first.
    MainWindow* self = this;
    g_mainWindow.compare_exchange_strong(self, nullptr);
    if (TvPlayHost::installed() == this)
        TvPlayHost::install(nullptr);
    {
        QMutexLocker lock(&m_mutex); // a packet already on its way finishes before the cells go
        playKeyByCallId.clear();
        callIdByPlayKey.clear();
    }
    ui.reset();
}

QRect MainWindow::initialGeometry(const QSize& desktop) {
    const int w = desktop.width();
    const int h = desktop.height();
    int width = 0;
    int height = 0;
    // w / h < 2.0, compared without dividing so an empty desktop cannot divide by zero.
    if (qint64(w) < 2 * qint64(h)) {
        width = w * 1280 / 1920;
        height = width * 720 / 1280;
    } else {
        height = h * 720 / 1080;
        width = height * 1280 / 720;
    }
    return QRect((w - width) / 2, (h - height) / 2, width, height);
}

QString MainWindow::statusText(qint64 bytes, const QString& cpuText) {
    return tr("速率：%1 KBps  %2").arg(QString::number(bytes / 1024), cpuText);
}

void MainWindow::addReceivedBytes(qint64 bytes) {
    QMutexLocker lock(&m_mutex);
    receivedBytes += bytes;
}

void MainWindow::enableLiveToolbar() {
    const QList<QPushButton*> buttons = {
        ui->pushBtn_snap,
        ui->pushBtn_record,
        ui->pushBtn_listen,
        ui->pushBtn_speak,
        ui->pushBtn_ptz_up,
        ui->pushBtn_ptz_down,
        ui->pushBtn_ptz_left,
        ui->pushBtn_ptz_right,
        ui->pushBtn_ptz_all,
        ui->pushBtn_ptz_horizontal,
        ui->pushBtn_ptz_vertical,
        ui->pushBtn_ptz_preset_set,
        ui->pushBtn_ptz_preset_do,
        ui->pushBtn_flip_v,
        ui->pushBtn_flip_h,
        ui->pushBtn_wifi,
        ui->pushBtn_video_set,
        ui->pushBtn_optical_zoom_in,
        ui->pushBtn_optical_zoom_out,
        ui->pushBtn_digit_zoom_in,
        ui->pushBtn_digit_zoom_out,
    };
    for (QPushButton* button : buttons)
        button->setEnabled(true);
}

void MainWindow::enableLiveToolbar(QWidget* cell) {
    Q_UNUSED(cell)
    enableLiveToolbar();
}

bool MainWindow::confirmExit() {
    if (TvDefaultSettings::instance()->logoutConfirm()) {
        QMessageBox box(QMessageBox::Warning, tr("提示"), tr("确定要退出程序吗？"),
                        QMessageBox::Ok | QMessageBox::Cancel, this);
        if (box.exec() != QMessageBox::Ok)
            return false;
    }
    g_appExiting = true;
    if (!dataCenter)
        return true;
    const QList<VeCameraModel*> cameras = deviceList;
    for (VeCameraModel* camera : cameras)
        stopWithCamera(camera);
    TvPlayHost::install(nullptr);
    g_mainWindow = nullptr;
    return true;
}

// ---- The device list panel ----

void MainWindow::updateDeviceListSlot() {
    contextCamera = nullptr;
    QList<VeCameraModel*> list;
    if (dataCenter) {
        const QMap<QString, VeCameraModel*> cloud = dataCenter->loginCenter->cloudDevicesSnapshot();
        list = cloud.values();
        const QMap<QString, VeCameraModel*> lan = dataCenter->lanCenter->lanDevicesSnapshot();
        for (auto it = lan.cbegin(); it != lan.cend(); ++it)
            if (!cloud.contains(it.key()))
                list.append(it.value());
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const VeCameraModel* a, const VeCameraModel* b) { return a->alias < b->alias; });
    std::stable_partition(list.begin(), list.end(), [](const VeCameraModel* c) { return c->isOnline(); });
    deviceList = list;
    ui->treeView_lan->setDeviceList(deviceList);
}

QMessageBox::StandardButton MainWindow::warn(const QString& text, bool askOk) {
    QMessageBox box(QMessageBox::Warning, tr("提示"), text,
                    askOk ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok, this);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MainWindow::didSelectWidget(TvPlayWidget* previous, TvPlayWidget* current) {
    if (previous == current)
        return;
    if (previous && ui->widget_displayMan->cells().contains(previous) && previous->camera)
        stopCellAudio(previous);
    enableLiveToolbar();
    ui->pushBtn_record->setChecked(current && current->isRecording());
    if (current && current->camera) {
        qWarning() << "model index" << current->camera->modelIndex;
        ui->treeView_lan->setCurrentIndex(current->camera->modelIndex);
    }
}

void MainWindow::stopCellAudio(TvPlayWidget* cell) {
    if (cell->isListeningOn()) {
        cell->stopListen();
        QMutexLocker lock(&ui->widget_displayMan->audioLock());
        ui->pushBtn_listen->setChecked(false);
    }
    if (cell->isTalking()) {
        cell->stopTalk();
        ui->pushBtn_speak->setChecked(false);
    }
}

void MainWindow::on_treeView_lan_pressed(const QModelIndex& index) {
    auto* camera = index.data(TvDeviceTreeView::CameraRole).value<VeCameraModel*>();
    if (!camera)
        return;
    camera->playKey = camera->deviceId;
    TvDisplayMangeView* display = ui->widget_displayMan;
    TvPlayWidget* previous = display->selectedCell();
    display->selectCellByKey(camera->playKey);
    if (display->selectedCell() != previous)
        didSelectWidget(previous, display->selectedCell());
}

void MainWindow::on_treeView_lan_doubleClicked(const QModelIndex& index) {
    auto* camera = index.data(TvDeviceTreeView::CameraRole).value<VeCameraModel*>();
    if (!camera)
        return;
    if (!camera->isLanOnline() && !camera->isAccessPwdValid()) {
        dialogUnavailable("VeLocalAccessPwdDialog");
        return;
    }
    if (camera != contextCamera)
        camera->mainStream = true;
    if (playWithCamera(camera) < 0)
        warn(tr("播放视频失败"));
}

int MainWindow::playWithCamera(VeCameraModel* camera) {
    QMutexLocker lock(&m_mutex);
    qWarning() << "playWithCamera";
    if (!camera)
        return 0;
    if (!camera->isOnline()) {
        lock.unlock(); // the box runs an event loop; stream packets must not wait for it
        warn(tr("设备不在线"));
        return 0;
    }
    const bool lan = camera->isLanOnline();
    qWarning() << "请求播放" << (lan ? "局域网设备" : "互联网设备") << camera->alias << camera->playKey;
    TvDisplayMangeView* display = ui->widget_displayMan;
    if (callIdByPlayKey.contains(camera->playKey) ||
        (camera->playing && display->cellForKey(camera->deviceId))) {
        qWarning() << camera->alias << "已经在播放了";
        return 0;
    }
    TvPlayWidget* cell = display->bindCamera(camera);
    if (!cell) {
        lock.unlock();
        warn(tr("播放失败，目前只支持同时播放 16 路视频"));
        return 0;
    }
    NxAlarmLog::instance()->insertAlarm(camera->deviceId, NxAlarmLog::VideoOpened);
    connect(cell, &TvPlayWidget::showCustomMenuSignal, this, &MainWindow::showCustomMenuSlot,
            Qt::UniqueConnection);
    startCallAsync(cell, camera, false);
    ui->pushBtn_record->setChecked(false);
    return 0;
}

void MainWindow::startCallAsync(TvPlayWidget* cell, VeCameraModel* camera, bool reconnect) {
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

void MainWindow::callFinished(TvPlayWidget* cell, VeCameraModel* camera, int result, bool reconnect) {
    TvDisplayMangeView* display = ui->widget_displayMan;
    QMutexLocker lock(&m_mutex);
    const bool stillBound = cell && cell->camera == camera && display->cellForKey(camera->playKey) == cell;
    if (!stillBound || g_appExiting) {
        // The camera was stopped while its call was being made: hang the late call up again.
        if (result >= 0)
            TvCallWorker::instance()->post(camera->deviceId, [camera] {
                NxDataCenter::instance()->videoCenter->closeCameraVideo(camera);
                return 0;
            });
        return;
    }
    if (result < 0) {
        cell->needsReconnect = true;
        qWarning() << "playWithCamera" << camera->deviceId << "call failed" << result
                   << (reconnect ? "(reconnect)" : "");
        if (!reconnect) {
            display->stopForIdentify(camera->playKey);
            lock.unlock();
            updateDeviceListSlot();
            warn(tr("播放视频失败"));
        }
        return;
    }
    callIdByPlayKey.insert(camera->playKey, camera->callId);
    playKeyByCallId.insert(camera->callId, camera->playKey);
    if (reconnect)
        return;
    display->startCell(camera->playKey);
    display->selectCellByKey(camera->playKey);
    lock.unlock();
    enableLiveToolbar();
    updateDeviceListSlot();
    TvCallWorker::instance()->post(camera->deviceId, [camera] {
        NxDataCenter::instance()->sendStreamSelector(camera);
        return 0;
    });
}

void MainWindow::removeCallEntries(VeCameraModel* camera) {
    const QString callId = callIdByPlayKey.value(camera->playKey);
    callIdByPlayKey.remove(camera->playKey);
    if (!callId.isEmpty())
        playKeyByCallId.remove(callId);
}

void MainWindow::stopWithCamera(VeCameraModel* camera) {
    if (!camera)
        return;
    {
        QMutexLocker lock(&m_mutex);
        qWarning() << "stopWithCamera";
        removeCallEntries(camera);
        TvDisplayMangeView* display = ui->widget_displayMan;
        display->stopForIdentify(camera->playKey);
        {
            QMutexLocker audio(&display->audioLock());
            ui->pushBtn_listen->setChecked(false);
        }
        NxAlarmLog::instance()->insertAlarm(camera->deviceId, NxAlarmLog::VideoClosed);
    }
    updateDeviceListSlot();
}

void MainWindow::autoReconnectCamera(VeCameraModel* camera) {
    if (!camera)
        return;
    if (!camera->isLanOnline() && !NxDeviceStateCenter::instance()->isWanOnline(camera->deviceId)) {
        qWarning() << "设备不在线，不用重连";
        return;
    }
    TvDisplayMangeView* display = ui->widget_displayMan;
    TvPlayWidget* cell = nullptr;
    {
        QMutexLocker lock(&m_mutex);
        qWarning() << "autoReconnectCamera";
        removeCallEntries(camera);
        for (TvPlayWidget* c : display->cells())
            if (c->camera == camera)
                cell = c;
    }
    if (!cell)
        return;
    if (cell->isListeningOn() && cell == display->selectedCell()) {
        QMutexLocker audio(&display->audioLock());
        ui->pushBtn_listen->setChecked(false);
    }
    // The cell stops recording and sound; the call itself is closed and made again off this thread.
    cell->needsReconnect = false;
    if (cell->isRecording())
        cell->stopRecord();
    if (cell->isListeningOn())
        cell->stopListen();
    if (cell->isTalking())
        cell->stopTalk();
    ui->pushBtn_record->setChecked(false);
    startCallAsync(cell, camera, true);
}

void MainWindow::reconnectCamera(VeCameraModel* camera) {
    autoReconnectCamera(camera);
}

void MainWindow::cellStateChanged(QWidget* cell) {
    enableLiveToolbar(cell);
}

QString MainWindow::callIdFor(const QString& playKey) {
    QMutexLocker lock(&m_mutex);
    return callIdByPlayKey.value(playKey);
}

// ---- The stream road ----

void MainWindow::deliverStream(const char* callId, const unsigned char* data, int length, bool isVideo) {
    MainWindow* window = g_mainWindow.load();
    if (g_appExiting || !window)
        return;
    if (isVideo)
        TvStreamEntry::videoPacket(*window, callId, data, length);
    else
        TvStreamEntry::audioPacket(*window, data, length);
}

void MainWindow::deliverPacket(const char* callId, std::unique_ptr<TvMediaObject> object) {
    handleStreamCallback(callId, std::move(object));
}

void MainWindow::handleStreamCallback(const char* callId, std::unique_ptr<TvMediaObject> object) {
    QMutexLocker lock(&m_mutex);
    if (g_appExiting) {
        qWarning() << "handleStreamCallback" << 332;
        return;
    }
    receivedBytes += object->length();
    if (!object->isVideo()) {
        ui->widget_displayMan->deliverPacket(std::move(object), QString());
        return;
    }
    const auto it = playKeyByCallId.constFind(QString::fromUtf8(callId ? callId : ""));
    if (it == playKeyByCallId.constEnd()) {
        qWarning() << "handleStreamCallback" << 341;
        return;
    }
    ui->widget_displayMan->deliverPacket(std::move(object), it.value());
}

// ---- Context menus ----

void MainWindow::on_treeView_lan_customContextMenuRequested(const QPoint& pos) {
    contextCamera = ui->treeView_lan->indexAt(pos).data(TvDeviceTreeView::CameraRole).value<VeCameraModel*>();
    VeCameraModel* camera = contextCamera;
    const bool playing = camera && camera->playing;
    const bool online = camera && !playing && camera->isOnline();
    const bool offline = camera && !playing && !online;
    const bool listed =
        camera && dataCenter && dataCenter->loginCenter->cloudDevicesSnapshot().contains(camera->deviceId);

    treeMenu->clear();
    const auto add = [this](const QString& text, void (MainWindow::*slot)(), bool enabled) {
        QAction* action = treeMenu->addAction(text);
        action->setEnabled(enabled);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    add(tr("主码流 播放"), &MainWindow::playVideoMenuSlot, online);
    add(tr("子码流 播放"), &MainWindow::playSubStreamVideoMenuSlot, online);
    add(tr("关闭视频"), &MainWindow::closeVideoMenuSlot, playing);
    treeMenu->addSeparator();
    // Dialogs that come with later parts of the client stay disabled until they exist.
    add(tr("添加设备"), &MainWindow::addDeviceMenuSlot, false);
    add(tr("删除设备"), &MainWindow::deleteDeviceMenuSlot, (online || offline) && listed);
    add(tr("修改设备别名"), &MainWindow::updateAliasMenuSlot, false);
    add(tr("修改访问密码"), &MainWindow::updateAccessPwdMenuSlot, false);
    add(tr("设备设置"), &MainWindow::lanCameraSetMenuSlot, false);
    add(tr("重启设备"), &MainWindow::rebootDeviceMenuSlot, playing || online);
    add(tr("SD卡录像查询"), &MainWindow::SDFilesMenuSlot, false);
    treeMenu->addSeparator();
    add(tr("刷新"), &MainWindow::refreshLanMenuSlot, true);
    if (!property("kvabNoMenuExec").toBool()) // tests read the menu without running it
        treeMenu->exec(QCursor::pos());
}

void MainWindow::showCustomMenuSlot(void* target) {
    auto* cell = static_cast<TvPlayWidget*>(target);
    TvDisplayMangeView* display = ui->widget_displayMan;
    if (display->isFullScreen() || !display->cells().contains(cell))
        return;
    delete cellMenu;
    cellMenu = new QMenu(cell);
    cellMenu->setStyleSheet(QStringLiteral("background-color: rgb(230, 230, 230);"));
    contextCamera = cell->camera;
    if (contextCamera)
        on_treeView_lan_pressed(contextCamera->modelIndex);
    connect(cellMenu->addAction(tr("关闭视频")), &QAction::triggered, this, &MainWindow::closeVideoMenuSlot);
    QAction* startRec = cellMenu->addAction(tr("开始录像"));
    startRec->setEnabled(!cell->isRecording());
    connect(startRec, &QAction::triggered, this, &MainWindow::startRecordMenuSlot);
    QAction* stopRec = cellMenu->addAction(tr("停止录像"));
    stopRec->setEnabled(cell->isRecording());
    connect(stopRec, &QAction::triggered, this, &MainWindow::stopRecordMenuSlot);
    QAction* settings = cellMenu->addAction(tr("Camera设置"));
    settings->setEnabled(false); // the camera settings dialog comes later
    connect(settings, &QAction::triggered, this, &MainWindow::cameraSettingMenuSlot);
    connect(cellMenu->addAction(tr("全屏")), &QAction::triggered, this,
            &MainWindow::on_pushBtn_fullscreen_clicked);
    if (!property("kvabNoMenuExec").toBool())
        cellMenu->exec(QCursor::pos());
}

void MainWindow::playVideoMenuSlot() {
    if (!contextCamera)
        return;
    contextCamera->mainStream = true;
    on_treeView_lan_doubleClicked(contextCamera->modelIndex);
    contextCamera = nullptr;
}

void MainWindow::playSubStreamVideoMenuSlot() {
    if (!contextCamera)
        return;
    contextCamera->mainStream = false;
    on_treeView_lan_doubleClicked(contextCamera->modelIndex);
    contextCamera = nullptr;
}

void MainWindow::closeVideoMenuSlot() {
    if (!contextCamera)
        return;
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    stopWithCamera(camera);
}

void MainWindow::deleteDeviceMenuSlot() {
    if (!contextCamera)
        return;
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    const QString text = tr("确定要删除设备 \"%1(%2)\" ？").arg(camera->alias, camera->deviceId);
    if (warn(text, true) != QMessageBox::Ok)
        return;
    dataCenter->loginCenter->removeDevice(camera->deviceId);
    updateDeviceListSlot();
}

void MainWindow::rebootDeviceMenuSlot() {
    if (!contextCamera)
        return;
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    if (!camera->isLanOnline() && !camera->isAccessPwdValid()) {
        dialogUnavailable("VeLocalAccessPwdDialog");
        return;
    }
    const bool ok = warn(tr("确定要重启设备吗？"), true) == QMessageBox::Ok;
    qWarning() << "reboot confirmed" << ok;
    if (!ok)
        return;
    qint32 result = -1;
    bool called = false;
    if (camera->isLanOnline()) {
        IPInfo info{};
        if (dataCenter->getIPInfo(camera, &info) >= 0) {
            result = dataCenter->rebootDevice(camera, QString::fromLatin1(info.mac));
            called = true;
        }
    } else {
        result = dataCenter->rebootDevice(camera, QString());
        called = true;
    }
    if (called && result >= 0) {
        warn(tr("设备正在重启，大概需要一分钟。"));
        dataCenter->lanCenter->refreshLan(3);
        stopWithCamera(camera);
    } else {
        warn(tr("重启设备失败，请稍后再试"));
    }
}

void MainWindow::refreshLanMenuSlot() {
    contextCamera = nullptr;
    if (dataCenter) {
        dataCenter->lanCenter->refreshLan(3);
        dataCenter->loginCenter->queryAllDeviceStatus();
    }
    updateDeviceListSlot();
}

void MainWindow::startRecordMenuSlot() {
    TvPlayWidget* cell = ui->widget_displayMan->selectedCell();
    contextCamera = nullptr;
    if (!cell || cell->state() == TvPlayStateIdle) {
        ui->widget_snapTip->showTip(TvTipMessage, tr("请先连接视频"));
        return;
    }
    const QString folder = TvDefaultSettings::instance()->videoDir();
    TvFileManager::instance()->makePath(folder);
    const bool ok = cell->startRecord(folder);
    if (!ok)
        ui->widget_snapTip->showTip(TvTipRecordFailed, QString());
    ui->pushBtn_record->setChecked(ok);
}

void MainWindow::stopRecordMenuSlot() {
    TvPlayWidget* cell = ui->widget_displayMan->selectedCell();
    contextCamera = nullptr;
    if (!cell || !cell->isRecording())
        return;
    cell->stopRecord();
    ui->pushBtn_record->setChecked(false);
    ui->widget_snapTip->showTip(TvTipRecordDone, TvDefaultSettings::instance()->videoDir());
}

void MainWindow::dialogUnavailable(const char* slot) {
    qWarning() << slot << "is not available in this version";
    contextCamera = nullptr;
}

void MainWindow::addDeviceMenuSlot() {
    dialogUnavailable("addDeviceMenuSlot");
}
void MainWindow::updateAliasMenuSlot() {
    dialogUnavailable("updateAliasMenuSlot");
}
void MainWindow::updateAccessPwdMenuSlot() {
    dialogUnavailable("updateAccessPwdMenuSlot");
}
void MainWindow::lanCameraSetMenuSlot() {
    wifiRequest = false;
    dialogUnavailable("lanCameraSetMenuSlot");
}
void MainWindow::SDFilesMenuSlot() {
    dialogUnavailable("SDFilesMenuSlot");
}
void MainWindow::cameraSettingMenuSlot() {
    dialogUnavailable("cameraSettingMenuSlot");
}
void MainWindow::on_pushBtn_addDev_clicked() {
    dialogUnavailable("on_pushBtn_addDev_clicked");
}
void MainWindow::on_pushBtn_setting_clicked() {
    dialogUnavailable("on_pushBtn_setting_clicked");
}
void MainWindow::on_pushBtn_alarm_log_clicked() {
    dialogUnavailable("on_pushBtn_alarm_log_clicked");
}
void MainWindow::on_pushBtn_help_clicked() {}

void MainWindow::updateCPUInfoSlot(const QString& text) {
    ui->label_cpu_info->setText(text);
}

QRect MainWindow::displayArea() const {
    const QRect top = ui->widget_toptool->geometry();
    return QRect(QPoint(0, top.bottom() + 1),
                 QPoint(ui->widget_righttool->x() - 1, ui->widget_bottomtol->y() - 1));
}

void MainWindow::on_pushBtn_fullscreen_clicked() {
    QWidget* display = ui->widget_displayMan;
    qWarning() << "windows flag" << display->windowFlags();
    if (display->isFullScreen()) {
        display->setWindowFlags(Qt::Widget | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                Qt::WindowCloseButtonHint | Qt::WindowFullscreenButtonHint);
        display->showNormal();
        display->setGeometry(displayArea());
    } else {
        display->setWindowFlags(Qt::Dialog);
        display->showFullScreen();
    }
}

void MainWindow::onButtonCloseClicked() {
    qWarning() << "onButtonCloseClicked";
    if (confirmExit())
        QCoreApplication::exit(0);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    VeBasicWindow::resizeEvent(event);
    const int w = event->size().width();
    const int h = event->size().height();
    qWarning() << "resizeEvent" << event->size();

    QRect top = ui->widget_toptool->geometry();
    top.setWidth(w);
    ui->widget_toptool->setGeometry(top);
    ui->label_toop_bg->setGeometry(0, 0, w, top.height());

    const int bottomHeight = ui->widget_bottomtol->height();
    ui->widget_bottomtol->setGeometry(0, h - bottomHeight, w, bottomHeight);

    const int rightWidth = ui->widget_righttool->width();
    const int rightTop = top.bottom() + 1;
    const int rightHeight = ui->widget_bottomtol->y() - rightTop;
    ui->widget_righttool->setGeometry(w - rightWidth, rightTop, rightWidth, qMax(0, rightHeight));

    QWidget* toolbar = ui->widget_righttool_bottom;
    const int toolbarTop = ui->widget_righttool->height() - toolbar->height();
    toolbar->move(0, toolbarTop);
    ui->widget_righttool_top->setGeometry(0, 0, rightWidth, qMax(0, toolbarTop));
    ui->treeView_lan->setGeometry(QRect(QPoint(0, 0), ui->widget_righttool_top->size()));

    if (!ui->widget_displayMan->isWindow())
        ui->widget_displayMan->setGeometry(displayArea());

    const int statusWidth = ui->widget_bottomtol->width();
    ui->widget_snapTip->setGeometry(QRect(QPoint(statusWidth - 229, 0), QPoint(statusWidth, 29)));

    QPushButton* add = ui->pushBtn_addDev;
    add->move(ui->widget_toptool->width() - add->width(), 0);

    if (m_titleBar)
        m_titleBar->setFixedWidth(w);
}

void MainWindow::timerEvent(QTimerEvent* event) {
    Q_UNUSED(event)
    const QString cpu = TvGlobal::cpuUsageText();
    qint64 bytes = 0;
    {
        QMutexLocker lock(&m_mutex);
        bytes = receivedBytes;
        receivedBytes = 0;
    }
    emit updateCPUInfoSignal(statusText(bytes, cpu));
}

bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, long* result) {
#ifdef Q_OS_WIN
    const MSG* msg = static_cast<const MSG*>(message);
    if (msg->message == WM_NCHITTEST) {
        const QRect frame = frameGeometry();
        const QPoint pos = QPoint(GET_X_LPARAM(msg->lParam), GET_Y_LPARAM(msg->lParam)) - frame.topLeft();
        const bool overBar = childAt(pos) == ui->widget_bar;
        const int code = TvBorderHitTest::hitTestCode(TvBorderHitTest::edgesAt(pos, frame.size(), overBar));
        if (code != 0) {
            *result = code;
            return true;
        }
    }
#endif
    return VeBasicWindow::nativeEvent(eventType, message, result);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && ui->widget_displayMan->isFullScreen())
        on_pushBtn_fullscreen_clicked();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    qWarning() << "closeEvent" << event << "你是不是也进来两次？";
    if (confirmExit())
        event->accept();
    else
        event->ignore();
}
