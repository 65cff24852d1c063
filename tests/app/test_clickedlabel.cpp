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
    void clicks_data();
    void clicks();
};

void TestClickedLabel::clicks_data() {
    // Gestures as moves per press (-1: a release without a press) and the clicks they make: a click
    // tolerates two moves; the count starts again with every press; a release ends the press.
    QTest::addColumn<QList<int>>("gestures");
    QTest::addColumn<int>("clicks");
    QTest::newRow("still") << QList<int>{0} << 1;
    QTest::newRow("two moves") << QList<int>{2} << 1;
    QTest::newRow("three moves") << QList<int>{3} << 0;
    QTest::newRow("a drag") << QList<int>{40} << 0;
    QTest::newRow("cancelled, then two clicks") << QList<int>{5, 2, 1} << 2;
    QTest::newRow("stray releases") << QList<int>{-1, 0, -1} << 1;
}

void TestClickedLabel::clicks() {
    QFETCH(QList<int>, gestures);
    QFETCH(int, clicks);
    TvClickedLabel label;
    label.resize(100, 30);
    QSignalSpy spy(&label, &TvClickedLabel::clickedSignal);
    for (const int moves : gestures) {
        if (moves < 0)
            send(&label, QEvent::MouseButtonRelease, QPoint(5, 5), Qt::NoButton);
        else
            click(&label, moves);
    }
    QCOMPARE(spy.count(), clicks);
}

QTEST_MAIN(TestClickedLabel)
#include "test_clickedlabel.moc"
