#include "TvLiveToolbar.h"

#include "ui_MainWindow.h"

#include "NxDataCenter.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDesktop.h"
#include "TvDisplayMangeView.h"
#include "TvPlayWidget.h"
#include "TvTipWidget.h"
#include "VeCameraModel.h"

#include <QCursor>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QStandardPaths>

TvLiveToolbar::TvLiveToolbar(Ui::MainWindow* form, QWidget* window)
    : QObject(window), ui(form), m_window(window), m_display(form->widget_displayMan) {
    using T = TvLiveToolbar;
    const struct {
        QPushButton* button;
        void (T::*slot)();
    } clicked[] = {
        {ui->pushBtn_snap, &T::on_pushBtn_snap_clicked},
        {ui->pushBtn_record, &T::on_pushBtn_record_clicked},
        {ui->pushBtn_listen, &T::on_pushBtn_listen_clicked},
        {ui->pushBtn_speak, &T::on_pushBtn_speak_clicked},
        {ui->pushBtn_ptz_all, &T::on_pushBtn_ptz_all_clicked},
        {ui->pushBtn_ptz_horizontal, &T::on_pushBtn_ptz_horizontal_clicked},
        {ui->pushBtn_ptz_vertical, &T::on_pushBtn_ptz_vertical_clicked},
        {ui->pushBtn_flip_v, &T::on_pushBtn_flip_v_clicked},
        {ui->pushBtn_flip_h, &T::on_pushBtn_flip_h_clicked},
        {ui->pushBtn_optical_zoom_in, &T::on_pushBtn_optical_zoom_in_clicked},
        {ui->pushBtn_optical_zoom_out, &T::on_pushBtn_optical_zoom_out_clicked},
        {ui->pushBtn_digit_zoom_in, &T::on_pushBtn_digit_zoom_in_clicked},
        {ui->pushBtn_digit_zoom_out, &T::on_pushBtn_digit_zoom_out_clicked},
        {ui->pushBtn_ptz_preset_do, &T::on_pushBtn_ptz_preset_do_clicked},
        {ui->pushBtn_ptz_preset_set, &T::on_pushBtn_ptz_preset_set_clicked},
        {ui->pushBtn_wifi, &T::on_pushBtn_wifi_clicked},
        {ui->pushBtn_video_set, &T::on_pushBtn_video_set_clicked},
    };
    for (const auto& c : clicked)
        connect(c.button, &QPushButton::clicked, this, c.slot);
    const struct {
        QPushButton* button;
        void (T::*pressed)();
    } pad[] = {
        {ui->pushBtn_ptz_up, &T::on_pushBtn_ptz_up_pressed},
        {ui->pushBtn_ptz_down, &T::on_pushBtn_ptz_down_pressed},
        {ui->pushBtn_ptz_left, &T::on_pushBtn_ptz_left_pressed},
        {ui->pushBtn_ptz_right, &T::on_pushBtn_ptz_right_pressed},
    };
    for (const auto& p : pad) {
        connect(p.button, &QPushButton::pressed, this, p.pressed);
        connect(p.button, &QPushButton::released, this, &T::on_pushBtn_ptz_released);
    }
    connect(ui->widget_snapTip, &TvTipWidget::clickedSignal, this, &T::on_widget_snapTip_clicked);
    // Queued: the report comes from inside the audio object that the slot deletes.
    connect(m_display, &TvDisplayMangeView::soundDeviceLostSignal, this, &T::soundDeviceLostSlot,
            Qt::QueuedConnection);
}

void TvLiveToolbar::enableButtons() {
    for (QPushButton* button : ui->widget_righttool_bottom->findChildren<QPushButton*>())
        button->setEnabled(true);
}

void TvLiveToolbar::cellBound(TvPlayWidget* cell) {
    // A new play ends the sound of the cell heard so far.
    TvPlayWidget* selected = m_display->selectedCell();
    if (selected && selected != cell && selected->camera())
        stopCellAudio(selected);
    // The picture is written on a job thread; a failure there still reaches the user.
    connect(
        cell, &TvPlayWidget::snapshotDoneSignal, this,
        [this](bool ok, const QString& path) {
            if (!ok) {
                qWarning() << "snapshot not written" << path;
                showTip(TvTipSnapFailed, QString());
            }
        },
        Qt::UniqueConnection);
}

void TvLiveToolbar::showTip(TvTipWidgetType kind, const QString& text) {
    ui->widget_snapTip->showTip(kind, text);
}

void TvLiveToolbar::undoToggle(QPushButton* button) {
    button->setChecked(false);
}

