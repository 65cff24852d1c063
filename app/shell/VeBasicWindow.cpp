#include "VeBasicWindow.h"

#include "VeTitleBar.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

VeBasicWindow::VeBasicWindow(QWidget* parent) : QMainWindow(parent) {}

QRect VeBasicWindow::maximizedGeometry(const QRect& available) {
    return available.adjusted(-3, -3, 3, 3);
}

void VeBasicWindow::initTitleBar() {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint);
    m_titleBar = new VeTitleBar(this);
    m_titleBar->move(0, 0);
    connect(m_titleBar, &VeTitleBar::signalButtonMinClicked, this, &VeBasicWindow::onButtonMinClicked);
    connect(m_titleBar, &VeTitleBar::signalButtonRestoreClicked, this,
            &VeBasicWindow::onButtonRestoreClicked);
    connect(m_titleBar, &VeTitleBar::signalButtonMaxClicked, this, &VeBasicWindow::onButtonMaxClicked);
    connect(m_titleBar, &VeTitleBar::signalButtonCloseClicked, this, &VeBasicWindow::onButtonCloseClicked);
}

void VeBasicWindow::onButtonMinClicked() {
    showMinimized();
}

void VeBasicWindow::onButtonRestoreClicked() {
    QPoint pos;
    QSize size;
    m_titleBar->getRestoreInfo(pos, size);
    setGeometry(QRect(pos, size));
}

void VeBasicWindow::onButtonMaxClicked() {
    m_titleBar->saveRestoreInfo(pos(), QSize(width(), height()));
    setGeometry(maximizedGeometry(QGuiApplication::primaryScreen()->availableGeometry()));
}

void VeBasicWindow::onButtonCloseClicked() {
    QCoreApplication::exit(0);
}
