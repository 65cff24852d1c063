#include "MyIPPartLineEdit.h"

#include <QIntValidator>
#include <QKeyEvent>

namespace {
// QIntValidator calls "256" intermediate and lets it stand in the field; an octet above 255 can never
// become valid by typing more, so it is refused outright.
class OctetValidator : public QIntValidator {
public:
    explicit OctetValidator(QObject* parent) : QIntValidator(0, 255, parent) {}
    State validate(QString& input, int& pos) const override {
        const State state = QIntValidator::validate(input, pos);
        return state == Intermediate && input.toInt() > 255 ? Invalid : state;
    }
};
} // namespace

MyIPPartLineEdit::MyIPPartLineEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new OctetValidator(this));
    connect(this, &QLineEdit::textEdited, this, &MyIPPartLineEdit::slotTextEdited);
}

void MyIPPartLineEdit::focusAndSelect(MyIPPartLineEdit* field) {
    if (!field)
        return;
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void MyIPPartLineEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Period)
        focusAndSelect(next);
    else if (event->key() == Qt::Key_Backspace && text().isEmpty() && prev)
        prev->setFocus(Qt::OtherFocusReason);
    // The line edit still handles the key; its validator refuses the "." itself.
    QLineEdit::keyPressEvent(event);
}

void MyIPPartLineEdit::slotTextEdited(const QString& text) {
    QString copy = text;
    int pos = 0;
    if (validator()->validate(copy, pos) != QValidator::Acceptable)
        return;
    // Two digits above 25 cannot take a third within 255.
    if ((text.size() == 2 && text.toInt() > 25) || text.size() == 3)
        focusAndSelect(next);
}
