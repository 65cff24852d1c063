#include "VeRefreshClock.h"

#include "VeOpenGLWidget.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <cmath>

namespace {
// Owned by the application, so it goes with it.
QPointer<VeRefreshClock> g_clock;
} // namespace

VeRefreshClock::VeRefreshClock(QObject* parent) : QObject(parent) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(intervalFor(screen ? screen->refreshRate() : 0.0));
    connect(&m_timer, &QTimer::timeout, this, &VeRefreshClock::tickSlot);
}

int VeRefreshClock::intervalFor(qreal refreshRate) {
    const qreal rate = (refreshRate >= 30.0 && refreshRate <= 75.0) ? refreshRate : 60.0;
    return int(std::floor(1000.0 / rate));
}

void VeRefreshClock::add(VeOpenGLWidget* widget) {
    if (!g_clock && QCoreApplication::instance())
        g_clock = new VeRefreshClock(QCoreApplication::instance());
    if (!g_clock)
        return;
    std::vector<VeOpenGLWidget*>& widgets = g_clock->m_widgets;
    if (std::find(widgets.begin(), widgets.end(), widget) == widgets.end())
        widgets.push_back(widget);
    if (!g_clock->m_timer.isActive())
        g_clock->m_timer.start();
}

void VeRefreshClock::remove(VeOpenGLWidget* widget) {
    if (!g_clock)
        return;
    std::vector<VeOpenGLWidget*>& widgets = g_clock->m_widgets;
    widgets.erase(std::remove(widgets.begin(), widgets.end(), widget), widgets.end());
    if (widgets.empty())
        g_clock->m_timer.stop();
}

void VeRefreshClock::tickSlot() {
    for (VeOpenGLWidget* widget : m_widgets)
        widget->refreshIfMarked();
}
