#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;

// The title bar every frameless window of the client carries: icon, title, window buttons, dragging.
class VeTitleBar : public QWidget {
    Q_OBJECT
public:
    enum ButtonType {
        MIN_BUTTON = 0,     // minimise and close
        MIN_MAX_BUTTON = 1, // minimise, maximise (restore while maximised) and close
        ONLY_CLOSE_BUTTON = 2,
    };

    static constexpr int kHeight = 32;
    static constexpr int kButtonSize = 24;

    explicit VeTitleBar(QWidget* parent = nullptr);

    void setTitleIcon(const QString& path, QSize size = QSize(25, 25));
    void setTitleContent(const QString& title, int fontSize = 9);
    void setButtonType(ButtonType type);
    ButtonType buttonType() const { return m_buttonType; }
    QString titleContent() const { return m_titleContent; }

    void saveRestoreInfo(const QPoint& point, const QSize& size);
    void getRestoreInfo(QPoint& point, QSize& size) const;
    void loadStyleSheet(const QString& path);

signals:
    void signalButtonMinClicked();
    void signalButtonRestoreClicked();
    void signalButtonMaxClicked();
    void signalButtonCloseClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private slots:
    void onButtonMinClicked();
    void onButtonRestoreClicked();
    void onButtonMaxClicked();
    void onButtonCloseClicked();

private:
    void initControl();
    QPushButton* makeButton(const char* objectName, const QString& toolTip);

    QLabel* m_pIcon;
    QLabel* m_pTitleContent;
    QPushButton* m_pButtonMin;
    QPushButton* m_pButtonRestore;
    QPushButton* m_pButtonMax;
    QPushButton* m_pButtonClose;
    QPoint m_restorePos{0, 0};
    QSize m_restoreSize{-1, -1};
    bool m_isPressed = false;
    QPoint m_startMovePos;
    QString m_titleContent;
    ButtonType m_buttonType = MIN_MAX_BUTTON;
};
