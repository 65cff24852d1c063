#pragma once

#include <QWidget>

#include <functional>

// A transparent cover over a cell's picture that draws the green selection frame.
class VePlayCoverWidget : public QWidget {
    Q_OBJECT
public:
    // `isCellExclusive` tells whether the covered cell fills the grid alone; no frame is drawn then.
    explicit VePlayCoverWidget(QWidget* cell, std::function<bool()> isCellExclusive = {});

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    QWidget* cell() const { return m_cell; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_selected = false;
    QWidget* m_cell;
    std::function<bool()> m_isCellExclusive;
};
