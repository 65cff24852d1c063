// The English catalogue must translate every source text the code and forms contain: lupdate merges the
// live sources into a copy of it, and any text it has to add (or any left empty) has no English yet.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void everySourceTextHasAnEnglishTranslation() {
        QTemporaryDir dir;
        const QString copy = dir.filePath(QStringLiteral("tr_en_US.ts"));
        QVERIFY(QFile::copy(QStringLiteral(KVAB_EN_CATALOGUE), copy));
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
        QStringList args = {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none")};
        for (const char* sub : {"app", "service", "media", "liveview", "devices", "records"})
            args << QStringLiteral(KVAB_SOURCE_DIR "/") + QLatin1String(sub);
        args << QStringLiteral("-ts") << copy;
        QProcess lupdate;
        lupdate.start(QStringLiteral(KVAB_LUPDATE), args);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);
        QFile merged(copy);
        QVERIFY(merged.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(merged.readAll());
        QVERIFY(text.contains(QLatin1String("<message>")));
        QStringList missing;
        const QRegularExpression untranslated(
            QStringLiteral("<source>([^<]*)</source>\\s*(?:<comment>[^<]*</comment>\\s*)?"
                           "<translation(?: type=\"unfinished\">[^<]*|></translation)"));
        for (auto it = untranslated.globalMatch(text); it.hasNext();)
            missing << it.next().captured(1).replace("&lt;", "<").replace("&gt;", ">").replace("&amp;", "&");
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("no English text for:\n") + missing.join('\n')));
        // The catalogue compiled into the resources is there for the application to load.
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/tr_en_US"), QString(), QString(), QString()));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "test_translations.moc"
