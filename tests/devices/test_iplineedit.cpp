// The IPv4 editor: typing moves between the octet fields where an octet is complete, Backspace in an
// empty field goes back without deleting, and setText takes only whole valid addresses.
#include "MyIPLineEdit.h"
#include "MyIPPartLineEdit.h"

#include <QSignalSpy>
#include <QtTest>

class TestIPLineEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_edit.reset(); }
    void typing_data();
    void typing();
    void backspaceInEmptyFieldGoesBack();
    void setText_data();
    void setText();

private:
    MyIPPartLineEdit* field(int i) const {
        return m_edit->findChild<MyIPPartLineEdit*>(QStringLiteral("lineEdit_%1").arg(i));
    }
    int focused() const {
        for (int i = 0; i < 4; ++i)
            if (m_edit->focusWidget() == field(i))
                return i;
        return -1;
    }
    std::unique_ptr<MyIPLineEdit> m_edit;
};

void TestIPLineEdit::init() {
    m_edit.reset(new MyIPLineEdit);
    m_edit->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_edit.get()));
    field(0)->setFocus();
    QTRY_COMPARE(focused(), 0);
}

void TestIPLineEdit::typing_data() {
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("focus");
    const struct {
        const char *tag, *keys, *text;
        int focus;
    } rows[] = {{"three digits move on", "192", "192...", 1},
                {"26 cannot grow", "26", "26...", 1},
                {"25 may grow", "25", "25...", 0},
                {"256 refused", "256", "25...", 0},
                {"dot moves on", "1.2", "1.2..", 1},
                {"dot on empty field", ".", "...", 1},
                {"letters refused", "a1b", "1...", 0},
                {"last field stays", "10.0.0.255", "10.0.0.255", 3},
                {"full address", "192168001001", "192.168.001.001", 3},
                {"typed over after a jump", "19", "19...", 0}};
    for (const auto& r : rows)
        QTest::newRow(r.tag) << QString(r.keys) << QString(r.text) << r.focus;
}

void TestIPLineEdit::typing() {
    QFETCH(QString, keys);
    QFETCH(QString, text);
    QFETCH(int, focus);
    QSignalSpy edited(m_edit.get(), &MyIPLineEdit::textEdited);
    for (const QChar c : keys) // each key to the field that has the focus then
        QTest::keyClicks(m_edit->focusWidget(), QString(c));
    QCOMPARE(m_edit->text(), text);
    QCOMPARE(focused(), focus);
    if (text != QLatin1String("..."))
        QCOMPARE(edited.constLast().first().toString(), text);
}

void TestIPLineEdit::backspaceInEmptyFieldGoesBack() {
    m_edit->setText(QStringLiteral("10.20.30.40"));
    field(2)->clear();
    field(2)->setFocus();
    QTRY_COMPARE(focused(), 2);
    QTest::keyClick(field(2), Qt::Key_Backspace);
    QCOMPARE(focused(), 1);
    QCOMPARE(m_edit->text(), QStringLiteral("10.20..40"));
    // In a field with text, Backspace deletes and stays.
    QTest::keyClick(field(1), Qt::Key_End);
    QTest::keyClick(field(1), Qt::Key_Backspace);
    QCOMPARE(focused(), 1);
    QCOMPARE(m_edit->text(), QStringLiteral("10.2..40"));
    // The first field has nowhere to go back to.
    field(0)->clear();
    field(0)->setFocus();
    QTest::keyClick(field(0), Qt::Key_Backspace);
    QCOMPARE(focused(), 0);
}

void TestIPLineEdit::setText_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("text");
    QTest::newRow("untouched") << QString() << "...";
    for (const char* valid : {"192.168.1.10", "0.0.255.255", "01.2.3.4"})
        QTest::newRow(valid) << valid << valid;
    for (const char* refused : {"192.168.1.256", "192.168.1", "1.2.3.4.5", "a.b.c.d", " 1.2.3.4", "1.2.3.4."})
        QTest::newRow(refused) << refused << "...";
}

void TestIPLineEdit::setText() {
    QFETCH(QString, address);
    QFETCH(QString, text);
    m_edit->setText(QStringLiteral("9.9.9.9")); // a refused address must clear what was there
    QSignalSpy changed(m_edit.get(), &MyIPLineEdit::textChanged);
    m_edit->setText(address);
    QCOMPARE(m_edit->text(), text);
    if (!changed.isEmpty())
        QCOMPARE(changed.constLast().first().toString(), text);
}

QTEST_MAIN(TestIPLineEdit)
#include "test_iplineedit.moc"