TvPlayWidget* TvLiveToolbar::readyCell(bool tip) {
    TvPlayWidget* cell = m_display->selectedCell();
    if (cell && cell->camera() && cell->state() != TvPlayStateIdle)
        return cell;
    if (tip)
        showTip(TvTipMessage, tr("请先连接视频"));
    return nullptr;
}

void TvLiveToolbar::send(int selector, int value, bool tip) {
    TvPlayWidget* cell = readyCell(tip);
    if (!cell)
        return;
    VeCameraModel* camera = cell->camera();
    qWarning() << "camera command" << selector << value << camera->deviceId;
    // Camera records live as long as the process; one camera's commands keep their order.
    TvCallWorker::instance()->post(
        camera->deviceId,
        [camera, selector, value] { return NxDataCenter::instance()->sendSelector(selector, value, camera); },
        this,
        [this, selector, id = camera->deviceId](int result) {
            if (result >= 0)
                return;
            qWarning() << "camera command refused" << selector << result << id;
            showTip(TvTipMessage, tr("摄像机未执行该命令"));
        });
}

QString TvLiveToolbar::usableFolder(const QString& configured, const QString& leaf) {
    if (QDir(configured).exists())
        return configured;
    const QString fallback = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + leaf;
    if (QDir::cleanPath(configured) == QDir::cleanPath(fallback)) {
        if (!QDir().mkpath(fallback))
            qWarning() << "cannot create the default folder" << fallback;
        return fallback;
    }
    qWarning() << "folder missing" << configured;
    QMessageBox box(QMessageBox::Warning, tr("提示"), tr("文件夹不存在"), QMessageBox::Ok, m_window);
    box.exec();
    return QString();
}

void TvLiveToolbar::on_pushBtn_snap_clicked() {
    if (!readyCell())
        return;
    const QString folder =
        usableFolder(TvDefaultSettings::instance()->snapDir(), QStringLiteral("/Pictures"));
    if (folder.isEmpty())
        return;
    const QFileInfo info(folder);
    const bool ok = info.isDir() && info.isWritable() && m_display->snapSelected(folder);
    qWarning() << "拍照返回" << (ok ? "true" : "false") << folder;
    if (ok)
        showTip(TvTipSnapOk, folder);
    else
        showTip(TvTipSnapFailed, QString());
}

void TvLiveToolbar::on_pushBtn_record_clicked() {
    TvPlayWidget* cell = readyCell();
    if (!cell) {
        undoToggle(ui->pushBtn_record);
        return;
    }
    if (cell->isRecording())
        stopRecordMenuSlot();
    else
        startRecordMenuSlot();
}

void TvLiveToolbar::startRecordMenuSlot() {
    TvPlayWidget* cell = readyCell();
    if (!cell) {
        undoToggle(ui->pushBtn_record);
        return;
    }
    const QString folder = usableFolder(TvDefaultSettings::instance()->videoDir(), QStringLiteral("/Videos"));
    bool ok = false;
    if (!folder.isEmpty()) {
        const QFileInfo info(folder);
        ok = info.isDir() && info.isWritable() && cell->startRecord(folder);
        if (!ok)
            showTip(TvTipRecordFailed, QString());
    }
    qWarning() << "record start" << ok << folder;
    ui->pushBtn_record->setChecked(ok);
}

void TvLiveToolbar::stopRecordMenuSlot() {
    TvPlayWidget* cell = m_display->selectedCell();
    if (cell && cell->isRecording()) {
        // The tip follows once the file is closed: done, or failed if nothing was kept.
        cell->stopRecord();
    }
    ui->pushBtn_record->setChecked(false);
}

void TvLiveToolbar::stopCellAudio(TvPlayWidget* cell) {
    stopTalking(cell);
    stopListening(cell);
    ui->pushBtn_listen->setChecked(false);
    ui->pushBtn_speak->setChecked(false);
}

void TvLiveToolbar::soundDeviceLostSlot() {
    bool stopped = false;
    for (TvPlayWidget* cell : m_display->cells()) {
        stopped = stopTalking(cell) || stopped;
        stopped = stopListening(cell) || stopped;
    }
    qWarning() << "the sound device was lost; sound stopped:" << stopped;
    if (stopped)
        showTip(TvTipMessage, tr("没有可用的声音设备"));
}

bool TvLiveToolbar::stopListening(TvPlayWidget* cell) {
    if (!cell->isListeningOn())
        return false;
    cell->stopListen();
    m_display->stopListen();
    ui->pushBtn_listen->setChecked(false);
    return true;
}

bool TvLiveToolbar::stopTalking(TvPlayWidget* cell) {
    if (!cell->isTalking())
        return false;
    cell->stopTalk();
    m_display->stopTalk();
    ui->pushBtn_speak->setChecked(false);
    return true;
}

