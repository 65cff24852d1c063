#include "VeOpenGLWidget.h"

#include "TvMutexLocker.h"
#include "VeRefreshClock.h"

#include <QDateTime>
#include <QDebug>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <new>

namespace {

const QColor kBackground(34, 34, 34);
// Up to this many pixels the converter scales while converting. A picture zoomed in beyond it is
// converted at its own size and scaled by the painter, which then touches only the visible part.
constexpr qint64 kMaxDirectPixels = 2560LL * 1600;
// The converter's vector code writes whole blocks: rows start 64-byte aligned and a spare row follows.
constexpr int kRowAlign = 64;

} // namespace

VeOpenGLWidget::VeOpenGLWidget(QWidget* parent) : QWidget(parent) {
    // Every paint covers the whole region itself: nothing behind the renderer needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    VeRefreshClock::add(this);
}

VeOpenGLWidget::~VeOpenGLWidget() {
    VeRefreshClock::remove(this);
}

void VeOpenGLWidget::setFrame(const AVFrame* frame) {
    TvPicture picture = TvPicture::reference(frame);
    if (!picture.isNull())
        takePicture(std::move(picture));
}

void VeOpenGLWidget::setImage(const uint8_t* yuv, int width, int height) {
    TvPicture picture = TvPicture::copyOf(yuv, width, height);
    if (!picture.isNull())
        takePicture(std::move(picture));
}

void VeOpenGLWidget::takePicture(TvPicture picture) {
    {
        TvMutexLocker lock(&m_mutex);
        // Two pictures may arrive within one tick (the network delivers in bursts): the second waits for
        // the next tick. Only a third drops the oldest unpainted one.
        if (!m_pending.isNull() && !m_next.isNull()) {
            ++m_dropped;
            m_pending = std::move(m_next);
            m_next = std::move(picture);
        } else if (!m_pending.isNull()) {
            m_next = std::move(picture);
        } else {
            m_pending = std::move(picture);
        }
        m_pictureTime = QDateTime::currentMSecsSinceEpoch();
    }
    m_marked = true;
    emit updateSignal();
}

void VeOpenGLWidget::clearImage() {
    {
        TvMutexLocker lock(&m_mutex);
        m_pending = TvPicture();
        m_next = TvPicture();
        m_shown = TvPicture();
    }
    m_marked = false;
    m_image = QImage();
    update();
}

bool VeOpenGLWidget::copyFrame(QByteArray& picture, int& width, int& height) {
    TvPicture newest;
    {
        TvMutexLocker lock(&m_mutex);
        newest = !m_next.isNull()      ? m_next.share()
                 : !m_pending.isNull() ? m_pending.share()
                                       : m_shown.share();
        if (newest.isNull())
            return false;
        const qint64 age = QDateTime::currentMSecsSinceEpoch() - m_pictureTime;
        if (age > 200) {
            qWarning() << "距离上次已经超过200毫秒" << age;
            return false;
        }
    }
    // Packed outside the lock: the decode thread never waits for a snapshot's copy.
    if (!newest.pack(picture))
        return false;
    width = newest.width();
    height = newest.height();
    return true;
}

bool VeOpenGLWidget::hasImage() {
    TvMutexLocker lock(&m_mutex);
    return !m_pending.isNull() || !m_next.isNull() || !m_shown.isNull();
}

quint64 VeOpenGLWidget::paintedPictures() {
    TvMutexLocker lock(&m_mutex);
    return m_painted;
}

quint64 VeOpenGLWidget::droppedPictures() {
    TvMutexLocker lock(&m_mutex);
    return m_dropped;
}

quint64 VeOpenGLWidget::imageAllocations() {
    TvMutexLocker lock(&m_mutex);
    return m_allocations;
}

void VeOpenGLWidget::refreshIfMarked() {
    if (m_marked.exchange(false))
        update();
}

