#include "TvDisplayMangeView.h"

#include "TvAudioIODevice.h"
#include "TvCallWorker.h"
#include "TvGridLayout.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvPlayWidget.h"
#include "TvStreamChooser.h"
#include "VeCameraModel.h"
#include "pcQuorvane.h"

#include <QAudioDeviceInfo>
#include <QAudioFormat>
#include <QAudioInput>
#include <QAudioOutput>
#include <QDebug>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTimerEvent>

TvDisplayMangeView::TvDisplayMangeView(QWidget* parent)
    : QWidget(parent), label_exitfull_tip(new QLabel(this)), label_bg(new QLabel(this)) {
    if (objectName().isEmpty())
        setObjectName(QStringLiteral("TvDisplayMangeView"));
    resize(636, 510);
    setWindowTitle(QStringLiteral("Form"));
    setStyleSheet(QStringLiteral("background-color: rgb(48, 48, 48);"));
    setFocusPolicy(Qt::StrongFocus);

    label_exitfull_tip->setObjectName(QStringLiteral("label_exitfull_tip"));
    label_exitfull_tip->setText(tr("按Esc退出全屏"));
    label_exitfull_tip->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label_exitfull_tip->setStyleSheet(
        QStringLiteral("font: 18px \"黑体\";\ncolor: rgb(255, 255, 255);\n"
                       "background-color: rgba(51, 51, 51, 0.7);\nborder-radius:20px;"));
    label_exitfull_tip->hide();

    label_bg->setObjectName(QStringLiteral("label_bg"));
    label_bg->setEnabled(false);
    label_bg->setStyleSheet(QStringLiteral("border-image: url(:/images/view_back.bmp);"));
    label_bg->lower();
    // Queued: the grid changes under the stream road's lock, and a switch calls the camera again.
    m_streams = new TvStreamChooser(this);
    connect(this, &TvDisplayMangeView::cellsChangedSignal, m_streams, &TvStreamChooser::cellsChangedSlot,
            Qt::QueuedConnection);
    // Decoded sound restarts an output that ran dry, never one that listening has stopped since.
    connect(
        this, &TvDisplayMangeView::startListenSignal, this,
        [this] {
            m_startQueued = false;
            bool wanted = false;
            {
                TvMutexLocker lock(&m_audioLock);
                wanted = m_soundOn;
            }
            if (wanted)
                startListen();
        },
        Qt::QueuedConnection);
}

TvDisplayMangeView::~TvDisplayMangeView() {
    stopTalk();
    stopListen();
}

namespace {
// 8 kHz mono signed 16-bit little-endian PCM, or the device's nearest when it cannot take that.
QAudioFormat soundFormat(const QAudioDeviceInfo& device) {
    QAudioFormat format;
    format.setSampleRate(8000);
    format.setChannelCount(1);
    format.setSampleSize(16);
    format.setCodec(QStringLiteral("audio/pcm"));
    format.setByteOrder(QAudioFormat::LittleEndian);
    format.setSampleType(QAudioFormat::SignedInt);
    if (!device.isFormatSupported(format)) {
        qWarning() << "sound device" << device.deviceName() << "takes no 8 kHz mono 16-bit: nearest used";
        format = device.nearestFormat(format);
    }
    return format;
}
// The output's own buffer, kept short: the rest waits (bounded) in the listen device.
constexpr int kOutputBufferBytes = 1600; // 100 ms
constexpr int kInputBufferBytes = 1280;  // two talk blocks
} // namespace

bool TvDisplayMangeView::hasAudioOutputDevice() {
    return !QAudioDeviceInfo::defaultOutputDevice().isNull();
}

bool TvDisplayMangeView::hasAudioInputDevice() {
    return !QAudioDeviceInfo::defaultInputDevice().isNull();
}

