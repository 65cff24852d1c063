#include "VeBasicDialog.h"
#include "VeBasicWindow.h"
#include "VeTitleBar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QtTest>

namespace {

class TestWindow : public VeBasicWindow {
public:
    TestWindow() {
        setCentralWidget(new QWidget(this));
        initTitleBar();
    }
};

class TestDialog : public VeBasicDialog {
public:
    TestDialog() { initTitleBar(); }
};

QPushButton* button(VeTitleBar* bar, const char* name) {
    return bar->findChild<QPushButton*>(QLatin1String(name));
}

// The buttons the bar shows (explicitly, whether or not the window is on screen).
QStringList shownButtons(VeTitleBar* bar) {
    QStringList names;
    for (const char* name : {"ButtonMin", "ButtonRestore", "ButtonMax", "ButtonClose"})
        if (!button(bar, name)->isHidden())
            names << QLatin1String(name);
    return names;
}

void sendMouse(QWidget* w, QEvent::Type type, const QPoint& local, const QPoint& global,
               Qt::MouseButtons buttons) {
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Press on the bar, move by delta in two steps, release.
void drag(VeTitleBar* bar, const QPoint& delta) {
    const QPoint local(100, 10);
    const QPoint global = bar->mapToGlobal(local);
    sendMouse(bar, QEvent::MouseButtonPress, local, global, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, local + delta / 2, global + delta / 2, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseMove, local + delta, global + delta, Qt::LeftButton);
    sendMouse(bar, QEvent::MouseButtonRelease, local + delta, global + delta, Qt::NoButton);
}

} // namespace

class TestTitleBar : public QObject {
    Q_OBJECT
private slots:
    void buttonTypes();
    void dialogShowsOnlyCloseDragsAndIgnoresDoubleClick();
    void maximiseDragAndDoubleClick();
};

void TestTitleBar::buttonTypes() {
    // The restore button only replaces maximise while maximised; the last type restores all three.
    VeTitleBar bar;
    const QStringList all{"ButtonMin", "ButtonMax", "ButtonClose"};
    QCOMPARE(shownButtons(&bar), all);
    const QList<QPair<VeTitleBar::ButtonType, QStringList>> types = {
        {VeTitleBar::MIN_BUTTON, {"ButtonMin", "ButtonClose"}},
        {VeTitleBar::ONLY_CLOSE_BUTTON, {"ButtonClose"}},
        {VeTitleBar::MIN_MAX_BUTTON, all}};
    for (const auto& t : types) {
        bar.setButtonType(t.first);
        QCOMPARE(shownButtons(&bar), t.second);
    }
    // A missing style sheet changes nothing.
    const QString before = bar.styleSheet();
    bar.loadStyleSheet(QStringLiteral("/nonexistent/titlebarSheet.css"));
    QCOMPARE(bar.styleSheet(), before);
}

void TestTitleBar::dialogShowsOnlyCloseDragsAndIgnoresDoubleClick() {
    auto* dialog = new TestDialog;
    QPointer<TestDialog> alive(dialog);
    dialog->setGeometry(400, 300, 360, 240);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog));
    VeTitleBar* bar = dialog->titleBar();
    QCOMPARE(shownButtons(bar), QStringList({"ButtonClose"}));

    const QPoint start = dialog->pos();
    drag(bar, QPoint(40, 30));
    QTRY_COMPARE(dialog->pos(), start + QPoint(40, 30));
    // A move without a press is no drag; a double-click neither maximises nor restores.
    const QPoint local(100, 10);
    sendMouse(bar, QEvent::MouseMove, local + QPoint(50, 50), bar->mapToGlobal(local) + QPoint(50, 50),
              Qt::NoButton);
    QSignalSpy max(bar, &VeTitleBar::signalButtonMaxClicked);
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(100, 10));
    QTest::qWait(50);
    QCOMPARE(max.count(), 0);
    QCOMPARE(dialog->geometry(), QRect(start + QPoint(40, 30), QSize(360, 240)));

    // Closing deletes the dialog.
    button(bar, "ButtonClose")->click();
    QTRY_VERIFY(alive.isNull());
}

void TestTitleBar::maximiseDragAndDoubleClick() {
    TestWindow window;
    const QRect normal(200, 150, 640, 400);
    window.setGeometry(normal);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    VeTitleBar* bar = window.titleBar();
    QSignalSpy max(bar, &VeTitleBar::signalButtonMaxClicked);
    QSignalSpy restore(bar, &VeTitleBar::signalButtonRestoreClicked);

    button(bar, "ButtonMax")->click();
    // The 3-pixel border goes off-screen.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect expected(available.x() - 3, available.y() - 3, available.width() + 6, available.height() + 6);
    QTRY_COMPARE(window.geometry(), expected);
    QCOMPARE(shownButtons(bar), QStringList({"ButtonMin", "ButtonRestore", "ButtonClose"}));
    QPoint savedPos;
    QSize savedSize;
    bar->getRestoreInfo(savedPos, savedSize);
    QCOMPARE(QRect(savedPos, savedSize), normal);

    // Dragging a maximised window leaves it where it is.
    drag(bar, QPoint(60, 45));
    QTest::qWait(50);
    QCOMPARE(window.geometry(), expected);

    button(bar, "ButtonRestore")->click();
    QTRY_COMPARE(window.geometry(), normal);
    drag(bar, QPoint(-20, 25));
    const QRect moved = normal.translated(-20, 25);
    QTRY_COMPARE(window.geometry(), moved);

    // A double-click on the bar maximises, a second one restores.
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(150, 12));
    QCOMPARE(max.count(), 2);
    QTRY_COMPARE(window.geometry(), expected);
    QTest::mouseDClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(150, 12));
    QCOMPARE(restore.count(), 2);
    QTRY_COMPARE(window.geometry(), moved);
}

QTEST_MAIN(TestTitleBar)
#include "test_titlebar.moc"
