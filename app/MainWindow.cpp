#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxVideoCenter.h"
#include "TvBorderHitTest.h"
#include "TvBorderResizer.h"
#include "TvDefaultSettings.h"
#include "TvDeviceActions.h"
#include "TvDeviceTreeView.h"
#include "TvDisplayMangeView.h"
#include "TvGlobal.h"
#include "TvLiveToolbar.h"
#include "TvMainLayout.h"
#include "TvPlayController.h"
#include "TvPlayWidget.h"
#include "TvStreamRouter.h"
#include "TvTipWidget.h"
#include "VeAppLogDialog.h"
#include "VeAppSettingDialog.h"
#include "VeCameraModel.h"
#include "VeDataBase.h"
#include "VeSDFilesDialog.h"
#include "VeTitleBar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QResizeEvent>
#include <QScreen>
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
    wifiRequest = false;
    contextCamera = nullptr;

    g_mainWindow = this;
    initTitleBar();
    m_devices = new TvDeviceActions(this);

    connect(ui->widget_displayMan, &TvDisplayMangeView::exitFullScreenSignal, this,
            &MainWindow::on_pushBtn_fullscreen_clicked);
    connect(ui->widget_displayMan, &TvDisplayMangeView::didSelectWidget, this, &MainWindow::didSelectWidget);
    m_toolbar = new TvLiveToolbar(ui.get(), this);
    connect(m_toolbar, &TvLiveToolbar::videoSettingSignal, this, &MainWindow::videoSettingSlot);
    connect(m_toolbar, &TvLiveToolbar::wifiSettingSignal, this, [this](VeCameraModel* camera) {
        wifiRequest = true;
        contextCamera = camera;
        lanCameraSetMenuSlot();
    });
    ui->widget_snapTip->hide();
    enableLiveToolbar();

    treeMenu = new QMenu(ui->treeView_lan);
    ui->treeView_lan->setContextMenuPolicy(Qt::CustomContextMenu);

    const QString title = QStringLiteral("KVAB") + QLatin1String(kVersion);
    setWindowTitle(title);
    m_titleBar->setTitleContent(title, 9);

    dataCenter = NxDataCenter::instance();
    m_router = std::make_unique<TvStreamRouter>(ui->widget_displayMan);
    m_router->install();
    dataCenter->videoCenter->streamHandler = &TvStreamRouter::deliverStream;
    m_calls = std::make_unique<TvPlayController>(ui->widget_displayMan, m_router.get());
    connect(m_calls.get(), &TvPlayController::warningSignal, this, &MainWindow::warningSlot);
    connect(m_calls.get(), &TvPlayController::cellBoundSignal, this, &MainWindow::cellBoundSlot);
    connect(m_calls.get(), &TvPlayController::updateDeviceListSignal, this,
            &MainWindow::updateDeviceListSlot);
    connect(m_calls.get(), &TvPlayController::cellStateSignal, this, &MainWindow::cellStateSlot);
    // A reconnected cell turns to playing on its decode thread's first picture, which no call reports.
    connect(ui->widget_displayMan, &TvDisplayMangeView::cellsChangedSignal, this,
            [this] { refreshStalledMarks(); });
    connect(dataCenter->lanCenter, &NxLanCenter::findNewDeviceSignal, this,
            &MainWindow::updateDeviceListSlot);
    connect(dataCenter->loginCenter, &NxLoginCenter::updateDeviceListSignal, this,
            &MainWindow::updateDeviceListSlot);
    connect(dataCenter, &NxDataCenter::updateDeviceListSignal, this, &MainWindow::updateDeviceListSlot);
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

MainWindow::~MainWindow() {
    qWarning() << "~MainWindow";
    // A window torn down without a confirmed exit still lets go of the stream road and the cells first.
    MainWindow* self = this;
    g_mainWindow.compare_exchange_strong(self, nullptr);
    m_calls.reset();
    m_router.reset(); // waits for a packet already on its way, before the cells go
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
    m_router->addReceivedBytes(bytes);
}

void MainWindow::enableLiveToolbar() {
    m_toolbar->enableButtons();
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
    m_router->uninstall(); // the stream entry drops every packet from now on
    const QList<VeCameraModel*> cameras = deviceList;
    for (VeCameraModel* camera : cameras)
        stopWithCamera(camera);
    m_calls->shutDown();
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
    m_stalled = stalledCameras();
    ui->treeView_lan->setDeviceList(deviceList, m_stalled);
}

