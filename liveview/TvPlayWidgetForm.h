#pragma once

#include <functional>

class QLabel;
class QPushButton;
class QWidget;
class TvConnectAnimationView;
class TvReconnectOverlay;
class TvSkipMark;
class VeOpenGLWidget;
class VePlayCoverWidget;

// The child widgets of a play cell, built in code as a form would build them; the cell owns them
// through Qt's parent ownership and places them on every resize.
class TvPlayWidgetForm {
public:
    // `isCellExclusive` tells the selection cover whether the cell fills the grid alone.
    void setupUi(QWidget* cell, std::function<bool()> isCellExclusive);

    VeOpenGLWidget* widget_opengl = nullptr;
    TvConnectAnimationView* widget_connectAnimal = nullptr;
    QLabel* label_noCamera = nullptr;
    QLabel* label_offline = nullptr;
    QWidget* widget_failed = nullptr;
    QPushButton* pushBtn_reconnect = nullptr;
    QLabel* label_failed = nullptr;
    QWidget* widget_zoom = nullptr;
    QLabel* label_zoom = nullptr;
    QWidget* widget_rec_flag = nullptr;
    QLabel* label_rec_time = nullptr;
    VePlayCoverWidget* widget_cover = nullptr;
    QWidget* widget_alarm_flag = nullptr;
    TvReconnectOverlay* widget_reconnecting = nullptr;
    TvSkipMark* widget_skipping = nullptr;
};