// The output and input objects are touched on the GUI thread only; the audio lock guards what the
// decode thread sees (the listen device, the running and sound-on flags). Qt's PulseAudio backend
// runs a nested event loop while it starts, stops and deletes, so the lock is never held across those.
bool TvDisplayMangeView::startListen() {
    {
        TvMutexLocker lock(&m_audioLock);
        m_soundOn = true;
    }
    if (!m_output) {
        const QAudioDeviceInfo device = QAudioDeviceInfo::defaultOutputDevice();
        if (device.isNull()) {
            qWarning() << "startListen: no sound output device";
            TvMutexLocker lock(&m_audioLock);
            m_soundOn = false;
            return false;
        }
        m_output = new QAudioOutput(device, soundFormat(device), this);
        m_output->setBufferSize(kOutputBufferBytes);
        connect(m_output, &QAudioOutput::stateChanged, this, &TvDisplayMangeView::stateChanged,
                Qt::QueuedConnection);
    }
    if (!m_listenDevice) {
        auto* device = new TvAudioIODevice(this);
        device->open(TvAudioIODevice::kModeListen);
        TvMutexLocker lock(&m_audioLock);
        m_listenDevice = device;
    }
    bool running = false;
    {
        TvMutexLocker lock(&m_audioLock);
        running = m_outputRunning;
    }
    if (!running) {
        m_output->start(m_listenDevice);
        running = m_output->error() == QAudio::NoError;
        if (!running) {
            qWarning() << "startListen: the sound output failed" << m_output->error();
            stopListen(); // nothing half-open: the next listen starts afresh
            return false;
        }
        TvMutexLocker lock(&m_audioLock);
        m_outputRunning = true;
    }
    return true;
}

void TvDisplayMangeView::stopListen() {
    QAudioOutput* output = m_output;
    TvAudioIODevice* device = nullptr;
    m_output = nullptr;
    {
        TvMutexLocker lock(&m_audioLock);
        device = m_listenDevice;
        m_listenDevice = nullptr;
        m_outputRunning = false;
        m_soundOn = false;
    }
    if (output) {
        output->disconnect(this);
        if (output->state() != QAudio::StoppedState) {
            output->suspend();
            output->stop();
        }
        delete output;
    }
    if (device) {
        device->close();
        delete device;
    }
}

void TvDisplayMangeView::didDecodeAudioData(const uint8_t* pcm, int length) {
    TvMutexLocker lock(&m_audioLock);
    if (m_listenDevice)
        m_listenDevice->append(reinterpret_cast<const char*>(pcm), length);
    if (!m_outputRunning && !m_startQueued.exchange(true))
        emit startListenSignal();
}

void TvDisplayMangeView::stateChanged(QAudio::State state) {
    QAudioOutput* output = m_output;
    if (!output)
        return;
    qWarning() << "state is changed============ " << state << output->error();
    if (state == QAudio::StoppedState &&
        (output->error() == QAudio::FatalError || output->error() == QAudio::OpenError)) {
        emit soundDeviceLostSignal();
        return;
    }
    // Judged by the output's state now: the report was queued and may be stale.
    if (output->state() == QAudio::IdleState && output->error() == QAudio::UnderrunError) {
        {
            TvMutexLocker lock(&m_audioLock);
            m_outputRunning = false;
        }
        output->stop();
    }
}

int TvDisplayMangeView::pendingPlaybackBytes() {
    TvMutexLocker lock(&m_audioLock);
    return m_listenDevice ? m_listenDevice->playbackBytes() : 0;
}

bool TvDisplayMangeView::startTalk() {
    if (!m_input) {
        const QAudioDeviceInfo device = QAudioDeviceInfo::defaultInputDevice();
        if (device.isNull()) {
            qWarning() << "startTalk: no sound input device";
            return false;
        }
        m_input = new QAudioInput(device, soundFormat(device), this);
        m_input->setBufferSize(kInputBufferBytes);
        connect(m_input, &QAudioInput::stateChanged, this, [this](QAudio::State state) {
            const QAudio::Error error = m_input ? m_input->error() : QAudio::NoError;
            qWarning() << "talk input state" << state << error;
            if (state == QAudio::StoppedState && (error == QAudio::FatalError || error == QAudio::OpenError))
                emit soundDeviceLostSignal();
        });
    }
    if (!m_talkDevice) {
        m_talkDevice = new TvAudioIODevice(this);
        // Sending waits for the SDK's answer: off the GUI thread, in order.
        m_talkDevice->setBlockSink([](const QByteArray& block) {
            TvCallWorker::instance()->post(QStringLiteral("talk-audio"), [block] {
                return nx_AudioData(reinterpret_cast<const unsigned char*>(block.constData()), block.size(),
                                    0);
            });
        });
    }
    m_talkDevice->open(TvAudioIODevice::kModeTalk);
    m_input->start(m_talkDevice);
    if (m_input->error() != QAudio::NoError) {
        qWarning() << "startTalk: the sound input failed" << m_input->error();
        stopTalk();
        return false;
    }
    return true;
}

