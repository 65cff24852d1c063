#pragma once

#include "TvPacketSink.h"
#include "TvPlayHost.h"
#include "TvTipWidgetType.h"
#include "VeBasicWindow.h"

#include <QList>
#include <QMap>
#include <QMessageBox>
#include <QModelIndex>
#include <QMutex>
#include <QRect>
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
class TvPlayWidget;
class TvBorderResizer;
class VeCameraModel;

// The one translation catalogue of the application, installed by main().
extern QTranslator g_translator;
// Set when the main window is constructed; cleared once an exit is confirmed.
extern std::atomic<MainWindow*> g_mainWindow;
// Set once an exit is confirmed; the stream entry drops every packet from then on.
extern std::atomic<bool> g_appExiting;

// The client's single top-level window: fixed-pixel panels, the device tree, the live-view toolbar,
// the one-second status line and the confirmed exit.
class MainWindow : public VeBasicWindow, public TvPacketSink, public TvPlayHost {
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

    // 0, or -1 when the camera's call could not be started; the call itself completes later.
    int playWithCamera(VeCameraModel* camera);
    void stopWithCamera(VeCameraModel* camera);
    void autoReconnectCamera(VeCameraModel* camera);
    const QList<VeCameraModel*>& devices() const { return deviceList; }

    // The SDK's stream packets, on its thread; dropped once an exit has started.
    static void deliverStream(const char* callId, const unsigned char* data, int length, bool isVideo);
    // TvPacketSink: a packet's call identity to its cell.
    void deliverPacket(const char* callId, std::unique_ptr<TvMediaObject> object) override;
    void handleStreamCallback(const char* callId, std::unique_ptr<TvMediaObject> object);
    // The call identity filed for a play key (empty when none).
    QString callIdFor(const QString& playKey);

    // TvPlayHost.
    void reconnectCamera(VeCameraModel* camera) override;
    void cellStateChanged(QWidget* cell) override;

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
    void on_pushBtn_setting_clicked();
    void on_pushBtn_alarm_log_clicked();
    void on_pushBtn_help_clicked();

private slots:
    void updateCPUInfoSlot(const QString& text);
    void on_pushBtn_fullscreen_clicked();
    void on_widget_snapTip_clicked(TvTipWidgetType kind);
    void onButtonCloseClicked() override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, long* result) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QRect displayArea() const;
    // Opens the camera's video call off the GUI thread (after closing the old one when reconnecting)
    // and finishes the play or the reconnect on the GUI thread when the SDK has answered.
    void startCallAsync(TvPlayWidget* cell, VeCameraModel* camera, bool reconnect);
    void callFinished(TvPlayWidget* cell, VeCameraModel* camera, int result, bool reconnect);
    void removeCallEntries(VeCameraModel* camera);
    void stopCellAudio(TvPlayWidget* cell);
    // A dialog that comes with a later part of the client: logged, nothing opened.
    void dialogUnavailable(const char* slot);
    QMessageBox::StandardButton warn(const QString& text, bool askOk = false);

    std::unique_ptr<Ui::MainWindow> ui; // the form object, deleted before the members
    NxDataCenter* dataCenter = nullptr;
    QMutex m_mutex;
    QMap<QString, QString> callIdByPlayKey;
    QMap<QString, QString> playKeyByCallId;
    QMenu* treeMenu = nullptr;
    QMenu* cellMenu = nullptr;
    QMenu* presetMoveMenu = nullptr;
    QMenu* presetSetMenu = nullptr;
    bool wifiRequest = false;
    VeCameraModel* contextCamera = nullptr;
    qint64 receivedBytes = 0;
    QList<VeCameraModel*> deviceList;
    TvBorderResizer* m_borderResizer = nullptr;
};
