#pragma once

#include "TvTipWidgetType.h"

#include <QObject>
#include <QString>

namespace Ui {
class MainWindow;
}
class QMenu;
class QPushButton;
class QWidget;
class TvDisplayMangeView;
class TvPlayWidget;
class VeCameraModel;

// The live-view toolbar of the main window's right-hand panel. Every button acts on the display
// manager's selected cell when it is ready (bound and not idle): snapshot, recording, listening and
// talk-back (exclusive for one cell), the pan/tilt pad, cruises, flip, mirror, optical and digital zoom
// and the two preset menus. Camera commands go out on the call worker, so the GUI never waits for them.
class TvLiveToolbar : public QObject {
    Q_OBJECT
public:
    static constexpr int kPresets = 8;

    TvLiveToolbar(Ui::MainWindow* ui, QWidget* window);

    // Enables the toolbar; the Wi-Fi button stays off while the device settings dialog is missing.
    void enableButtons();
    void cellBound(TvPlayWidget* cell);
    // A cell that loses the selection (or its play) stops listening and talking.
    void stopCellAudio(TvPlayWidget* cell);
    // Stop the cell's sound one way and uncheck its button; false when it was not on.
    bool stopListening(TvPlayWidget* cell);
    bool stopTalking(TvPlayWidget* cell);
    // The ready cell, or null after showing the "connect first" tip.
    TvPlayWidget* readyCell(bool tip = true);
    QMenu* presetMenu(bool set) const { return set ? m_presetSetMenu : m_presetMoveMenu; }

    // The folder to write into: the configured one when it exists; the default one (cache location and
    // the leaf) is created when missing; an empty text after telling the user otherwise.
    QString usableFolder(const QString& configured, const QString& leaf);

signals:
    // The video settings button on a ready cell: the camera's settings dialog is wanted.
    void videoSettingSignal(VeCameraModel* camera);
    // The ready cell's camera, on the LAN: its device settings open on the wireless page.
    void wifiSettingSignal(VeCameraModel* camera);

public slots:
    void on_pushBtn_snap_clicked();
    void on_pushBtn_record_clicked();
    void startRecordMenuSlot();
    void stopRecordMenuSlot();
    void on_pushBtn_listen_clicked();
    void on_pushBtn_speak_clicked();
    void on_pushBtn_ptz_up_pressed() { sendPressed(1); }
    void on_pushBtn_ptz_down_pressed() { sendPressed(2); }
    void on_pushBtn_ptz_left_pressed() { sendPressed(3); }
    void on_pushBtn_ptz_right_pressed() { sendPressed(4); }
    void on_pushBtn_ptz_released() { send(7, 0, false); }
    void on_pushBtn_ptz_all_clicked() { send(60, 3); }
    void on_pushBtn_ptz_horizontal_clicked() { send(60, 1); }
    void on_pushBtn_ptz_vertical_clicked() { send(60, 2); }
    void on_pushBtn_flip_v_clicked() { send(61, 0); }
    void on_pushBtn_flip_h_clicked() { send(62, 0); }
    void on_pushBtn_optical_zoom_in_clicked() { send(5, 0); }
    void on_pushBtn_optical_zoom_out_clicked() { send(6, 0); }
    void on_pushBtn_digit_zoom_in_clicked();
    void on_pushBtn_digit_zoom_out_clicked();
    void on_pushBtn_ptz_preset_do_clicked();
    void on_pushBtn_ptz_preset_set_clicked();
    void doMovePresetMenuSlot(int n) { send(63, n, false); }
    void doSetPresetMenuSlot(int n) { send(64, n, false); }
    void on_pushBtn_wifi_clicked();
    void on_pushBtn_video_set_clicked();
    void on_widget_snapTip_clicked(TvTipWidgetType kind);
    // The sound server went away: every cell stops listening and talking, with a tip.
    void soundDeviceLostSlot();

private:
    void sendPressed(int selector) { send(selector, 0); }
    // Sends a camera command to the ready cell's camera; without one, the tip when `tip` is set.
    void send(int selector, int value, bool tip = true);
    QMenu* buildPresetMenu(bool set);
    void showTip(TvTipWidgetType kind, const QString& text);
    // Unchecks a checkable button whose click found nothing to act on.
    static void undoToggle(QPushButton* button);

    Ui::MainWindow* ui;
    QWidget* m_window;
    TvDisplayMangeView* m_display;
    QMenu* m_presetMoveMenu = nullptr;
    QMenu* m_presetSetMenu = nullptr;
};
