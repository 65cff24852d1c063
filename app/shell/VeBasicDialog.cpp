#include "VeBasicDialog.h"

#include "VeBasicWindow.h"
#include "VeTitleBar.h"

#include <QGuiApplication>
#include <QScreen>

VeBasicDialog::VeBasicDialog(QWidget* parent) : QDialog(parent) {}

void VeBasicDialog::initTitleBar() {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint | Qt::Dialog);
    setAttribute(Qt::WA_DeleteOnClose);
    m_titleBar = new VeTitleBar(this);
    m_titleBar->move(0, 0);
    connect(m_titleBar, &VeTitleBar::signalButtonMinClicked, this, &VeBasicDialog::onButtonMinClicked);
    connect(m_titleBar, &VeTitleBar::signalButtonRestoreClicked, this,
            &VeBasicDialog::onButtonRestoreClicked);
    connect(m_titleBar, &VeTitleBar::signalButtonMaxClicked, this, &VeBasicDialog::onButtonMaxClicked);
    connect(m_titleBar, &VeTitleBar::signalButtonCloseClicked, this, &VeBasicDialog::onButtonCloseClicked);
    m_titleBar->setButtonType(VeTitleBar::ONLY_CLOSE_BUTTON);
}

void VeBasicDialog::onButtonMinClicked() {
    showMinimized();
}

void VeBasicDialog::onButtonRestoreClicked() {
    QPoint pos;
    QSize size;
    m_titleBar->getRestoreInfo(pos, size);
    setGeometry(QRect(pos, size));
}

void VeBasicDialog::onButtonMaxClicked() {
    m_titleBar->saveRestoreInfo(pos(), QSize(width(), height()));
    setGeometry(VeBasicWindow::maximizedGeometry(QGuiApplication::primaryScreen()->availableGeometry()));
}

void VeBasicDialog::onButtonCloseClicked() {
    close();
}
