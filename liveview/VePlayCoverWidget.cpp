#include "VePlayCoverWidget.h"

#include <QPainter>

VePlayCoverWidget::VePlayCoverWidget(QWidget* cell, std::function<bool()> isCellExclusive)
    : QWidget(cell), m_cell(cell), m_isCellExclusive(std::move(isCellExclusive)) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void VePlayCoverWidget::setSelected(bool selected) {
    m_selected = selected;
    update();
}

void VePlayCoverWidget::paintEvent(QPaintEvent*) {
    const bool exclusive = m_isCellExclusive && m_isCellExclusive();
    if (!m_selected || exclusive)
        return;
    QPainter painter(this);
    painter.setPen(QPen(QColor(66, 189, 86), 2));
    painter.drawRect(QRect(QPoint(0, 0), QPoint(width() - 1, height() - 1)));
}
