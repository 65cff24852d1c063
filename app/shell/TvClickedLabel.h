#pragma once

#include <QLabel>

// A label that reports a click; a press that turns into a drag (more than two moves) is no click.
class TvClickedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TvClickedLabel(QWidget* parent = nullptr);

signals:
    void clickedSignal();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_pressed = false;
    int m_moveCount = 0;
};