bool TvDisplayMangeView::stopTalk() {
    QAudioInput* input = m_input;
    TvAudioIODevice* device = m_talkDevice;
    m_input = nullptr;
    m_talkDevice = nullptr;
    if (input) {
        input->disconnect(this);
        if (input->state() != QAudio::StoppedState)
            input->stop();
        delete input;
    }
    if (device) {
        device->close();
        delete device;
    }
    return true;
}

bool TvDisplayMangeView::hasExclusiveCell() const {
    for (const TvPlayWidget* cell : m_cells)
        if (cell->isExclusive())
            return true;
    return false;
}

TvPlayWidget* TvDisplayMangeView::bindCamera(VeCameraModel* camera) {
    if (!camera || m_cells.size() >= kMaxCells)
        return nullptr;
    auto* cell = new TvPlayWidget(this);
    cell->show();
    cell->setCamera(camera);
    camera->playing = true;
    cell->setNeedsReconnect(false);
    camera->playKey = camera->deviceId;
    {
        TvMutexLocker lock(&m_routeMutex);
        m_cellsByKey.insert(camera->playKey, cell);
    }
    m_cells.append(cell);
    cell->setDisplayManager(this);
    // A new camera leaves single-cell view: the grid shows every cell again, the new one included.
    for (TvPlayWidget* c : m_cells)
        c->setExclusive(false);
    relayout();
    cell->raise();
    label_exitfull_tip->raise();
    connect(cell, &TvPlayWidget::wantExclusiveSignal, this, &TvDisplayMangeView::wantExclusiveSlot);
    // A cell that begins to play gets the stream the grid wants.
    connect(cell, &TvPlayWidget::stateSignal, this, [this] { emit cellsChangedSignal(); });
    return cell;
}

void TvDisplayMangeView::startCell(const QString& playKey) {
    TvPlayWidget* cell = m_cellsByKey.value(playKey);
    if (!cell)
        return;
    cell->start();
    label_bg->hide();
}

void TvDisplayMangeView::setSelectedCell(TvPlayWidget* cell) {
    TvMutexLocker lock(&m_routeMutex);
    m_selectedCell = cell;
}

void TvDisplayMangeView::refreshFrames() {
    for (TvPlayWidget* cell : m_cells)
        cell->setSelected(cell == m_selectedCell);
}

void TvDisplayMangeView::selectCellByKey(const QString& playKey) {
    if (!m_cellsByKey.contains(playKey))
        return;
    setSelectedCell(m_cellsByKey.value(playKey));
    refreshFrames();
}

void TvDisplayMangeView::selectCellAt(int index) {
    TvPlayWidget* previous = m_selectedCell;
    for (int i = 0; i < m_cells.size(); ++i)
        m_cells[i]->setSelected(i == index);
    if (index >= 0 && index < m_cells.size()) {
        setSelectedCell(m_cells[index]);
        emit didSelectWidget(previous, m_selectedCell);
    } else {
        setSelectedCell(nullptr);
    }
}

int TvDisplayMangeView::unboundByIdentify(const QString& playKey) {
    qWarning() << "unboundByIdentify";
    TvPlayWidget* cell = m_cellsByKey.value(playKey);
    if (!cell)
        return -1;
    {
        // First out of the routing: no packet reaches the cell while it closes.
        TvMutexLocker lock(&m_routeMutex);
        m_cellsByKey.remove(playKey);
        if (m_selectedCell == cell)
            m_selectedCell = nullptr;
    }
    cell->close();
    if (cell->camera())
        cell->camera()->playing = false;
    cell->setCamera(nullptr);
    const int index = m_cells.indexOf(cell);
    m_cells.removeAll(cell);
    if (m_dragCell == cell) {
        m_dragCell = nullptr;
        m_dragIndex = -1;
    }
    cell->hide();
    return index;
}

void TvDisplayMangeView::stopForIdentify(const QString& playKey) {
    if (!m_cellsByKey.contains(playKey))
        return;
    qWarning() << "stopForIdentify";
    int i = unboundByIdentify(playKey);
    if (i > m_cells.size() - 1)
        i = i - 1;
    if (i >= 0 && i < m_cells.size()) {
        selectCellAt(i);
        relayout();
    } else {
        setSelectedCell(nullptr);
        raise();
        label_bg->show();
        relayout();
    }
}

