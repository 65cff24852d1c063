#pragma once

#include "TvFFmpeg.h"
#include "TvPicture.h"

#include <QByteArray>
#include <QImage>
#include <QMutex>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <memory>

// Shows a cell's newest decoded picture centred with its aspect ratio kept. Pictures come by reference
// from the decode thread and only mark the renderer; the refresh clock (VeRefreshClock) repaints the
// marked renderers together once per tick. A paint converts the picture once, straight from the
// decoder's planes into an RGB image of the size it is drawn at (libswscale), and draws that with the
// raster engine: without an OpenGL widget in the window, a repaint costs only the cells that changed
// rather than a software-OpenGL composition of the whole window.
class VeOpenGLWidget : public QWidget {
    Q_OBJECT
public:
    explicit VeOpenGLWidget(QWidget* parent = nullptr);
    ~VeOpenGLWidget() override;

    // Any thread (the decode thread): keeps a reference to the decoder's picture, copying nothing, and
    // marks the renderer for the next tick. Each tick paints one picture; a second one that came within
    // the same tick is painted on the next; beyond that the oldest unpainted one is counted as dropped.
    void setFrame(const AVFrame* frame);
    // Any thread: the same for a packed planar YUV 4:2:0 picture (TvYuvLayout), copied once.
    void setImage(const uint8_t* yuv, int width, int height);
    // Drops the picture; the next paint draws only the background.
    void clearImage();
    // The newest picture packed in TvYuvLayout when it is at most 200 ms old (for snapshots).
    bool copyFrame(QByteArray& picture, int& width, int& height);
    bool hasImage();
    // Pictures painted so far, and pictures replaced by a newer one before they were painted.
    quint64 paintedPictures();
    quint64 droppedPictures();
    // Times the RGB image had to be made anew (first picture, new picture or target size).
    quint64 imageAllocations();

    // The refresh clock's tick: repaints when a picture is waiting.
    void refreshIfMarked();

    // Where a picture goes in an area: centred, as large as fits with its aspect ratio kept.
    static QRect fitRect(const QSize& area, const QSize& picture);

signals:
    // A picture was handed over (on the thread that set it).
    void updateSignal();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void takePicture(TvPicture picture);
    bool convert(const TvPicture& picture, const QSize& size);

    QMutex m_mutex;      // guards the pictures, their time and the counters; taken last, after a cell's own
    TvPicture m_pending; // arrived, not painted yet
    TvPicture m_next;    // arrived after m_pending within the same tick
    TvPicture m_shown;   // painted last
    qint64 m_pictureTime = 0;
    quint64 m_painted = 0;
    quint64 m_dropped = 0;
    quint64 m_allocations = 0;
    std::atomic<bool> m_marked{false};

    // GUI thread only: the converted picture and the converter that made it.
    TvFFmpeg::SwsPtr m_scaler;
    std::unique_ptr<uint8_t[]> m_pixels;
    size_t m_pixelBytes = 0;
    QImage m_image;
    quint64 m_imageSerial = 0; // m_painted when m_image was made
};
