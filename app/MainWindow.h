#pragma once

#include "TvTipWidgetType.h"
#include "VeBasicWindow.h"

#include <QList>
#include <QMap>
#include <QMutex>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTranslator>

#include <memory>

namespace Ui {
class MainWindow;
}

class MainWindow;
class NxDataCenter;
class QMenu;
class TvBorderResizer;
class VeCameraModel;

// The one translation catalogue of the application, installed by main().
extern QTranslator g_translator;
// Set when the main window is constructed; cleared once an exit is confirmed.
extern MainWindow* g_mainWindow;
// Set once an exit is confirmed; the stream entry drops every packet from then on.
extern bool g_appExiting;

// The client's single top-level window: fixed-pixel panels, the device tree, the live-view toolbar,
// the one-second status line and the confirmed exit.
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

signals:
    void updateCPUInfoSignal(const QString& text);

public slots:
    void updateDeviceListSlot();

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
