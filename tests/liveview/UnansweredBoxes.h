#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>

// A message box no test answers blocks the test in its exec() until ctest's time-out; this ends the test
// at once instead, naming the box. The tests' own answerers click within a few event-loop turns.
class UnansweredBoxes {
public:
    static constexpr int kLimitMs = 30000;

    static void watch() {
        static QPointer<QTimer> timer;
        if (timer)
            return;
        timer = new QTimer(qApp); // owned by the application
        QObject::connect(timer, &QTimer::timeout, [] {
            static QPointer<QMessageBox> seen;
            static QElapsedTimer since;
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box != seen) {
                seen = box;
                since.start();
            } else if (box && since.elapsed() > kLimitMs) {
                qFatal("nobody answered the message box \"%s\"", qPrintable(box->text()));
            }
        });
        timer->start(1000);
    }
};
