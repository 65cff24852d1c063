#pragma once

#include <QObject>
#include <QTimer>

#include <vector>

class VeOpenGLWidget;

// Paces the video renderers: a picture only marks its renderer, and each tick asks every marked one to
// repaint, so the window is composed once per tick however many cells received a picture, instead of
// once per picture per cell. Ticks follow the primary screen's refresh rate. GUI thread only.
class VeRefreshClock : public QObject {
    Q_OBJECT
public:
    // The renderer joins the application's clock (made on first use) and leaves it; the clock runs only
    // while it has renderers. Leaving after the application is gone does nothing.
    static void add(VeOpenGLWidget* widget);
    static void remove(VeOpenGLWidget* widget);
    // The tick interval in milliseconds for a screen refresh rate in Hz: a rate outside 30 to 75 Hz (or
    // none reported) counts as 60 Hz. Shorter than the cameras' picture period, so that no picture that
    // arrives in time waits for more than one tick.
    static int intervalFor(qreal refreshRate);

private:
    explicit VeRefreshClock(QObject* parent);
    void tickSlot();

    QTimer m_timer;
    std::vector<VeOpenGLWidget*> m_widgets;
};
