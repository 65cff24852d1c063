#pragma once

#include "TvPlayController.h"
#include "TvStreamRouter.h"
#include "TvTipWidgetType.h"
#include "VeBasicWindow.h"

#include <QList>
#include <QMessageBox>
#include <QModelIndex>
#include <QPointer>
#include <QRect>
#include <QSet>
#include <QSize>
#include <QString>
#include <QTranslator>

#include <atomic>
#include <memory>

namespace Ui {
class MainWindow;
}

class MainWindow;
class NxDataCenter;
class QMenu;
class TvBorderResizer;
class TvDeviceActions;
class TvLiveToolbar;
class TvPlayWidget;
class VeCameraModel;

// The one translation catalogue of the application, installed by main().
extern QTranslator g_translator;
// Set when the main window is constructed; cleared once an exit is confirmed.
extern std::atomic<MainWindow*> g_mainWindow;
// Set once an exit is confirmed.
extern std::atomic<bool> g_appExiting;

// The client's single top-level window: fixed-pixel panels, the device tree with its menus, the
// live-view toolbar, the one-second status line and the confirmed exit. Playing, stopping and
// reconnecting cameras is the play controller's job, the stream road the stream router's.
class MainWindow : public VeBasicWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's size and place on a desktop of the given size (wide desktops keep a 16:9 window
    // of two thirds of the height; others two thirds of the width).
    static QRect initialGeometry(const QSize& desktop);

    // The status line for the bytes received during one tick.
    static QString statusText(qint64 bytes, const QString& cpuText);

    // Adds a stream packet's length to the rate counter; safe from any thread.
    void addReceivedBytes(qint64 bytes);

    void enableLiveToolbar();
    // For play cells, which pass themselves; the argument is not used.
    void enableLiveToolbar(QWidget* cell);

    // Asks (when the setting wants it) and, on OK, starts the exit: true when the client should end.
    bool confirmExit();

    // The play controller's: 0, or -1 when the camera's call could not be started (it completes later).
    int playWithCamera(VeCameraModel* camera, bool chosen = true) {
        return m_calls->playWithCamera(camera, chosen);
    }
    void stopWithCamera(VeCameraModel* camera) { m_calls->stopWithCamera(camera); }
    void autoReconnectCamera(VeCameraModel* camera) { m_calls->autoReconnectCamera(camera); }
    const QList<VeCameraModel*>& devices() const { return deviceList; }

    // The call identity filed for a play key (empty when none).
    QString callIdFor(const QString& playKey) { return m_router->callIdFor(playKey); }
    TvLiveToolbar* toolbar() const { return m_toolbar; }

signals:
    void updateCPUInfoSignal(const QString& text);

public slots:
    void updateDeviceListSlot();
    void didSelectWidget(TvPlayWidget* previous, TvPlayWidget* current);
    void on_treeView_lan_pressed(const QModelIndex& index);
    void on_treeView_lan_doubleClicked(const QModelIndex& index);
    void on_treeView_lan_customContextMenuRequested(const QPoint& pos);
    void showCustomMenuSlot(void* cell);
    void playVideoMenuSlot();
    void playSubStreamVideoMenuSlot();
    void closeVideoMenuSlot();
    void addDeviceMenuSlot();
    void deleteDeviceMenuSlot();
    void updateAliasMenuSlot();
    void updateAccessPwdMenuSlot();
    void lanCameraSetMenuSlot();
    void rebootDeviceMenuSlot();
    void SDFilesMenuSlot();
    void refreshLanMenuSlot();
    void cameraSettingMenuSlot();
    void startRecordMenuSlot();
    void stopRecordMenuSlot();
    void on_pushBtn_addDev_clicked();
    // The toolbar's video settings button.
    void videoSettingSlot(VeCameraModel* camera);
    void on_pushBtn_setting_clicked();
    void on_pushBtn_alarm_log_clicked();
    void on_pushBtn_help_clicked();
    void warningSlot(const QString& text);
    void cellBoundSlot(TvPlayWidget* cell);
    // Tree icons and the live toolbar's check marks follow the cells.
    void cellStateSlot();
    void recordingEndedSlot(const QString& path, bool ok);

private slots:
    void updateCPUInfoSlot(const QString& text);
    void on_pushBtn_fullscreen_clicked();
    void onButtonCloseClicked() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Device ids of the playing cameras whose cell waits for pictures again.
    QSet<QString> stalledCameras() const;
    void refreshStalledMarks();
    // A dialog that comes with a later part of the client: logged, nothing opened.
    void dialogUnavailable(const char* slot);
    QMessageBox::StandardButton warn(const QString& text, bool askOk = false);

    std::unique_ptr<Ui::MainWindow> ui; // the form object, deleted before the members
    NxDataCenter* dataCenter = nullptr;
    // Declared after the form: they go first, so no packet or cell request reaches a destroyed grid.
    std::unique_ptr<TvStreamRouter> m_router;
    std::unique_ptr<TvPlayController> m_calls;
    QMenu* treeMenu = nullptr;
    // Owned by the window, never by a cell: the cell it was opened on may delete itself meanwhile.
    QPointer<QMenu> cellMenu;
    TvLiveToolbar* m_toolbar = nullptr;   // a child of the window
    TvDeviceActions* m_devices = nullptr; // a child of the window
    bool wifiRequest = false;
    VeCameraModel* contextCamera = nullptr;
    QList<VeCameraModel*> deviceList;
    // Playing cameras shown as waiting for pictures again.
    QSet<QString> m_stalled;
    TvBorderResizer* m_borderResizer = nullptr;
};
