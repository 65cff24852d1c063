#pragma once

#include "TvDecodeCell.h"
#include "TvDigitalZoom.h"
#include "TvPlayState.h"
#include "VeRecordCenter.h"

#include <QMutex>
#include <QPen>
#include <QPoint>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTimer;
class TvConnectAnimationView;
class TvDisplayMangeView;
class TvMediaObject;
class TvPlayWidgetForm;
class TvReconnectOverlay;
class VeCameraModel;
class VeOpenGLWidget;
class VePlayCoverWidget;

// One cell of the live-view grid: shows one camera's stream, owns its media queue, decode thread,
// renderer and record center, and carries the cell's states, the connection watchdog, snapshots,
// recording and digital zoom.
class TvPlayWidget : public QWidget, public TvDecodeCell {
    Q_OBJECT
public:
    static constexpr int kMaxZoom = TvDigitalZoom::kMaxLevel;
    static constexpr int kLanTimeout = 8;
    static constexpr int kWanTimeout = 30;
    // The recording plate: wide enough for the dot and the bold time.
    static constexpr int kRecFlagWidth = 96;
    // Seconds a resumed recording waits for the new call's key frame group before it is given up.
    static constexpr int kResumeTries = 30;

    explicit TvPlayWidget(QWidget* parent = nullptr);
    ~TvPlayWidget() override;

    qint32 startCall();
    void start();
    void stop(TvPlayState state);
    void closeVideo();
    void close();

    // Opening the camera's sound call may wait on the network, so it runs on the call worker; `done` then
    // gets the SDK's result on the GUI thread, unless the cell stopped (or went away) meanwhile. While the
    // call is being opened the cell already counts as listening (or talking), so a stop ends it.
    void startListen(std::function<void(qint32)> done);
    void stopListen();
    void startTalk(std::function<void(qint32)> done);
    void stopTalk();

    bool snapshot(const QString& dir);
    bool startRecord(const QString& dir);
    void stopRecord();
    // Ends a running recording that should go on once pictures come again (the camera dropped): a new
    // file starts with the first picture of the next call.
    void suspendRecording();

    void setSelected(bool selected);
    // SDK thread: the record center sees every object, the queue only while the cell plays.
    void pushMediaObject(std::unique_ptr<TvMediaObject> object);

    TvPlayState state() const { return static_cast<TvPlayState>(playState()); }
    // The bound camera; read on the SDK and decode threads, so it is swapped atomically. Unbinding
    // (null) also clears needs-reconnect.
    VeCameraModel* camera() const { return m_camera.load(); }
    void setCamera(VeCameraModel* camera);
    TvDisplayMangeView* displayManager() const { return m_displayManager; }
    void setDisplayManager(TvDisplayMangeView* view) { m_displayManager = view; }
    // Fills the grid alone (single-cell view); never framed while set.
    bool isExclusive() const { return m_exclusive; }
    void setExclusive(bool on);
    // The last call failed or timed out; only a cell with a camera can need it.
    bool needsReconnect() const { return m_needsReconnect; }
    void setNeedsReconnect(bool on);
    bool resumesRecording() const { return m_resumeRecording; }
    // The stream the camera was asked to play with, and whether the person chose it in the menu (then it
    // is kept whatever the grid).
    void setStreamRequest(bool main, bool chosen) {
        m_askedMain = main;
        m_streamChosen = chosen;
    }
    bool askedMainStream() const { return m_askedMain; }
    bool streamChosen() const { return m_streamChosen; }
    int zoomLevel() const { return m_zoom->level(); }
    int timeoutCount() const { return m_timeoutCount.load(); }
    bool isSelected() const { return m_selected; }
    bool isRecording() const { return m_recording; }
    bool isListeningOn() const { return isListening() || m_listenOpening; }
    bool isTalking() const { return m_talking || m_talkOpening; }
    VeOpenGLWidget* renderer() const;
    VeRecordCenter& recordCenter() { return m_recordCenter; }
    // The pause between a stopped loop's clean-up and the cell's deletion.
    void setEndPause(int milliseconds) { m_endPauseMs = milliseconds; }

    // TvDecodeCell, on the decode thread.
    void updateImage(const uint8_t* yuv, int width, int height) override;
    void updatePicture(const AVFrame* picture) override;
    void decodeLoopFinished() override;
    void playAudio(const uint8_t* pcm, int bytes) override;
    QString cellName() const override;

signals:
    void showCustomMenuSignal(void* cell);
    void stateSignal(TvPlayState state);
    void wantExclusiveSignal(void* cell, bool on);
    // A snapshot job ended; ok false when nothing was written.
    void snapshotDoneSignal(bool ok, QString path);
    // A recording's file was closed: ok false when it failed (nothing kept, or the disk gave up).
    void recordingEndedSignal(QString path, bool ok);

public slots:
    void setState(TvPlayState state);
    void alarmSlot(QString deviceId);
    void on_pushBtn_zoomMin_clicked();
    void on_pushBtn_zoomAdd_clicked();
    void globalTimeOut();
    void LanDeviceOnlineSlot(QString deviceId);
    void on_pushBtn_reconnect_clicked();
    void on_TvPlayWidget_customContextMenuRequested(QPoint pos);
    void recordingEndedSlot(QString path, bool ok);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // Selected, in a grid of more than one cell with no exclusive cell: the frame is drawn.
    bool framed() const;
    QRect fullRect() const;
    // Decode thread: hands a picture (packed bytes, or the decoder's frame when given) to the renderer and
    // moves a connecting cell to playing.
    void handPicture(const uint8_t* yuv, const AVFrame* frame, int width, int height);
    qint64 stalledSeconds() const;
    void resumeRecording();
    // Posts the SDK open of a listening (or talk) call and records the answer unless a stop came first.
    void openSoundCall(bool talk, std::function<void(qint32)> done);

    std::unique_ptr<TvPlayWidgetForm> ui;

    std::atomic<VeCameraModel*> m_camera{nullptr};
    TvDisplayMangeView* m_displayManager = nullptr;
    bool m_exclusive = false;
    bool m_needsReconnect = false;
    bool m_askedMain = true;
    bool m_streamChosen = false;
    // Pictures the queue had skipped at the last watchdog tick.
    int m_skippedSeen = 0;
    // Milliseconds of a steady clock at the last picture (or the start of the call).
    std::atomic<qint64> m_lastPictureMs{0};
    QString m_recordDir;
    QString m_recordPath;
    bool m_resumeRecording = false;
    int m_resumeTries = 0;

    std::atomic<int> m_timeoutCount{0};
    int m_alarmCountdown = 0;
    QTimer* m_watchdog = nullptr;
    QMutex m_renderMutex;
    bool m_selected = false;
    bool m_recording = false;
    bool m_talking = false;
    // A sound call is being opened on the call worker; the ticket tells a stale answer from a live one.
    bool m_listenOpening = false;
    bool m_talkOpening = false;
    int m_listenTicket = 0;
    int m_talkTicket = 0;
    QPen m_borderPen{QColor(66, 189, 86), 2};
    VeRecordCenter m_recordCenter;
    std::unique_ptr<TvDigitalZoom> m_zoom;
    int m_endPauseMs = 1000;
    std::atomic<bool> m_destroying{false};
};
