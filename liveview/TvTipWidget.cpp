#include "TvTipWidget.h"

#include "TvClickedLabel.h"
#include "TvMutexLocker.h"

#include <QDebug>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>
#include <algorithm>

TvTipWidget::TvTipWidget(QWidget* parent)
    : QWidget(parent), label_openDir(new TvClickedLabel(this)), label_snapTip(new QLabel(this)),
      label_icon(new QLabel(this)) {
    qRegisterMetaType<TvTipWidgetType>("TvTipWidgetType");
    resize(288, 30);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    label_openDir->setObjectName(QStringLiteral("label_openDir"));
    label_openDir->setText(
        QStringLiteral("<a href=\"#\" style=\"color:#0055ff; text-decoration: underline;\">%1</a>")
            .arg(tr("打开目录")));
    // The link is ours to handle: opening it as a URL would do nothing useful.
    label_openDir->setOpenExternalLinks(false);
    label_openDir->setTextInteractionFlags(Qt::NoTextInteraction);
    label_openDir->setCursor(Qt::PointingHandCursor);
    label_snapTip->setObjectName(QStringLiteral("label_snapTip"));
    label_snapTip->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    label_icon->setObjectName(QStringLiteral("label_icon"));
    label_icon->hide();
    layout->addWidget(label_icon, 0, 0);
    layout->addWidget(label_snapTip, 0, 1);
    layout->addWidget(label_openDir, 0, 2);
    connect(label_openDir, &TvClickedLabel::clickedSignal, this, &TvTipWidget::on_label_openDir_clicked);
}

void TvTipWidget::showTip(TvTipWidgetType kind, const QString& text) {
    TvMutexLocker lock(&m_mutex);
    if (m_hideTimer) {
        m_hideTimer->stop();
        delete m_hideTimer;
        m_hideTimer = nullptr;
    }
    m_kind = kind;
    switch (kind) {
    case TvTipSnapOk:
        label_snapTip->setText(tr("抓拍成功"));
        label_snapTip->setToolTip(text);
        label_openDir->show();
        break;
    case TvTipSnapFailed:
        label_snapTip->setText(tr("抓拍失败"));
        label_snapTip->setToolTip(QString());
        label_openDir->hide();
        break;
    case TvTipRecordDone:
        label_snapTip->setText(tr("录像已完成"));
        label_snapTip->setToolTip(text);
        label_openDir->show();
        break;
    case TvTipRecordFailed:
        label_snapTip->setText(tr("录像失败"));
        label_snapTip->setToolTip(QString());
        label_openDir->hide();
        break;
    case TvTipMessage:
        label_snapTip->setText(text);
        label_openDir->hide();
        break;
    }
    fitToText();
    m_hideTimer = new QTimer(this);
    connect(m_hideTimer, &QTimer::timeout, this, &TvTipWidget::on_hide_timer_timeout);
    m_hideTimer->start(kHideMs);
    show();
    m_shown = true;
}

void TvTipWidget::fitToText() {
    const QRect old = geometry();
    const int w = std::max(kMinWidth, layout()->sizeHint().width());
    setGeometry(old.right() + 1 - w, old.y(), w, old.height());
}

void TvTipWidget::on_hide_timer_timeout() {
    if (!TvMutexLocker::tryLock(&m_mutex)) {
        qWarning() << "隐藏提示取锁失败";
        return;
    }
    if (m_hideTimer) {
        m_hideTimer->stop();
        m_hideTimer->deleteLater(); // we may be inside its timeout signal
        m_hideTimer = nullptr;
    }
    hide();
    m_shown = false;
    TvMutexLocker::unlockMutex(&m_mutex);
}

void TvTipWidget::on_label_openDir_clicked() {
    qWarning() << "on_label_openDir_clicked";
    emit clickedSignal(m_kind);
}
