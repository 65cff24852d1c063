#include "TvSkipMark.h"

TvSkipMark::TvSkipMark(QWidget* parent) : QLabel(tr("跳帧中"), parent) {
    setObjectName(QStringLiteral("widget_skipping"));
    // Clicks, drags and the context menu still belong to the cell underneath.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAlignment(Qt::AlignCenter);
    setStyleSheet(QStringLiteral("color: rgb(255, 255, 255); background-color: rgba(200, 120, 0, 200); "
                                 "border-radius: 3px; padding: 1px 6px;"));
    adjustSize();
}

void TvSkipMark::placeIn(int cellWidth) {
    move(cellWidth - width() - 10, 16);
}
