#pragma once

#include <QLineEdit>

// One octet of MyIPLineEdit: takes 0..255, and moves on to its neighbour where typing naturally
// continues there ("." or a complete octet forward, Backspace in an empty field back).
class MyIPPartLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit MyIPPartLineEdit(QWidget* parent = nullptr);

    MyIPPartLineEdit* next = nullptr;
    MyIPPartLineEdit* prev = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void slotTextEdited(const QString& text);

private:
    static void focusAndSelect(MyIPPartLineEdit* field);
};
