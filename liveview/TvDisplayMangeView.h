#pragma once

#include <QAudio>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>

class QAudioInput;
class QAudioOutput;
class QLabel;
class TvAudioIODevice;
class TvMediaObject;
class TvPlayWidget;
class TvStreamChooser;
class VeCameraModel;

// The video area: owns the play cells of all playing cameras (at most 16), lays them out by their
// number, keeps the selected cell (the one the toolbar acts on and the only one that gets audio),
// swaps cells by drag and drop, shows one cell alone on request and supports full screen.
class TvDisplayMangeView : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxCells = 16;
    static constexpr int kHintMs = 6000;

    explicit TvDisplayMangeView(QWidget* parent = nullptr);
    ~TvDisplayMangeView() override;

    TvPlayWidget* bindCamera(VeCameraModel* camera);
    void startCell(const QString& playKey);
    void selectCellByKey(const QString& playKey);
    void selectCellAt(int index);
    void stopForIdentify(const QString& playKey);
    int unboundByIdentify(const QString& playKey);
    // SDK thread: video to the key's cell, audio to the selected cell. Takes the routing lock, under
    // which the GUI thread changes the filed cells and the selection.
    void deliverPacket(std::unique_ptr<TvMediaObject> object, const QString& playKey);
    bool snapSelected(const QString& folder);

    TvPlayWidget* selectedCell() const { return m_selectedCell; }
    const QList<TvPlayWidget*>& cells() const { return m_cells; }
    TvPlayWidget* cellForKey(const QString& playKey) const { return m_cellsByKey.value(playKey); }
    bool hasExclusiveCell() const;
    bool isFullScreenMode() const { return isFullScreen(); }
    QMutex& audioLock() { return m_audioLock; }
    // Decides which stream each cell's camera plays.
    TvStreamChooser* streamChooser() const { return m_streams; }

    // Sound, one way at a time per direction for the whole view: the selected cell's decoded sound
    // plays through the default output (8 kHz mono 16-bit), the microphone goes to the talking camera.
    static bool hasAudioOutputDevice();
    static bool hasAudioInputDevice();
    // Decode thread of the selected cell: queues the PCM for playback, (re)starting the output.
    void didDecodeAudioData(const uint8_t* pcm, int length);
    // False when there is no input device (talk cannot start).
    bool startTalk();
    bool stopTalk();
    bool isTalkInputRunning() const { return m_input != nullptr; }
    bool isSoundOn() const { return m_soundOn; }
    // Bytes waiting for the output (0 without listening).
    int pendingPlaybackBytes();

signals:
    void didSelectWidget(TvPlayWidget* previous, TvPlayWidget* current);
    void startListenSignal();
    void exitFullScreenSignal();
    // The sound server or device went away while listening or talking.
    void soundDeviceLostSignal();
    // Cells were added, removed or laid out anew, or one began to play.
    void cellsChangedSignal();

public slots:
    void wantExclusiveSlot(void* cell, bool on);
    // False when there is no output device.
    bool startListen();
    void stopListen();
    // The output went idle because it ran dry: it stops, and the next decoded block starts it again.
    void stateChanged(QAudio::State state);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void relayout();
    void placeCell(TvPlayWidget* cell, int index);
    // Index of the cell whose rectangle holds the point, skipping the dragged one; -1 for none.
    int cellIndexAt(const QPoint& pos);
    void refreshFrames();
    void setSelectedCell(TvPlayWidget* cell);

    QLabel* label_exitfull_tip;
    QLabel* label_bg;
    TvStreamChooser* m_streams;
    QList<TvPlayWidget*> m_cells;
    TvPlayWidget* m_selectedCell = nullptr;
    TvPlayWidget* m_dragCell = nullptr;
    QPoint m_dragStart;
    int m_dragIndex = -1;
    QMap<QString, TvPlayWidget*> m_cellsByKey;
    // Guards m_cellsByKey and m_selectedCell between their GUI-thread writers and deliverPacket; taken
    // after the stream road's lock and before a cell's locks.
    QMutex m_routeMutex;
    // Guards the output side (m_output, m_listenDevice, m_outputRunning) against the decode thread.
    QMutex m_audioLock;
    QAudioOutput* m_output = nullptr;
    QAudioInput* m_input = nullptr;
    TvAudioIODevice* m_listenDevice = nullptr;
    TvAudioIODevice* m_talkDevice = nullptr;
    bool m_soundOn = false;
    bool m_outputRunning = false;
    // A start request is on its way to the GUI thread; the decode thread does not queue another.
    std::atomic<bool> m_startQueued{false};
    int m_tipTimerId = -1;
};
