// The English catalogue must translate every source text the code and forms contain, and the
// compiled catalogue in the resources must give those translations back.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

struct Message {
    QString context;
    QString source;
    QString comment;
    QString translation;
    bool finished = true;
    bool plural = false;
};

QList<Message> readCatalogue(const QString& path, QString* error) {
    QList<Message> messages;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot open ") + path;
        return messages;
    }
    QXmlStreamReader xml(&file);
    QString context;
    Message current;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            const auto name = xml.name();
            if (name == QLatin1String("name"))
                context = xml.readElementText();
            else if (name == QLatin1String("message")) {
                current = Message();
                current.context = context;
                current.plural = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
            } else if (name == QLatin1String("source"))
                current.source = xml.readElementText();
            else if (name == QLatin1String("comment"))
                current.comment = xml.readElementText();
            else if (name == QLatin1String("translation")) {
                const auto type = xml.attributes().value(QLatin1String("type")).toString();
                current.finished = type.isEmpty();
                current.translation = xml.readElementText(QXmlStreamReader::IncludeChildElements);
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("message")) {
            messages.append(current);
        }
    }
    if (xml.hasError())
        *error = xml.errorString();
    return messages;
}

QString key(const Message& m) {
    return m.context + QLatin1Char('\x1f') + m.source + QLatin1Char('\x1f') + m.comment;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void everySourceTextHasAnEnglishTranslation() {
        QString error;
        const QList<Message> catalogue = readCatalogue(QStringLiteral(KVAB_EN_CATALOGUE), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QHash<QString, Message> translated;
        for (const Message& m : catalogue)
            translated.insert(key(m), m);

        // Scan the live sources, so a text added without its translation fails here.
        QTemporaryDir dir;
        const QString fresh = dir.filePath(QStringLiteral("fresh.ts"));
        QStringList args = {QStringLiteral("-silent"), QStringLiteral("-locations"), QStringLiteral("none")};
        for (const char* sub : {"app", "service", "media", "liveview", "devices", "records"})
            args << QStringLiteral(KVAB_SOURCE_DIR "/") + QLatin1String(sub);
        args << QStringLiteral("-ts") << fresh;
        QProcess lupdate;
        lupdate.start(QStringLiteral(KVAB_LUPDATE), args);
        QVERIFY(lupdate.waitForFinished(60000));
        QCOMPARE(lupdate.exitCode(), 0);
        const QList<Message> sources = readCatalogue(fresh, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));

        QStringList missing;
        for (const Message& m : sources) {
            const auto it = translated.constFind(key(m));
            if (it == translated.constEnd() || !it->finished || it->translation.trimmed().isEmpty())
                missing << m.context + QStringLiteral(": ") + m.source;
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("no English text for:\n") + missing.join('\n')));
    }

    void compiledCatalogueGivesTheTranslationsBack() {
        QString error;
        const QList<Message> catalogue = readCatalogue(QStringLiteral(KVAB_EN_CATALOGUE), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/tr_en_US"), QString(), QString(), QString()));
        for (const Message& m : catalogue) {
            if (m.plural || !m.finished)
                continue;
            const QString got =
                english.translate(m.context.toUtf8().constData(), m.source.toUtf8().constData(),
                                  m.comment.isEmpty() ? nullptr : m.comment.toUtf8().constData());
            QCOMPARE(got, m.translation);
        }
        // The Chinese catalogue is present and loads, but translates nothing (the sources are Chinese).
        QTranslator chinese;
        QVERIFY(QFile::exists(QStringLiteral(":/tr_zh_CN.qm")));
        for (const char* lang : {"zh_TW", "de_DE", "es_ES", "fr_FR", "tr_TR"})
            QVERIFY(QFile::exists(QStringLiteral(":/tr_%1.qm").arg(QLatin1String(lang))));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "test_translations.moc"
