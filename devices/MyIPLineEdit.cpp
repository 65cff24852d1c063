#include "MyIPLineEdit.h"

#include "ui_MyIPLineEdit.h"

#include <QDebug>
#include <QFrame>
#include <QPainter>
#include <QRegExp>
#include <QRegExpValidator>

MyIPLineEdit::MyIPLineEdit(QWidget* parent) : QWidget(parent), ui(new Ui::MyIPLineEdit) {
    ui->setupUi(this);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFixedSize(146, 24);
    MyIPPartLineEdit* const fields[] = {ui->lineEdit_0, ui->lineEdit_1, ui->lineEdit_2, ui->lineEdit_3};
    for (int i = 0; i < 4; ++i) {
        MyIPPartLineEdit* field = fields[i];
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setGeometry(1 + 36 * i, 1, 36, 22);
        field->next = i < 3 ? fields[i + 1] : nullptr;
        field->prev = i > 0 ? fields[i - 1] : nullptr;
        if (i > 0) {
            setTabOrder(fields[i - 1], field);
            auto* separator = new QFrame(this);
            separator->setFrameShape(QFrame::VLine);
            separator->setStyleSheet(QStringLiteral("color: rgb(204, 204, 204);"));
            separator->setGeometry(1 + 36 * i, 2, 1, 20);
        }
        connect(field, &QLineEdit::textChanged, this, &MyIPLineEdit::slotTextChanged);
        connect(field, &QLineEdit::textEdited, this, &MyIPLineEdit::slotTextEdited);
    }
}

MyIPLineEdit::~MyIPLineEdit() = default;

QString MyIPLineEdit::text() const {
    return QStringLiteral("%1.%2.%3.%4")
        .arg(ui->lineEdit_0->text(), ui->lineEdit_1->text(), ui->lineEdit_2->text(), ui->lineEdit_3->text());
}

void MyIPLineEdit::setText(const QString& address) {
    static const QRegExp pattern(
        QStringLiteral("((2[0-4]\\d|25[0-5]|[01]?\\d\\d?)\\.){3}(2[0-4]\\d|25[0-5]|[01]?\\d\\d?)"));
    QRegExpValidator validator(pattern);
    QString copy = address;
    int pos = 0;
    const bool valid = validator.validate(copy, pos) == QValidator::Acceptable;
    if (!valid && !address.isEmpty())
        qWarning() << "not an IPv4 address, fields cleared:" << address;
    const QStringList parts = valid ? address.split(QLatin1Char('.')) : QStringList();
    MyIPPartLineEdit* const fields[] = {ui->lineEdit_0, ui->lineEdit_1, ui->lineEdit_2, ui->lineEdit_3};
    for (int i = 0; i < 4; ++i)
        fields[i]->setText(valid ? parts.at(i) : QString());
}

void MyIPLineEdit::slotTextChanged(const QString&) {
    emit textChanged(text());
}

void MyIPLineEdit::slotTextEdited(const QString&) {
    emit textEdited(text());
}

void MyIPLineEdit::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    painter.setPen(QColor(204, 204, 204));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
