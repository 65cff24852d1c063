#pragma once

#include <QDialog>

class VeTitleBar;

// Base of every dialog: frameless and modal-friendly, with a title bar that only closes.
class VeBasicDialog : public QDialog {
    Q_OBJECT
public:
    explicit VeBasicDialog(QWidget* parent = nullptr);

    VeTitleBar* titleBar() const { return m_titleBar; }

protected:
    // Called by derived classes once their forms are built, so the bar lies above the form.
    void initTitleBar();

    VeTitleBar* m_titleBar = nullptr;

private slots:
    void onButtonMinClicked();
    void onButtonRestoreClicked();
    void onButtonMaxClicked();
    void onButtonCloseClicked();
};
