#pragma once

#include <QPoint>
#include <QRect>

class QLabel;
class QWidget;

// A play cell's digital zoom: each step grows the picture widget past the cell by an eighth of the cell,
// the picture is dragged around inside the cell, and it never uncovers the cell. The badge shows the
// level while zoomed.
class TvDigitalZoom {
public:
    static constexpr int kMaxLevel = 14;

    TvDigitalZoom(QWidget* cell, QWidget* picture, QWidget* badge, QLabel* badgeLabel);

    int level() const { return m_level; }
    void zoomIn();
    // `full` is where the picture sits unzoomed.
    void zoomOut(const QRect& full);
    void reset(const QRect& full);

    void press(const QPoint& pos);
    // True when the drag moved the zoomed picture.
    bool drag(const QPoint& pos);
    void release();

private:
    void showLevel();

    QWidget* m_cell;
    QWidget* m_picture;
    QWidget* m_badge;
    QLabel* m_badgeLabel;
    int m_level = 0;
    QPoint m_pressPos;
    bool m_panning = false;
};
