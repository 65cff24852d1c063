#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

class QMouseEvent;
class QWidget;
class QWindow;

// Border resizing of a frameless top-level widget where the window system asks no hit-test question.
// Watches every mouse event of the widget's native window (its children cover the border), shows the
// resize cursor over a border zone and hands a left press there to the window system; when the window
// system cannot resize (no window manager), it resizes the widget itself while the button is held.
class TvBorderResizer : public QObject {
    Q_OBJECT
public:
    // bar: the child over which the border never resizes (may be null).
    TvBorderResizer(QWidget* window, QWidget* bar);
    ~TvBorderResizer() override;

    bool isResizing() const { return m_resizing != 0; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void attach();
    Qt::Edges edgesAt(const QPoint& windowPos) const;
    void showCursorFor(Qt::Edges edges);
    bool handleMouse(QMouseEvent* event);
    void resizeBy(const QPoint& globalPos);

    QWidget* m_window;
    QPointer<QWidget> m_bar;
    QPointer<QWindow> m_handle;
    Qt::Edges m_cursorEdges;
    Qt::Edges m_resizing;
    QPoint m_pressGlobal;
    QRect m_pressGeometry;
};
