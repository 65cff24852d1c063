// A profile whose config and cache folders cannot be created (their parent is a plain file, which
// stops root too): the store logs and stays usable, folders are still stored and returned.
#include "TvDefaultSettings.h"

#include <QCoreApplication>
#include <QFile>
#include <QtTest>

class TestSettingsUnwritable : public QObject {
    Q_OBJECT
private slots:
    void usableWithoutAWritableProfile() {
        TvDefaultSettings* s = TvDefaultSettings::instance();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("cannot create folder")));
        const QString snaps = s->snapDir();
        QVERIFY(snaps.endsWith(QStringLiteral("/Pictures")));
        QVERIFY(!QFileInfo::exists(snaps));

        s->setLanguage(0);
        s->setServerPort(1234);
        s->addLocalServer(QStringLiteral("a.example"));
        QCOMPARE(s->language(), 0); // kept in memory for this run
        QCOMPARE(s->serverPort(), 1234);
        QCOMPARE(s->localServerList().size(), 2);
    }
};

int main(int argc, char** argv) {
    // Must be in place before the first QSettings or QStandardPaths use.
    const QByteArray home = qgetenv("KVAB_TEST_HOME");
    const QByteArray blocker = home + "/blocker";
    QFile file(QString::fromLocal8Bit(blocker));
    if (!file.open(QIODevice::WriteOnly))
        return 2;
    file.close();
    qputenv("XDG_CONFIG_HOME", blocker + "/config");
    qputenv("XDG_CACHE_HOME", blocker + "/cache");
    QCoreApplication app(argc, argv);
    TestSettingsUnwritable test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_settings_unwritable.moc"
