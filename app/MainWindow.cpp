#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "TvBorderHitTest.h"
#include "TvBorderResizer.h"
#include "TvDefaultSettings.h"
#include "TvDesktop.h"
#include "TvGlobal.h"
#include "TvTipWidget.h"
#include "VeTitleBar.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QMutexLocker>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimerEvent>

#ifdef Q_OS_WIN
#include <windows.h>
#include <windowsx.h>
#endif

QTranslator g_translator;
MainWindow* g_mainWindow = nullptr;
bool g_appExiting = false;

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

    // The display manager's full-screen exit and cell selection are wired here once it replaces the
    // form's placeholder.
    connect(ui->widget_snapTip, &TvTipWidget::clickedSignal, this, &MainWindow::on_widget_snapTip_clicked);
    ui->widget_snapTip->hide();
    enableLiveToolbar();

    treeMenu = new QMenu(ui->treeView_lan);

    const QString title = QStringLiteral("KVAB") + QLatin1String(kVersion);
    setWindowTitle(title);
    m_titleBar->setTitleContent(title, 9);

    // The device service joins here: dataCenter = NxDataCenter::instance() creates every center;
    // then the stream entry becomes the video center's streamHandler, and the LAN center's
    // findNewDeviceSignal and both updateDeviceListSignal()s reach updateDeviceListSlot().
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
    // With the device panel, every camera of deviceList is stopped here (stopWithCamera, in list
    // order, playing or not) before the window lets go of itself.
    g_mainWindow = nullptr;
    return true;
}

void MainWindow::updateDeviceListSlot() {
    contextCamera = nullptr;
    // The merged, sorted list of the login and LAN centers is built here once the device service exists.
    ui->treeView_lan->setDeviceList(deviceList);
}

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
