#pragma once

#include "TvTipWidgetType.h"

#include <QMutex>
#include <QWidget>

class QLabel;
class QTimer;
class TvClickedLabel;

// The status-bar strip that reports a snapshot or recording result for three seconds, with a link
// that opens the folder.
class TvTipWidget : public QWidget {
    Q_OBJECT
public:
    static constexpr int kHideMs = 3000;
    // The strip's width in the status bar when its text is short.
    static constexpr int kMinWidth = 230;

    explicit TvTipWidget(QWidget* parent = nullptr);

    // Also fits the strip to its text (fitToText).
    void showTip(TvTipWidgetType kind, const QString& text);
    // Keeps the right edge where it is and widens the strip to its text (never below kMinWidth), so
    // a long translation is never cut off.
    void fitToText();

    TvTipWidgetType kind() const { return m_kind; }
    bool isShown() const { return m_shown; }

signals:
    void clickedSignal(TvTipWidgetType kind);

private slots:
    void on_label_openDir_clicked();
    void on_hide_timer_timeout();

private:
    TvClickedLabel* label_openDir;
    QLabel* label_snapTip;
    QLabel* label_icon;
    QTimer* m_hideTimer = nullptr;
    QMutex m_mutex;
    bool m_shown = false;
    TvTipWidgetType m_kind = TvTipMessage;
};
