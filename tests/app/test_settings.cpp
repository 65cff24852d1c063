// The settings store against a private home (see kvab_add_test), and the small global helpers: CPU
// counters from /proc/stat, the load text, the e-mail pattern.
#include "DeviceRecord.h"
#include "TvDefaultSettings.h"
#include "TvGlobal.h"
#include "TvSystemTimes.h"
#include "VeCameraModel.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QtTest>

#include <cstring>
#include <ctime>
#include <memory>

namespace {

void setTimeZone(const char* posixTz) {
    qputenv("TZ", posixTz);
    tzset();
}

QSettings& raw() {
    static QSettings settings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("ve"),
                              QStringLiteral("KVAB"));
    settings.sync();
    return settings;
}

// Owns what loadDeviceInfo hands back.
struct Loaded {
    QList<VeCameraModel*> list;
    ~Loaded() { qDeleteAll(list); }
};

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void init() {
        raw().clear();
        raw().sync();
    }

    void readingNeverWrites() {
        // The folder getters are the documented exception.
        TvDefaultSettings* s = TvDefaultSettings::instance();
        QVERIFY(s->language() + s->serverPort() + int(s->logoutConfirm()) >= 0);
        QCOMPARE(s->localServerList(), QStringList{QString::fromLatin1(TvDefaultSettings::kDefaultHost)});
        QVERIFY(s->loadDeviceInfo().isEmpty() && raw().allKeys().isEmpty());
    }

    void settersPersistAndWrongTypesConvert() {
        TvDefaultSettings* s = TvDefaultSettings::instance();
        s->setLanguage(0);
        s->setLogoutConfirm(false);
        s->setServerPort(9443);
        QCOMPARE(raw().value(QStringLiteral("g_settingKey_language")).toInt(), 0);
        QCOMPARE(raw().value(QStringLiteral("g_settingKey_logout_confirm")).toBool(), false);
        QCOMPARE(raw().value(QStringLiteral("g_settingKey_serverPort")).toInt(), 9443);

        raw().setValue(QStringLiteral("g_settingKey_serverPort"), QStringLiteral("not a number"));
        raw().sync();
        QCOMPARE(s->serverPort(), 0);
    }

    void folderGettersCreateOnceAndStore() {
        TvDefaultSettings* s = TvDefaultSettings::instance();
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        QDir(cache).removeRecursively();

        const QString snaps = s->snapDir();
        QCOMPARE(snaps, cache + QStringLiteral("/Pictures"));
        QVERIFY(QDir(snaps).exists());
        QCOMPARE(raw().value(QStringLiteral("g_settingKey_snapDir")).toString(), snaps);

        // Once stored, the folder is neither checked nor made again.
        QVERIFY(QDir(snaps).removeRecursively());
        QCOMPARE(s->snapDir(), snaps);
        QVERIFY(!QDir(snaps).exists());
        QCOMPARE(s->videoDir(), cache + QStringLiteral("/Videos")); // a key of its own
    }

    void serverAddressFollowsTimeZone() {
        TvDefaultSettings* s = TvDefaultSettings::instance();
        const QString cloud = QString::fromLatin1(TvDefaultSettings::kCloudHost);
        const QString local = QString::fromLatin1(TvDefaultSettings::kDefaultHost);

        setTimeZone("CST-8"); // UTC+8
        QCOMPARE(TvDefaultSettings::utcOffsetHours(), 8);
        QCOMPARE(s->serverAddr(), local);
        s->setServerAddr(QStringLiteral("192.0.2.5"));
        QCOMPARE(s->serverAddr(), QStringLiteral("192.0.2.5"));

        for (const char* tz : {"UTC0", "EST5", "XYZ-9", "IST-5:30"}) {
            setTimeZone(tz);
            QVERIFY2(s->serverAddr() == cloud, tz); // whatever is stored
        }
        setTimeZone("IST-5:30");
        QCOMPARE(TvDefaultSettings::utcOffsetHours(), 5); // truncated, not rounded
        setTimeZone("UTC0");
    }

    void serverListKeepsDefaultFirstAndNewestSecond() {
        TvDefaultSettings* s = TvDefaultSettings::instance();
        const QString def = QString::fromLatin1(TvDefaultSettings::kDefaultHost);
        s->addLocalServer(def);
        QVERIFY(!raw().contains(QStringLiteral("g_settingKey_localServerList")));

        for (const char* host : {"a.example", "b.example", "c.example"})
            s->addLocalServer(QLatin1String(host));
        QCOMPARE(s->localServerList(), (QStringList{def, "c.example", "b.example", "a.example"}));
        s->addLocalServer(QStringLiteral("a.example"));
        QCOMPARE(s->localServerList(), (QStringList{def, "a.example", "c.example", "b.example"}));
        s->addLocalServer(def);
        QCOMPARE(s->localServerList(), (QStringList{def, "a.example", "c.example", "b.example"}));

        // A stored list that lost its default entry still takes the new address at index 1, or at
        // the end when it is too short.
        raw().setValue(QStringLiteral("g_settingKey_localServerList"), QStringList{});
        raw().sync();
        s->addLocalServer(QStringLiteral("x.example"));
        QCOMPARE(s->localServerList(), QStringList{"x.example"});
    }

    void deviceInfoRoundTripAndBadLengths() {
        TvDefaultSettings* s = TvDefaultSettings::instance();
        VeCameraModel a(QStringLiteral("CAM001"), QStringLiteral("门口 camera"), QStringLiteral("IPC"),
                        QStringLiteral("G726"), 7, 1, QStringLiteral("devpw"), QStringLiteral("userpw"));
        VeCameraModel b(QStringLiteral("CAM002"), QString(), QString(), QString(), 0, 0, QString(),
                        QString());
        VeCameraModel c(QString(40, 'X'), QString(100, QChar(0x4E2D)), QString(20, 'F'), "G711", 0, 0,
                        QString(70, 'p'), QString(64, 'u'));
        s->saveDeviceInfo({&a, &b, &c});
        auto fields = [](const VeCameraModel* m) {
            const QString state = QStringLiteral("%1 %2 %3").arg(m->audioType).arg(m->nxid).arg(m->online);
            return QStringList{m->deviceId,  m->alias,      m->devFlag, m->audioTypeText,
                               m->devAccess, m->userAccess, state};
        };
        const QByteArray bytes = raw().value(QStringLiteral("g_settingKey_deviceInfo")).toByteArray();
        QCOMPARE(bytes.size(), 1344);

        {
            Loaded loaded{s->loadDeviceInfo()};
            QCOMPARE(loaded.list.size(), 3);
            // Handles and states are never saved.
            QCOMPARE(fields(loaded.list[0]), fields(&a).mid(0, 6) << "3 0 0");
            QCOMPARE(fields(loaded.list[1]), fields(&b).mid(0, 6) << "1 0 0");
            // Over-long texts were cut at their fields; a three-byte character is never split.
            QCOMPARE(fields(loaded.list[2]),
                     QStringList({QString(32, 'X'), QString(85, QChar(0x4E2D)), QString(16, 'F'), "G711",
                                  QString(64, 'p'), QString(64, 'u'), "2 0 0"}));
        }

        // A trailing partial record is ignored, whatever its content.
        raw().setValue(QStringLiteral("g_settingKey_deviceInfo"), bytes.left(900));
        raw().sync();
        QCOMPARE(Loaded{s->loadDeviceInfo()}.list.size(), 2);
        raw().setValue(QStringLiteral("g_settingKey_deviceInfo"), bytes.left(447));
        raw().sync();
        QCOMPARE(Loaded{s->loadDeviceInfo()}.list.size(), 0);

        // Records full of non-zero garbage and invalid UTF-8 load whole and stop at their fields.
        QByteArray garbage(448 * 2, '\xff');
        for (int i = 0; i < garbage.size(); i += 7)
            garbage[i] = static_cast<char>(0x80 + i % 64);
        raw().setValue(QStringLiteral("g_settingKey_deviceInfo"), garbage);
        raw().sync();
        {
            Loaded loaded{s->loadDeviceInfo()};
            QCOMPARE(loaded.list.size(), 2);
            QCOMPARE(loaded.list[0]->deviceId.size(), 32);
            QCOMPARE(loaded.list[0]->devFlag.size(), 16);
            QCOMPARE(loaded.list[0]->userAccess.size(), 64);
            QVERIFY(loaded.list[0]->alias.size() <= 256);
        }
    }

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
        for (int i = 0; i < 3; ++i) { // the first call has no earlier sample
            const QString text = TvGlobal::cpuUsageText();
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^CPU : (\\d+)%$")).match(text);
            QVERIFY2(m.hasMatch() && m.captured(1).toInt() <= 100, qPrintable(text));
        }
    }

    void emailPattern() {
        // The top-level part has 2..4 letters; the whole text must match.
        for (const char* good : {"a.b_c%d+e-f@host-1.example.com", "x@y.io"})
            QVERIFY2(TvGlobal::isValidEmail(QString::fromLatin1(good)), good);
        for (const char* bad : {"x@y.i", "x@y.abcde", " x@y.com", "x@y.com;", "xy.com", ""})
            QVERIFY2(!TvGlobal::isValidEmail(QString::fromLatin1(bad)), bad);
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