void TvDisplayMangeView::deliverPacket(std::unique_ptr<TvMediaObject> object, const QString& playKey) {
    if (!object)
        return;
    TvMutexLocker lock(&m_routeMutex);
    if (object->isVideo()) {
        TvPlayWidget* cell = m_cellsByKey.value(playKey);
        if (cell)
            cell->pushMediaObject(std::move(object));
        return; // an unfiled key drops the object
    }
    if (m_selectedCell && m_selectedCell->camera())
        m_selectedCell->pushMediaObject(std::move(object));
}

bool TvDisplayMangeView::snapSelected(const QString& folder) {
    return m_selectedCell && m_selectedCell->snapshot(folder);
}

void TvDisplayMangeView::wantExclusiveSlot(void* target, bool on) {
    auto* cell = static_cast<TvPlayWidget*>(target);
    if (!m_cells.contains(cell))
        return;
    for (TvPlayWidget* c : m_cells)
        c->setExclusive(false);
    cell->setExclusive(on);
    relayout();
    cell->raise();
    refreshFrames();
}

void TvDisplayMangeView::relayout() {
    const int w = width();
    const int h = height();
    const int n = m_cells.size();
    for (int i = 0; i < n; ++i) {
        TvPlayWidget* cell = m_cells[i];
        cell->setGeometry(cell->isExclusive() ? QRect(0, 0, w, h) : TvGridLayout::slotRect(n, i, w, h));
    }
    label_exitfull_tip->setGeometry((w - 1 - 199) / 2, (h - 1 - 39) / 2, 200, 40);
    label_bg->setGeometry(0, 0, w, h);
    refreshFrames();
    emit cellsChangedSignal();
}

void TvDisplayMangeView::placeCell(TvPlayWidget* cell, int index) {
    cell->setGeometry(TvGridLayout::slotRect(m_cells.size(), index, width(), height()));
}

int TvDisplayMangeView::cellIndexAt(const QPoint& pos) {
    int found = -1;
    for (int i = 0; i < m_cells.size(); ++i) {
        if (i == m_dragIndex)
            continue;
        if (m_cells[i]->geometry().contains(pos)) {
            found = i;
            break;
        }
    }
    qWarning() << "查询到鼠标当前停留的窗口位置为" << found;
    return found;
}

void TvDisplayMangeView::mousePressEvent(QMouseEvent* event) {
    if (m_cells.size() <= 1 || hasExclusiveCell()) {
        QWidget::mousePressEvent(event);
        return;
    }
    if (event->button() != Qt::LeftButton || !label_bg->isHidden())
        return;
    const int index = cellIndexAt(event->pos());
    if (index < 0)
        return;
    selectCellAt(index);
    if (m_selectedCell && m_selectedCell->zoomLevel() > 0)
        return; // the cell pans its zoomed picture with this drag
    m_dragCell = m_cells[index];
    m_dragCell->raise();
    m_dragStart = event->pos();
    m_dragIndex = index;
}

void TvDisplayMangeView::mouseMoveEvent(QMouseEvent* event) {
    if (m_cells.size() <= 1 || hasExclusiveCell() || !m_dragCell) {
        QWidget::mouseMoveEvent(event);
        return;
    }
    m_dragCell->move(m_dragCell->pos() + (event->pos() - m_dragStart));
    m_dragStart = event->pos();
    cellIndexAt(m_dragCell->geometry().center());
}

void TvDisplayMangeView::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragCell) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const int target = cellIndexAt(m_dragCell->geometry().center());
    if (target >= 0 && m_cells[target] != m_dragCell) {
        placeCell(m_cells[target], m_dragIndex);
        m_cells.swapItemsAt(target, m_dragIndex);
        m_dragIndex = target;
    }
    placeCell(m_dragCell, m_dragIndex);
    m_dragCell = nullptr;
    m_dragStart = QPoint();
    m_dragIndex = -1;
}

void TvDisplayMangeView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    qWarning() << "this->geometry()" << geometry() << frameGeometry();
    relayout();
    if (!isFullScreen()) {
        label_exitfull_tip->hide();
        if (m_tipTimerId != -1) {
            killTimer(m_tipTimerId);
            m_tipTimerId = -1;
        }
    } else {
        label_exitfull_tip->raise();
        label_exitfull_tip->show();
        if (m_tipTimerId != -1)
            killTimer(m_tipTimerId);
        m_tipTimerId = startTimer(kHintMs, Qt::CoarseTimer);
    }
}

void TvDisplayMangeView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_tipTimerId)
        label_exitfull_tip->hide();
}

void TvDisplayMangeView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isFullScreen())
        emit exitFullScreenSignal();
}

void TvDisplayMangeView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(68, 68, 68));
}
