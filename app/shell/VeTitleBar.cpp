#include "VeTitleBar.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

VeTitleBar::VeTitleBar(QWidget* parent) : QWidget(parent) {
    initControl();
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    loadStyleSheet(QStringLiteral(":/stylesheet/stylesheet/titlebarSheet.css"));
}

QPushButton* VeTitleBar::makeButton(const char* objectName, const QString& toolTip) {
    auto* button = new QPushButton(this);
    button->setObjectName(QLatin1String(objectName));
    button->setFixedSize(kButtonSize, kButtonSize);
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(toolTip);
    return button;
}

void VeTitleBar::initControl() {
    m_pIcon = new QLabel(this);
    m_pTitleContent = new QLabel(this);
    m_pTitleContent->setObjectName(QStringLiteral("TitleContent"));
    m_pButtonMin = makeButton("ButtonMin", tr("最小化"));
    m_pButtonRestore = makeButton("ButtonRestore", tr("还原"));
    m_pButtonMax = makeButton("ButtonMax", tr("最大化"));
    m_pButtonClose = makeButton("ButtonClose", tr("关闭"));
    setTitleIcon(QStringLiteral(":/images/myapp.ico"), QSize(25, 25));

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_pIcon);
    layout->addWidget(m_pTitleContent);
    layout->addWidget(m_pButtonMin);
    layout->addWidget(m_pButtonRestore);
    layout->addWidget(m_pButtonMax);
    layout->addWidget(m_pButtonClose);
    layout->setContentsMargins(12, 0, 8, 0);
    layout->setSpacing(8);

    m_pTitleContent->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(kHeight);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_pButtonRestore->setVisible(false);

    connect(m_pButtonMin, &QPushButton::clicked, this, &VeTitleBar::onButtonMinClicked);
    connect(m_pButtonRestore, &QPushButton::clicked, this, &VeTitleBar::onButtonRestoreClicked);
    connect(m_pButtonMax, &QPushButton::clicked, this, &VeTitleBar::onButtonMaxClicked);
    connect(m_pButtonClose, &QPushButton::clicked, this, &VeTitleBar::onButtonCloseClicked);
}

void VeTitleBar::setTitleIcon(const QString& path, QSize size) {
    m_pIcon->setPixmap(QPixmap(path).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void VeTitleBar::setTitleContent(const QString& title, int fontSize) {
    m_pTitleContent->setStyleSheet(QStringLiteral("color: rgb(255, 255, 255);"));
    QFont font = m_pTitleContent->font();
    font.setPointSize(fontSize);
    m_pTitleContent->setFont(font);
    m_pTitleContent->setText(title);
    m_titleContent = title;
}

void VeTitleBar::setButtonType(ButtonType type) {
    m_buttonType = type;
    switch (type) {
    case MIN_BUTTON:
        m_pButtonMin->setVisible(true);
        m_pButtonRestore->setVisible(false);
        m_pButtonMax->setVisible(false);
        break;
    case MIN_MAX_BUTTON:
        m_pButtonMin->setVisible(true);
        m_pButtonRestore->setVisible(false);
        m_pButtonMax->setVisible(true);
        break;
    case ONLY_CLOSE_BUTTON:
        m_pButtonMin->setVisible(false);
        m_pButtonRestore->setVisible(false);
        m_pButtonMax->setVisible(false);
        break;
    }
    m_pButtonClose->setVisible(true);
}

void VeTitleBar::saveRestoreInfo(const QPoint& point, const QSize& size) {
    m_restorePos = point;
    m_restoreSize = size;
}

void VeTitleBar::getRestoreInfo(QPoint& point, QSize& size) const {
    point = m_restorePos;
    size = m_restoreSize;
}

void VeTitleBar::loadStyleSheet(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    setStyleSheet(styleSheet() + QString::fromUtf8(file.readAll()));
}

void VeTitleBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawPixmap(rect(), QPixmap(QStringLiteral(":/images/titlebarBg")));
    // The bar always spans its window, whatever the window's layout does.
    if (parentWidget() && width() != parentWidget()->width())
        setFixedWidth(parentWidget()->width());
    QWidget::paintEvent(event);
}

void VeTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    if (m_buttonType == MIN_MAX_BUTTON) {
        // isHidden, not isVisible: the state must not depend on the window being on screen.
        if (!m_pButtonMax->isHidden())
            onButtonMaxClicked();
        else
            onButtonRestoreClicked();
    }
    QWidget::mouseDoubleClickEvent(event);
}

void VeTitleBar::mousePressEvent(QMouseEvent* event) {
    // A maximised window stays where it is.
    if (m_buttonType == MIN_MAX_BUTTON && m_pButtonMax->isHidden()) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_isPressed = true;
    m_startMovePos = event->globalPos();
    QWidget::mousePressEvent(event);
}

void VeTitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (m_isPressed) {
        const QPoint movePoint = event->globalPos() - m_startMovePos;
        QWidget* target = window();
        target->move(target->pos() + movePoint);
        m_startMovePos = event->globalPos();
    }
    QWidget::mouseMoveEvent(event);
}

void VeTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    m_isPressed = false;
    QWidget::mouseReleaseEvent(event);
}

void VeTitleBar::onButtonMinClicked() {
    emit signalButtonMinClicked();
}

void VeTitleBar::onButtonRestoreClicked() {
    m_pButtonRestore->setVisible(false);
    m_pButtonMax->setVisible(true);
    emit signalButtonRestoreClicked();
}

void VeTitleBar::onButtonMaxClicked() {
    m_pButtonMax->setVisible(false);
    m_pButtonRestore->setVisible(true);
    emit signalButtonMaxClicked();
}

void VeTitleBar::onButtonCloseClicked() {
    emit signalButtonCloseClicked();
}
