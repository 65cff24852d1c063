#include "TvClickedLabel.h"

#include <QDebug>
#include <QMouseEvent>

TvClickedLabel::TvClickedLabel(QWidget* parent) : QLabel(parent) {
    setOpenExternalLinks(true);
}

void TvClickedLabel::mousePressEvent(QMouseEvent* event) {
    qWarning() << "mousePressEvent";
    m_pressed = true;
    m_moveCount = 0;
    QLabel::mousePressEvent(event);
}

void TvClickedLabel::mouseMoveEvent(QMouseEvent* event) {
    qWarning() << "mouseMoveEvent";
    ++m_moveCount;
    if (m_moveCount > 2)
        m_pressed = false;
    QLabel::mouseMoveEvent(event);
}

void TvClickedLabel::mouseReleaseEvent(QMouseEvent* event) {
    qWarning() << "mouseReleaseEvent";
    if (m_pressed) {
        qWarning() << "clicked...";
        emit clickedSignal();
    }
    m_pressed = false;
    m_moveCount = 0;
    QLabel::mouseReleaseEvent(event);
}