QRect VeOpenGLWidget::fitRect(const QSize& area, const QSize& picture) {
    if (area.isEmpty() || picture.isEmpty())
        return QRect();
    const qint64 aw = area.width(), ah = area.height(), pw = picture.width(), ph = picture.height();
    if (aw * ph > ah * pw) { // the area is wider: bars left and right
        const int w = int((ah * pw + ph / 2) / ph);
        return QRect(int(aw - w) / 2, 0, w, int(ah));
    }
    const int h = int((aw * ph + pw / 2) / pw); // bars above and below
    return QRect(0, int(ah - h) / 2, int(aw), h);
}

bool VeOpenGLWidget::convert(const TvPicture& picture, const QSize& size) {
    const AVFrame* f = picture.frame();
    const int w = size.width();
    const int h = size.height();
    if (w < 1 || h < 1)
        return false;
    const int stride = (w * 4 + kRowAlign - 1) / kRowAlign * kRowAlign;
    const size_t bytes = size_t(stride) * size_t(h + 1) + kRowAlign;
    if (bytes > m_pixelBytes) {
        m_image = QImage(); // it points into the old pixels
        m_pixels.reset(new (std::nothrow) uint8_t[bytes]);
        m_pixelBytes = m_pixels ? bytes : 0;
        if (!m_pixels) {
            qWarning() << "renderer: no memory for a picture of" << w << "x" << h;
            return false;
        }
        TvMutexLocker lock(&m_mutex);
        ++m_allocations;
    }
    m_scaler.reset(sws_getCachedContext(m_scaler.release(), f->width, f->height,
                                        static_cast<AVPixelFormat>(f->format), w, h, AV_PIX_FMT_RGB32,
                                        SWS_FAST_BILINEAR, nullptr, nullptr, nullptr));
    if (!m_scaler) {
        qWarning() << "renderer: cannot convert" << f->width << "x" << f->height << "format" << f->format
                   << "to" << w << "x" << h;
        return false;
    }
    uint8_t* planes[4] = {m_pixels.get(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    if (sws_scale(m_scaler.get(), f->data, f->linesize, 0, f->height, planes, strides) <= 0) {
        qWarning() << "renderer: conversion failed for" << f->width << "x" << f->height;
        return false;
    }
    if (m_image.constBits() != m_pixels.get() || m_image.size() != size || m_image.bytesPerLine() != stride)
        m_image = QImage(m_pixels.get(), w, h, stride, QImage::Format_RGB32);
    return true;
}

void VeOpenGLWidget::paintEvent(QPaintEvent* event) {
    TvPicture picture;
    quint64 serial = 0;
    {
        TvMutexLocker lock(&m_mutex);
        if (!m_pending.isNull()) {
            m_shown = std::move(m_pending);
            m_pending = std::move(m_next);
            m_next = TvPicture();
            ++m_painted;
            if (!m_pending.isNull())
                m_marked = true; // its turn comes on the next tick
        }
        picture = m_shown.share();
        serial = m_painted;
    }
    QPainter painter(this);
    const QRect target =
        picture.isNull() ? QRect() : fitRect(size(), QSize(picture.width(), picture.height()));
    for (const QRect& bar : QRegion(event->rect()).subtracted(QRegion(target)))
        painter.fillRect(bar, kBackground);
    if (picture.isNull())
        return;

    const qreal ratio = devicePixelRatioF();
    const QSize pixels(qRound(target.width() * ratio), qRound(target.height() * ratio));
    const bool direct = qint64(pixels.width()) * pixels.height() <= kMaxDirectPixels;
    const QSize imageSize = direct ? pixels : QSize(picture.width(), picture.height());
    if (m_image.isNull() || m_imageSerial != serial || m_image.size() != imageSize) {
        if (!convert(picture, imageSize)) {
            m_image = QImage();
            painter.fillRect(target, kBackground);
            return;
        }
        m_imageSerial = serial;
    }
    if (direct) {
        m_image.setDevicePixelRatio(ratio);
        painter.drawImage(target.topLeft(), m_image);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, m_image);
    }
}