QMessageBox::StandardButton MainWindow::warn(const QString& text, bool askOk) {
    QMessageBox box(QMessageBox::Warning, tr("提示"), text,
                    askOk ? (QMessageBox::Ok | QMessageBox::Cancel) : QMessageBox::Ok, this);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void MainWindow::didSelectWidget(TvPlayWidget* previous, TvPlayWidget* current) {
    if (previous == current)
        return;
    if (previous && ui->widget_displayMan->cells().contains(previous) && previous->camera())
        m_toolbar->stopCellAudio(previous);
    enableLiveToolbar();
    ui->pushBtn_record->setChecked(current && current->isRecording());
    if (current && current->camera()) {
        qWarning() << "model index" << current->camera()->modelIndex;
        ui->treeView_lan->setCurrentIndex(current->camera()->modelIndex);
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
    if (m_devices->askLocalPassword(camera))
        return;
    // The menu's main and sub stream items choose the stream; a double-click leaves it to the grid.
    const bool chosen = camera == contextCamera;
    if (!chosen)
        camera->mainStream = true;
    if (playWithCamera(camera, chosen) < 0)
        warn(tr("播放视频失败"));
}

void MainWindow::warningSlot(const QString& text) {
    warn(text);
}

void MainWindow::cellBoundSlot(TvPlayWidget* cell) {
    connect(cell, &TvPlayWidget::showCustomMenuSignal, this, &MainWindow::showCustomMenuSlot,
            Qt::UniqueConnection);
    connect(cell, &TvPlayWidget::recordingEndedSignal, this, &MainWindow::recordingEndedSlot,
            Qt::UniqueConnection);
    m_toolbar->cellBound(cell);
}

QSet<QString> MainWindow::stalledCameras() const {
    QSet<QString> ids;
    for (const TvPlayWidget* cell : ui->widget_displayMan->cells())
        if (cell->camera() && cell->state() == TvPlayStateReconnecting)
            ids.insert(cell->camera()->deviceId);
    return ids;
}

void MainWindow::cellStateSlot() {
    enableLiveToolbar();
    const TvPlayWidget* cell = ui->widget_displayMan->selectedCell();
    ui->pushBtn_record->setChecked(cell && cell->isRecording());
    ui->pushBtn_listen->setChecked(cell && cell->isListeningOn());
    ui->pushBtn_speak->setChecked(cell && cell->isTalking());
    refreshStalledMarks();
}

void MainWindow::refreshStalledMarks() {
    // The rows are rebuilt only when a camera's shown state changed; an open menu keeps its camera.
    const QSet<QString> stalled = stalledCameras();
    if (stalled != m_stalled) {
        m_stalled = stalled;
        ui->treeView_lan->setDeviceList(deviceList, m_stalled);
    }
}

void MainWindow::recordingEndedSlot(const QString& path, bool ok) {
    qWarning() << "recording ended" << path << ok;
    if (ok)
        ui->widget_snapTip->showTip(TvTipRecordDone, TvDefaultSettings::instance()->videoDir());
    else
        ui->widget_snapTip->showTip(TvTipRecordFailed, QString());
    cellStateSlot();
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
    add(tr("添加设备"), &MainWindow::addDeviceMenuSlot, true);
    add(tr("删除设备"), &MainWindow::deleteDeviceMenuSlot, (online || offline) && listed);
    add(tr("修改设备别名"), &MainWindow::updateAliasMenuSlot, listed);
    add(tr("修改访问密码"), &MainWindow::updateAccessPwdMenuSlot, listed);
    add(tr("设备设置"), &MainWindow::lanCameraSetMenuSlot, playing || online);
    add(tr("重启设备"), &MainWindow::rebootDeviceMenuSlot, playing || online);
    add(tr("SD卡录像查询"), &MainWindow::SDFilesMenuSlot, playing || online);
    treeMenu->addSeparator();
    add(tr("刷新"), &MainWindow::refreshLanMenuSlot, true);
    treeMenu->exec(QCursor::pos());
}

void MainWindow::showCustomMenuSlot(void* target) {
    auto* cell = static_cast<TvPlayWidget*>(target);
    TvDisplayMangeView* display = ui->widget_displayMan;
    if (display->isFullScreen() || !display->cells().contains(cell))
        return;
    if (cellMenu)
        cellMenu->deleteLater();
    cellMenu = new QMenu(this);
    cellMenu->setStyleSheet(QStringLiteral("background-color: rgb(230, 230, 230);"));
    contextCamera = cell->camera();
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
    settings->setEnabled(contextCamera != nullptr);
    connect(settings, &QAction::triggered, this, &MainWindow::cameraSettingMenuSlot);
    connect(cellMenu->addAction(tr("全屏")), &QAction::triggered, this,
            &MainWindow::on_pushBtn_fullscreen_clicked);
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
    if (m_devices->askLocalPassword(camera))
        return;
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
    contextCamera = nullptr;
    m_toolbar->startRecordMenuSlot();
}

void MainWindow::stopRecordMenuSlot() {
    contextCamera = nullptr;
    m_toolbar->stopRecordMenuSlot();
}

void MainWindow::dialogUnavailable(const char* slot) {
    qWarning() << slot << "is not available in this version";
    contextCamera = nullptr;
}

void MainWindow::addDeviceMenuSlot() {
    contextCamera = nullptr;
    m_devices->addDevice();
    updateDeviceListSlot();
}
void MainWindow::updateAliasMenuSlot() {
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    if (m_devices->updateAlias(camera))
        updateDeviceListSlot();
}
void MainWindow::updateAccessPwdMenuSlot() {
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    m_devices->updateAccessPwd(camera);
}
void MainWindow::lanCameraSetMenuSlot() {
    VeCameraModel* camera = contextCamera;
    const bool wirelessPage = wifiRequest;
    wifiRequest = false;
    contextCamera = nullptr;
    if (!m_devices->askLocalPassword(camera))
        m_devices->deviceSetting(camera, wirelessPage, [this](VeCameraModel* c) { stopWithCamera(c); });
}
void MainWindow::SDFilesMenuSlot() {
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    if (!camera || m_devices->askLocalPassword(camera))
        return;
    auto* dialog = new VeSDFilesDialog(camera, this); // deletes itself when closed
    dialog->exec();
}
void MainWindow::cameraSettingMenuSlot() {
    VeCameraModel* camera = contextCamera;
    contextCamera = nullptr;
    m_devices->cameraSetting(camera);
}
void MainWindow::videoSettingSlot(VeCameraModel* camera) {
    contextCamera = camera;
    cameraSettingMenuSlot();
}
void MainWindow::on_pushBtn_addDev_clicked() {
    addDeviceMenuSlot();
}
void MainWindow::on_pushBtn_setting_clicked() {
    VeAppSettingDialog* dialog = new VeAppSettingDialog(this);
    dialog->exec();
}
void MainWindow::on_pushBtn_alarm_log_clicked() {
    const QStringList ids = VeAppLogDialog::cameraFilterIds(dataCenter->loginCenter->cloudDevicesSnapshot(),
                                                            dataCenter->lanCenter->lanDevicesSnapshot());
    VeAppLogDialog* dialog = new VeAppLogDialog(VeDataBase::instance(), ids, this);
    dialog->exec();
}
void MainWindow::on_pushBtn_help_clicked() {}

void MainWindow::updateCPUInfoSlot(const QString& text) {
    ui->label_cpu_info->setText(text);
}

void MainWindow::on_pushBtn_fullscreen_clicked() {
    QWidget* display = ui->widget_displayMan;
    qWarning() << "windows flag" << display->windowFlags();
    if (display->isFullScreen()) {
        display->setWindowFlags(Qt::Widget | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                Qt::WindowCloseButtonHint | Qt::WindowFullscreenButtonHint);
        display->showNormal();
        display->setGeometry(TvMainLayout::displayArea(ui.get()));
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
    qWarning() << "resizeEvent" << event->size();
    TvMainLayout::apply(ui.get(), event->size());
    if (m_titleBar)
        m_titleBar->setFixedWidth(event->size().width());
}

void MainWindow::timerEvent(QTimerEvent* event) {
    Q_UNUSED(event)
    const QString cpu = TvGlobal::cpuUsageText();
    emit updateCPUInfoSignal(statusText(m_router->takeReceivedBytes(), cpu));
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
