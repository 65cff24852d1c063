#pragma once

#include <QString>
#include <QWidget>

#include <memory>

namespace Ui {
class MyIPLineEdit;
}

// A compact IPv4 address field of four octet fields with the text interface of a line edit.
class MyIPLineEdit : public QWidget {
    Q_OBJECT
public:
    explicit MyIPLineEdit(QWidget* parent = nullptr);
    ~MyIPLineEdit() override;

    // "a.b.c.d" from the four fields as they are (empty fields stay empty: "..." when untouched).
    QString text() const;
    // Distributes a valid dotted address over the fields; anything else empties all four.
    void setText(const QString& address);

signals:
    void textChanged(const QString& text);
    void textEdited(const QString& text);

public slots:
    void slotTextChanged(const QString& text);
    void slotTextEdited(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<Ui::MyIPLineEdit> ui;
};
