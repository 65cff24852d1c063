#include "TvDigitalZoom.h"

#include <QLabel>
#include <QWidget>

#include <algorithm>

TvDigitalZoom::TvDigitalZoom(QWidget* cell, QWidget* picture, QWidget* badge, QLabel* badgeLabel)
    : m_cell(cell), m_picture(picture), m_badge(badge), m_badgeLabel(badgeLabel) {}

void TvDigitalZoom::showLevel() {
    m_badgeLabel->setText(QStringLiteral("%1X").arg(m_level));
}

void TvDigitalZoom::zoomIn() {
    if (m_level > kMaxLevel - 1) {
        m_level = kMaxLevel;
        return;
    }
    ++m_level;
    const int w = m_cell->width();
    const int h = m_cell->height();
    QRect r = m_picture->geometry();
    r.translate(-w / 16, -h / 16);
    r.setSize(r.size() + QSize(w / 8, h / 8));
    m_picture->setGeometry(r);
    showLevel();
    m_badge->show();
    m_badge->raise();
}

void TvDigitalZoom::zoomOut(const QRect& full) {
    if (m_level == 0) {
        reset(full);
        return;
    }
    --m_level;
    if (m_level > 0) {
        const int w = m_cell->width();
        const int h = m_cell->height();
        const QRect old = m_picture->geometry();
        QRect r = old.translated(w / 16, h / 16);
        r.setSize(r.size() - QSize(w / 8, h / 8));
        // Never uncover the cell: left and top at most 0, right and bottom at least the cell's.
        r.setLeft(std::min(r.left(), 0));
        r.setTop(std::min(r.top(), 0));
        r.setRight(std::max(r.right(), w - 1));
        r.setBottom(std::max(r.bottom(), h - 1));
        if (r != old) {
            m_picture->setGeometry(r);
            showLevel();
            return;
        }
    }
    reset(full);
}

void TvDigitalZoom::reset(const QRect& full) {
    m_level = 0;
    m_picture->setGeometry(full);
    m_badgeLabel->clear();
    m_badge->hide();
}

void TvDigitalZoom::press(const QPoint& pos) {
    m_pressPos = pos;
    m_panning = true;
}

bool TvDigitalZoom::drag(const QPoint& pos) {
    if (m_level == 0 || !m_panning)
        return false;
    QRect r = m_picture->geometry();
    const QPoint delta = pos - m_pressPos;
    int left = std::min(0, r.left() + delta.x());
    left = std::max(left, m_cell->width() - r.width());
    int top = std::min(0, r.top() + delta.y());
    top = std::max(top, m_cell->height() - r.height());
    r.moveTo(left, top);
    m_picture->setGeometry(r);
    m_pressPos = pos;
    return true;
}

void TvDigitalZoom::release() {
    m_pressPos = QPoint();
    m_panning = false;
}