void TvLiveToolbar::on_pushBtn_listen_clicked() {
    TvPlayWidget* cell = readyCell();
    if (!cell) {
        undoToggle(ui->pushBtn_listen);
        return;
    }
    stopTalking(cell);
    if (stopListening(cell))
        return;
    if (!TvDisplayMangeView::hasAudioOutputDevice()) {
        qWarning() << "listen: no sound output device";
        showTip(TvTipMessage, tr("没有可用的声音设备"));
        undoToggle(ui->pushBtn_listen);
        return;
    }
    // Checked while the call opens, so a second click stops it.
    ui->pushBtn_listen->setChecked(true);
    cell->startListen([this, cell](qint32 result) {
        qWarning() << "startListen" << result;
        if (result < 0) {
            showTip(TvTipMessage, tr("收听失败"));
        } else if (!m_display->startListen()) {
            cell->stopListen();
            showTip(TvTipMessage, tr("没有可用的声音设备"));
            result = -1;
        }
        ui->pushBtn_listen->setChecked(result >= 0);
    });
}

void TvLiveToolbar::on_pushBtn_speak_clicked() {
    TvPlayWidget* cell = readyCell();
    if (!cell) {
        undoToggle(ui->pushBtn_speak);
        return;
    }
    stopListening(cell);
    if (stopTalking(cell))
        return;
    if (!TvDisplayMangeView::hasAudioInputDevice()) {
        qWarning() << "talk: no sound input device";
        showTip(TvTipMessage, tr("没有可用的声音设备"));
        undoToggle(ui->pushBtn_speak);
        return;
    }
    ui->pushBtn_speak->setChecked(true);
    cell->startTalk([this, cell](qint32 result) {
        qWarning() << "startTalk" << result;
        if (result < 0) {
            showTip(TvTipMessage, tr("发言失败"));
        } else if (!m_display->startTalk()) {
            cell->stopTalk();
            showTip(TvTipMessage, tr("没有可用的声音设备"));
            result = -1;
        }
        ui->pushBtn_speak->setChecked(result >= 0);
    });
}

void TvLiveToolbar::on_pushBtn_digit_zoom_in_clicked() {
    if (TvPlayWidget* cell = readyCell())
        cell->on_pushBtn_zoomAdd_clicked();
}

void TvLiveToolbar::on_pushBtn_digit_zoom_out_clicked() {
    if (TvPlayWidget* cell = readyCell())
        cell->on_pushBtn_zoomMin_clicked();
}

QMenu* TvLiveToolbar::buildPresetMenu(bool set) {
    QMenu*& menu = set ? m_presetSetMenu : m_presetMoveMenu;
    if (menu)
        return menu;
    menu = new QMenu(set ? ui->pushBtn_ptz_preset_set : ui->pushBtn_ptz_preset_do);
    for (int n = 1; n <= kPresets; ++n) {
        QString text = QString::number(n);
        if (set && n == 1)
            text = tr("1(开机位置)");
        else if (set && n == 2)
            text = tr("2(I/O 报警位置)");
        connect(menu->addAction(text), &QAction::triggered, this, [this, set, n](bool) {
            if (set)
                doSetPresetMenuSlot(n);
            else
                doMovePresetMenuSlot(n);
        });
    }
    return menu;
}

void TvLiveToolbar::on_pushBtn_ptz_preset_do_clicked() {
    if (readyCell())
        buildPresetMenu(false)->exec(QCursor::pos());
}

void TvLiveToolbar::on_pushBtn_ptz_preset_set_clicked() {
    if (readyCell())
        buildPresetMenu(true)->exec(QCursor::pos());
}

void TvLiveToolbar::on_pushBtn_wifi_clicked() {
    TvPlayWidget* cell = readyCell();
    if (!cell || !cell->camera())
        return;
    if (!cell->camera()->isLanOnline()) {
        QMessageBox::warning(m_window, tr("提示"), tr("设备不在局域网，不能修改WiFi！"));
        return;
    }
    emit wifiSettingSignal(cell->camera());
}

void TvLiveToolbar::on_pushBtn_video_set_clicked() {
    if (TvPlayWidget* cell = readyCell())
        emit videoSettingSignal(cell->camera());
}

void TvLiveToolbar::on_widget_snapTip_clicked(TvTipWidgetType kind) {
    qWarning() << "on_widget_snapTip_clicked";
    if (kind == TvTipSnapOk)
        TvDesktop::openFolder(TvDefaultSettings::instance()->snapDir());
    else if (kind == TvTipRecordDone)
        TvDesktop::openFolder(TvDefaultSettings::instance()->videoDir());
}
