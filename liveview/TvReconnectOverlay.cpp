#include "TvReconnectOverlay.h"

#include <QPainter>

TvReconnectOverlay::TvReconnectOverlay(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("widget_reconnecting"));
    // Clicks, drags and the context menu still belong to the cell underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_TranslucentBackground);
}

void TvReconnectOverlay::setStalledSeconds(qint64 seconds) {
    m_seconds = seconds;
    update();
}

QString TvReconnectOverlay::text() const {
    const QString since =
        m_seconds < 60 ? tr("%1 秒").arg(m_seconds)
                       : tr("%1 分 %2 秒").arg(m_seconds / 60).arg(m_seconds % 60, 2, 10, QLatin1Char('0'));
    return tr("正在重新连接…") + QLatin1Char('\n') + tr("最后画面：%1前").arg(since);
}

void TvReconnectOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Dark enough that the frozen picture reads as old, light enough to still recognise it.
    painter.fillRect(rect(), QColor(0, 0, 0, 150));
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qBound(12, height() / 14, 22));
    painter.setFont(font);
    const QString message = text();
    const QRect box = painter.boundingRect(rect(), Qt::AlignCenter, message).adjusted(-12, -8, 12, 8);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 170));
    painter.drawRoundedRect(box, 6, 6);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, message);
}
