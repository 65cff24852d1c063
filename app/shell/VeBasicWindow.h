#pragma once

#include <QMainWindow>

class VeTitleBar;

// Base of the main window: frameless, with the client's own title bar on top.
class VeBasicWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit VeBasicWindow(QWidget* parent = nullptr);

    VeTitleBar* titleBar() const { return m_titleBar; }

    // The geometry a maximised window takes: the available area grown by the hidden 3-pixel border.
    static QRect maximizedGeometry(const QRect& available);

protected:
    // Called by derived classes once their forms are built, so the bar lies above the form.
    void initTitleBar();

    VeTitleBar* m_titleBar = nullptr;

private slots:
    void onButtonMinClicked();
    void onButtonRestoreClicked();
    void onButtonMaxClicked();
    virtual void onButtonCloseClicked();
};
