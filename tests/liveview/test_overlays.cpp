// The connecting animation, the selection cover and the status-bar tip.
#include "TvClickedLabel.h"
#include "TvConnectAnimationView.h"
#include "TvTipWidget.h"
#include "VePlayCoverWidget.h"

#include <QLabel>
#include <QParallelAnimationGroup>
#include <QSignalSpy>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

namespace {

QList<QTimer*> liveTimers(QObject* owner) {
    QList<QTimer*> timers;
    for (QTimer* t : owner->findChildren<QTimer*>(QString(), Qt::FindDirectChildrenOnly))
        timers << t;
    return timers;
}

bool hasGreen(const QImage& image, int x, int y) {
    return image.pixelColor(x, y) == QColor(66, 189, 86);
}

} // namespace

class TestOverlays : public QObject {
    Q_OBJECT
private slots:
    void tipReplacesAndHides() {
        QWidget bar;
        auto* tip = new TvTipWidget(&bar);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        auto* text = tip->findChild<QLabel*>(QStringLiteral("label_snapTip"));
        auto* openDir = tip->findChild<TvClickedLabel*>(QStringLiteral("label_openDir"));
        QVERIFY(text && openDir);

        tip->showTip(TvTipSnapOk, QStringLiteral("/snaps"));
        QVERIFY(tip->isVisible() && tip->isShown());
        QVERIFY(openDir->isVisible());
        QCOMPARE(text->toolTip(), QStringLiteral("/snaps"));
        QCOMPARE(liveTimers(tip).size(), 1);
        QTest::qWait(1000); // the first tip's timer has at most 2000 ms left now

        // A second tip within three seconds replaces the first with a fresh full-length timer.
        tip->showTip(TvTipRecordFailed, QStringLiteral("/videos"));
        QList<QTimer*> timers = liveTimers(tip);
        QVERIFY(timers.size() == 1 && timers[0]->isActive() && timers[0]->remainingTime() > 2500);
        QVERIFY(!openDir->isVisible() && text->toolTip().isEmpty()); // failures never offer the folder
        QCOMPARE(tip->kind(), TvTipRecordFailed);

        tip->showTip(TvTipMessage, QStringLiteral("Please connect the video first"));
        QCOMPARE(text->text(), QStringLiteral("Please connect the video first"));
        QVERIFY(!openDir->isVisible());

        // Expiry hides the tip and drops the timer.
        QMetaObject::invokeMethod(tip, "on_hide_timer_timeout");
        QVERIFY(!tip->isVisible() && !tip->isShown());
        QTest::qWait(10); // let the deferred delete run
        QVERIFY(liveTimers(tip).isEmpty());
        // A stray second expiry changes nothing.
        QMetaObject::invokeMethod(tip, "on_hide_timer_timeout");
        QVERIFY(!tip->isVisible());
    }

    void tipFitsItsEnglishTextAndReportsItsKind() {
        // The status bar's right end: the strip keeps its right edge and grows to show its whole text;
        // its folder link reports the kind it shows.
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/tr_en_US")));
        QCoreApplication::installTranslator(&english);
        QWidget bar;
        bar.resize(1000, 30);
        auto* tip = new TvTipWidget(&bar);
        tip->setGeometry(QRect(QPoint(1000 - TvTipWidget::kMinWidth, 0), QPoint(999, 29)));
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QSignalSpy clicked(tip, &TvTipWidget::clickedSignal);
        auto* text = tip->findChild<QLabel*>(QStringLiteral("label_snapTip"));
        auto* openDir = tip->findChild<TvClickedLabel*>(QStringLiteral("label_openDir"));
        for (const TvTipWidgetType kind : {TvTipRecordDone, TvTipSnapOk, TvTipRecordFailed}) {
            tip->showTip(kind, QStringLiteral("/folder"));
            QCOMPARE(tip->geometry().right(), 999);
            QVERIFY(tip->width() >= TvTipWidget::kMinWidth);
            QVERIFY2(text->width() >= text->sizeHint().width(), qPrintable(text->text()));
            if (kind == TvTipRecordFailed)
                continue;
            QVERIFY(openDir->width() >= openDir->sizeHint().width() &&
                    openDir->geometry().right() < tip->width());
            QTest::mouseClick(openDir, Qt::LeftButton);
            QCOMPARE(clicked.takeFirst().at(0).value<TvTipWidgetType>(), kind);
        }
        QCOMPARE(text->text(), QStringLiteral("Video failed"));
        QCoreApplication::removeTranslator(&english);
    }

    void animationRunsOneGroupAndRestartsFromCorners() {
        QWidget cell;
        auto* view = new TvConnectAnimationView(&cell);
        cell.show();
        const QRect home[4] = {QRect(0, 0, 12, 12), QRect(34, 0, 12, 12), QRect(0, 34, 12, 12),
                               QRect(34, 34, 12, 12)};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(view->dot(i)->geometry(), home[i]);

        view->startAnimation();
        view->startAnimation();
        QVERIFY(view->isVisible() && view->isAnimating());
        QCOMPARE(view->findChildren<QParallelAnimationGroup*>().size(), 1);
        QCOMPARE(view->findChildren<QParallelAnimationGroup*>()[0]->loopCount(), -1);

        // Half-way through a loop the dots have moved towards the centre.
        QTest::qWait(TvConnectAnimationView::kPeriodMs / 2);
        QVERIFY(view->dot(0)->geometry().left() > 3);
        QVERIFY(view->dot(3)->geometry().left() < 31);

        view->stopAnimation();
        QVERIFY(!view->isVisible() && !view->isAnimating());
        QVERIFY(view->findChildren<QParallelAnimationGroup*>().isEmpty());
        view->startAnimation();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(view->dot(i)->geometry(), home[i]);
        view->stopAnimation();
        view->stopAnimation(); // stopping twice is harmless
    }

    void coverDrawsFrameOnlyWhenSelectedAndNotExclusive() {
        QWidget cell;
        cell.resize(160, 90);
        bool exclusive = false;
        auto* cover = new VePlayCoverWidget(&cell, [&exclusive] { return exclusive; });
        cover->resize(cell.size());

        auto render = [&] {
            QImage image(cover->size(), QImage::Format_ARGB32);
            image.fill(Qt::black);
            cover->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
            return image;
        };
        QImage image = render();
        QVERIFY(!hasGreen(image, 0, 0) && !hasGreen(image, 80, 0));

        cover->setSelected(true);
        image = render();
        QVERIFY(hasGreen(image, 0, 45));
        QVERIFY(hasGreen(image, 80, 0));
        QVERIFY(hasGreen(image, 80, 89) || hasGreen(image, 80, 88));
        QVERIFY(hasGreen(image, 159, 45) || hasGreen(image, 158, 45));
        QVERIFY(!hasGreen(image, 80, 45)); // the picture shows through

        exclusive = true;
        image = render();
        QVERIFY(!hasGreen(image, 0, 45) && !hasGreen(image, 80, 0));
    }
};

QTEST_MAIN(TestOverlays)
#include "test_overlays.moc"
