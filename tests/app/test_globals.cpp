// CPU counters from /proc/stat, the load text, the e-mail pattern and the catalogue choice.
#include "TvGlobal.h"
#include "TvSystemTimes.h"

#include <QtTest>

class TestGlobals : public QObject {
    Q_OBJECT
private slots:
    void procStatParsing() {
        TvSystemTimes t;
        QVERIFY(TvSystemTimes::parse("cpu  100 20 30 400 50 6 7 8 0 0\ncpu0 1 2 3 4\n", &t));
        QCOMPARE(t.user, quint64(120));
        QCOMPARE(t.idle, quint64(450));
        QCOMPARE(t.kernel, quint64(30 + 6 + 7 + 8 + 450)); // kernel time includes idle time
        // Old kernels print only four counters.
        QVERIFY(TvSystemTimes::parse("cpu 1 2 3 4", &t));
        QCOMPARE(t.kernel, quint64(3 + 4));

        for (const char* bad :
             {"", "cpu", "cpu 1 2 3", "cpu0 1 2 3 4 5", "cpu 1 x 3 4 5", "intr 1 2 3 4 5", "cpu -1 2 3 4"}) {
            TvSystemTimes u;
            QVERIFY2(!TvSystemTimes::parse(bad, &u), bad);
        }
    }

    void cpuTextShape() {
        QRegularExpression shape(QStringLiteral("^CPU : (\\d+)%$"));
        for (int i = 0; i < 3; ++i) {
            const QString text = TvGlobal::cpuUsageText();
            const QRegularExpressionMatch m = shape.match(text);
            QVERIFY2(m.hasMatch(), qPrintable(text));
            QVERIFY(m.captured(1).toInt() <= 100);
        }
    }

    void emailPattern() {
        // The top-level part has 2..4 letters; the whole text must match.
        for (const char* good : {"a.b_c%d+e-f@host-1.example.com", "x@y.io"})
            QVERIFY2(TvGlobal::isValidEmail(QString::fromLatin1(good)), good);
        for (const char* bad : {"x@y.i", "x@y.abcde", " x@y.com", "x@y.com;", "xy.com", ""})
            QVERIFY2(!TvGlobal::isValidEmail(QString::fromLatin1(bad)), bad);
    }

    void catalogueChoice() {
        QCOMPARE(TvGlobal::translatorPathFor(0), QStringLiteral(":/tr_zh_CN"));
        for (int language : {1, 2, 3, -1})
            QCOMPARE(TvGlobal::translatorPathFor(language), QStringLiteral(":/tr_en_US"));
    }
};

QTEST_GUILESS_MAIN(TestGlobals)
#include "test_globals.moc"
