#include "TvPlayWidgetForm.h"

#include "TvConnectAnimationView.h"
#include "TvReconnectOverlay.h"
#include "TvSkipMark.h"
#include "VeOpenGLWidget.h"
#include "VePlayCoverWidget.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text = QString()) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

QWidget* makeWidget(QWidget* parent, const char* name) {
    auto* widget = new QWidget(parent);
    widget->setObjectName(QLatin1String(name));
    return widget;
}

} // namespace

void TvPlayWidgetForm::setupUi(QWidget* cell, std::function<bool()> isCellExclusive) {
    widget_opengl = new VeOpenGLWidget(cell);
    widget_opengl->setObjectName(QStringLiteral("widget_opengl"));
    // Mouse presses and drags belong to the cell and the grid, not to the picture.
    widget_opengl->setAttribute(Qt::WA_TransparentForMouseEvents);

    label_noCamera = makeLabel(cell, "label_noCamera");
    label_noCamera->setStyleSheet(
        QStringLiteral("border-image: url(:/images/live_idleIcon.png);\nbackground-color: rgb(34, 34, 34);"));
    label_offline =
        makeLabel(cell, "label_offline", QCoreApplication::translate("TvPlayWidget", "摄像机不在线"));
    label_offline->setAlignment(Qt::AlignCenter);
    label_offline->setStyleSheet(
        QStringLiteral("color: rgb(200, 200, 200); background-color: rgb(34, 34, 34);"));

    widget_failed = makeWidget(cell, "widget_failed");
    widget_failed->setStyleSheet(QStringLiteral("background-color: rgb(34, 34, 34);"));
    auto* failedLayout = new QVBoxLayout(widget_failed);
    failedLayout->addStretch();
    pushBtn_reconnect = new QPushButton(widget_failed);
    pushBtn_reconnect->setObjectName(QStringLiteral("pushBtn_reconnect"));
    pushBtn_reconnect->setFixedSize(48, 48);
    pushBtn_reconnect->setStyleSheet(QStringLiteral(
        "QPushButton{border-image: url(:/images/live_reconnect.png);}"
        "QPushButton:hover,QPushButton:pressed{border-image: url(:/images/live_reconnect_h.png);}"));
    label_failed =
        makeLabel(widget_failed, "label_failed", QCoreApplication::translate("TvPlayWidget", "呼叫失败"));
    label_failed->setAlignment(Qt::AlignCenter);
    label_failed->setStyleSheet(QStringLiteral("color: rgb(200, 200, 200);"));
    failedLayout->addWidget(pushBtn_reconnect, 0, Qt::AlignHCenter);
    failedLayout->addWidget(label_failed, 0, Qt::AlignHCenter);
    failedLayout->addStretch();

    widget_connectAnimal = new TvConnectAnimationView(cell);
    widget_connectAnimal->setObjectName(QStringLiteral("widget_connectAnimal"));
    widget_connectAnimal->hide();

    widget_zoom = makeWidget(cell, "widget_zoom");
    auto* zoomLayout = new QHBoxLayout(widget_zoom);
    zoomLayout->setContentsMargins(0, 0, 0, 0);
    label_zoom = makeLabel(widget_zoom, "label_zoom");
    label_zoom->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    zoomLayout->addWidget(label_zoom);

    // White on a dark plate with a red dot: readable over any picture, bright or dark.
    widget_rec_flag = makeWidget(cell, "widget_rec_flag");
    widget_rec_flag->setAttribute(Qt::WA_StyledBackground);
    widget_rec_flag->setStyleSheet(
        QStringLiteral("#widget_rec_flag{background-color: rgba(0, 0, 0, 170); border-radius: 4px;}"));
    auto* recLayout = new QHBoxLayout(widget_rec_flag);
    recLayout->setContentsMargins(6, 0, 6, 0);
    recLayout->setSpacing(4);
    QLabel* recDot = makeLabel(widget_rec_flag, "label_rec_dot", QStringLiteral("\u25CF"));
    recDot->setStyleSheet(QStringLiteral("color: rgb(255, 40, 40); font-size: 12px;"));
    label_rec_time = makeLabel(widget_rec_flag, "label_rec_time", QStringLiteral("00:00:00"));
    label_rec_time->setStyleSheet(
        QStringLiteral("color: rgb(255, 255, 255); font-weight: bold; font-size: 13px;"));
    label_rec_time->setAlignment(Qt::AlignCenter);
    recLayout->addWidget(recDot);
    recLayout->addWidget(label_rec_time, 1);

    widget_alarm_flag = makeWidget(cell, "widget_alarm_flag");
    auto* alarmLayout = new QHBoxLayout(widget_alarm_flag);
    alarmLayout->setContentsMargins(0, 0, 0, 0);
    QLabel* alarmText =
        makeLabel(widget_alarm_flag, "label_alarm", QCoreApplication::translate("TvPlayWidget", "设备报警"));
    alarmText->setStyleSheet(
        QStringLiteral("color: rgb(255, 255, 255); background-color: rgb(200, 40, 40);"));
    alarmText->setAlignment(Qt::AlignCenter);
    alarmLayout->addWidget(alarmText);

    widget_reconnecting = new TvReconnectOverlay(cell);
    widget_reconnecting->hide();
    widget_skipping = new TvSkipMark(cell);
    widget_skipping->hide();

    widget_cover = new VePlayCoverWidget(cell, std::move(isCellExclusive));
    widget_cover->setObjectName(QStringLiteral("widget_cover"));

    widget_rec_flag->hide();
    widget_zoom->hide();
    widget_alarm_flag->hide();
    widget_cover->raise();
}
