#include "TvClickedLabel.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QtTest>

namespace {

void send(QWidget* w, QEvent::Type type, const QPoint& pos, Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, pos, w->mapToGlobal(pos), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Press, the given number of moves with the button held, release.
void click(QWidget* w, int moves) {
    QPoint pos(10, 10);
    send(w, QEvent::MouseButtonPress, pos, Qt::LeftButton);
    for (int i = 0; i < moves; ++i) {
        pos += QPoint(1, 0);
        send(w, QEvent::MouseMove, pos, Qt::LeftButton);
    }
    send(w, QEvent::MouseButtonRelease, pos, Qt::NoButton);
}

} // namespace

class TestClickedLabel : public QObject {
    Q_OBJECT
private slots:
    void clickToleratesTwoMoves_data();
    void clickToleratesTwoMoves();
    void cancelledClickDoesNotStick();
    void releaseWithoutPressIsNoClick();
};

void TestClickedLabel::clickToleratesTwoMoves_data() {
    QTest::addColumn<int>("moves");
    QTest::addColumn<int>("clicks");
    QTest::newRow("still") << 0 << 1;
    QTest::newRow("one move") << 1 << 1;
    QTest::newRow("two moves") << 2 << 1;
    QTest::newRow("three moves") << 3 << 0;
    QTest::newRow("a drag") << 40 << 0;
}

void TestClickedLabel::clickToleratesTwoMoves() {
    QFETCH(int, moves);
    QFETCH(int, clicks);
    TvClickedLabel label;
    label.resize(100, 30);
    QVERIFY(label.openExternalLinks());
    QSignalSpy spy(&label, &TvClickedLabel::clickedSignal);
    click(&label, moves);
    QCOMPARE(spy.count(), clicks);
}

void TestClickedLabel::cancelledClickDoesNotStick() {
    TvClickedLabel label;
    label.resize(100, 30);
    QSignalSpy spy(&label, &TvClickedLabel::clickedSignal);
    click(&label, 5);
    QCOMPARE(spy.count(), 0);
    // The count starts again with every press.
    click(&label, 2);
    QCOMPARE(spy.count(), 1);
    click(&label, 2);
    QCOMPARE(spy.count(), 2);
}

void TestClickedLabel::releaseWithoutPressIsNoClick() {
    TvClickedLabel label;
    label.resize(100, 30);
    QSignalSpy spy(&label, &TvClickedLabel::clickedSignal);
    send(&label, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    QCOMPARE(spy.count(), 0);
    // A release ends the press: a second release emits nothing either.
    click(&label, 0);
    send(&label, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
    QCOMPARE(spy.count(), 1);
}

QTEST_MAIN(TestClickedLabel)
#include "test_clickedlabel.moc"
