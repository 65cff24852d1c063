// The grid layouts for 1 to 16 cells.
#include "TvGridLayout.h"

#include <QtTest>

class TestGridLayout : public QObject {
    Q_OBJECT
private slots:
    void namedCases() {
        // (One to three cells: the display manager's layout test.) Six cells on 1200 x 900 leave the last two
        // columns and rows uncovered (.6666, not 2/3).
        QCOMPARE(TvGridLayout::slotRect(6, 0, 1200, 900), QRect(0, 0, 798, 598));
        QCOMPARE(TvGridLayout::slotRect(6, 5, 1200, 900), QRect(799, 599, 399, 299));
        QCOMPARE(TvGridLayout::slotRect(16, 5, 1200, 900), QRect(300, 225, 299, 224));
        QCOMPARE(TvGridLayout::slotRect(9, 4, 1200, 900), QRect(399, 299, 398, 298));
    }

    void outOfRangeIsEmpty() {
        for (auto [n, i] : {std::pair{0, 0}, {17, 0}, {4, 4}, {4, -1}, {-3, 0}})
            QVERIFY(TvGridLayout::slotRect(n, i, 800, 600).isEmpty());
        QVERIFY(TvGridLayout::slotRect(4, 0, 0, 0).isEmpty()); // a zero-sized area gives nothing
    }

    // Every layout keeps its cells inside the area, apart from each other, and covers nearly all of it.
    void everyLayoutTilesTheArea() {
        for (const QSize area : {QSize(1280, 720), QSize(1919, 1037), QSize(636, 510), QSize(97, 61)}) {
            for (int n = 1; n <= 16; ++n) {
                qint64 covered = 0;
                for (int i = 0; i < n; ++i) {
                    const QRect r = TvGridLayout::slotRect(n, i, area.width(), area.height());
                    QVERIFY2(!r.isEmpty(), qPrintable(QStringLiteral("n=%1 i=%2").arg(n).arg(i)));
                    QVERIFY(QRect(QPoint(0, 0), area).contains(r));
                    covered += qint64(r.width()) * r.height();
                    for (int j = 0; j < i; ++j)
                        QVERIFY2(
                            !r.intersects(TvGridLayout::slotRect(n, j, area.width(), area.height())),
                            qPrintable(QStringLiteral("n=%1 slots %2 and %3 overlap").arg(n).arg(i).arg(j)));
                }
                const double share = double(covered) / (double(area.width()) * area.height());
                if (area.width() < 600)
                    continue; // one-pixel lines weigh too much in a tiny area
                QVERIFY2(share > 0.95 && share <= 1.0,
                         qPrintable(QStringLiteral("n=%1 share %2").arg(n).arg(share)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestGridLayout)
#include "test_gridlayout.moc"
