#pragma once

#include <QWidget>

// Laid over a cell's picture while the cell waits for pictures again: dims the last picture and says
// that the camera is being reconnected and how long ago the last picture came.
class TvReconnectOverlay : public QWidget {
    Q_OBJECT
public:
    explicit TvReconnectOverlay(QWidget* parent = nullptr);

    // Seconds since the last picture (or since the call started when none came).
    void setStalledSeconds(qint64 seconds);
    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    qint64 m_seconds = 0;
};
