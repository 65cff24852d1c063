#include "TvConnectAnimationView.h"
#include "TvMutexLocker.h"

#include <QLabel>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>

namespace {

// Home rectangles (left, top, right, bottom) and the rectangles half-way through the loop.
const QRect kHome[4] = {QRect(QPoint(0, 0), QPoint(11, 11)), QRect(QPoint(34, 0), QPoint(45, 11)),
                        QRect(QPoint(0, 34), QPoint(11, 45)), QRect(QPoint(34, 34), QPoint(45, 45))};
const QRect kMiddle[4] = {QRect(QPoint(11, 11), QPoint(22, 22)), QRect(QPoint(23, 11), QPoint(34, 22)),
                          QRect(QPoint(11, 23), QPoint(22, 34)), QRect(QPoint(23, 23), QPoint(34, 34))};
const char* const kColours[4] = {"rgb(255, 204, 102)", "rgb(255, 136, 102)", "rgb(68, 170, 238)",
                                 "rgb(102, 221, 109)"};

} // namespace

TvConnectAnimationView::TvConnectAnimationView(QWidget* parent) : QWidget(parent) {
    resize(46, 46);
    for (int i = 0; i < 4; ++i) {
        m_dots[i] = new QLabel(this);
        m_dots[i]->setObjectName(QStringLiteral("label_%1").arg(i + 1));
        m_dots[i]->setGeometry(kHome[i]);
        m_dots[i]->setStyleSheet(
            QStringLiteral("background-color: %1;\nborder-radius: 6px").arg(QLatin1String(kColours[i])));
    }
}

void TvConnectAnimationView::startAnimation() {
    TvMutexLocker lock(&m_mutex);
    show();
    if (m_group)
        return;
    m_group = new QParallelAnimationGroup(this);
    for (int i = 0; i < 4; ++i) {
        auto* animation = new QPropertyAnimation(m_dots[i], "geometry", m_group);
        animation->setDuration(kPeriodMs);
        animation->setStartValue(kHome[i]);
        animation->setKeyValueAt(0.5, kMiddle[i]);
        animation->setEndValue(kHome[i]);
        m_group->addAnimation(animation);
    }
    m_group->setLoopCount(-1);
    m_group->start();
}

void TvConnectAnimationView::stopAnimation() {
    TvMutexLocker lock(&m_mutex);
    if (m_group) {
        m_group->stop();
        delete m_group; // the next start builds a fresh group from the corners
        m_group = nullptr;
    }
    for (int i = 0; i < 4; ++i)
        m_dots[i]->setGeometry(kHome[i]);
    hide();
}
