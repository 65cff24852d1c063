// The alarm log on real SQLite files: threads, same-second events, clearing, old files, damaged files
// and a writer killed mid-write.
#include "VeDataBase.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Runs statements on the file through a connection of its own, as another program would.
void runSql(const QString& path, const QStringList& statements) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("side"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        for (const QString& statement : statements)
            QVERIFY2(QSqlQuery(db).exec(statement), qPrintable(statement));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("side"));
}

// Child mode: insert until killed, reporting each committed row on standard output.
int insertForever(const QString& path) {
    VeDataBase log(path);
    if (!log.isAvailable())
        return 2;
    for (int i = 1;; ++i) {
        log.insertAlarm(QStringLiteral("K"), i % 6);
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
}

} // namespace

class TestDataBase : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshPath() { return m_dir.filePath(QStringLiteral("alarmlog%1.db").arg(++m_files)); }

private slots:
    void initTestCase() {
        // Every insert logs a line: thousands of them would bury the test's own output.
        static QtMessageHandler previous = nullptr;
        previous = qInstallMessageHandler(
            [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
                if (!text.startsWith(QLatin1String("insert data")))
                    previous(type, context, text);
            });
    }

    void insertsFromFourThreadsAllArrive() { // thousands within a second: every one is kept
        VeDataBase log(freshPath());
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&log, t] {
                const QString id = QStringLiteral("CAM%1").arg(t);
                for (int i = 0; i < 1000; ++i)
                    log.insertAlarm(id, i % 6);
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        QCOMPARE(log.allAlarms().size(), 4000);
        for (int t = 0; t < 4; ++t)
            QCOMPARE(log.alarmsOf(QStringLiteral("CAM%1").arg(t)).size(), 1000);
        // Clearing goes by camera: an unknown one clears nothing (the dialog's test clears one and all).
        log.deleteAlarms(QStringLiteral("Z"));
        log.deleteAlarms(QStringLiteral("CAM0"));
        QCOMPARE(log.allAlarms().size(), 3000);
    }

    void oldFileIsMigratedKeepingEveryRow() {
        const QString path = freshPath();
        // As older clients wrote it: the table keyed on time.
        runSql(path, {"create table VeAlarmLogDB(time varchar primary key,devID varchar,type int)",
                      "insert into VeAlarmLogDB values ('2020-01-02 03:04:05', 'A', 4), "
                      "('2020-01-02 03:04:06', 'B', 7), ('2021-05-06 07:08:09', 'A', 0)"});
        VeDataBase log(path);
        const QVector<VeAlarmInfoModel> rows = log.allAlarms();
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows.first().time, QStringLiteral("2021-05-06 07:08:09"));
        QCOMPARE(rows.at(1).typeText(), QStringLiteral("Unknow message"));
        // The key is gone: events of one second are all kept from now on.
        for (int i = 0; i < 3; ++i)
            log.insertAlarm(QStringLiteral("C"), 1);
        QCOMPARE(log.alarmsOf(QStringLiteral("C")).size(), 3);
    }

    void badFiles_data() {
        // A damaged file is set aside and replaced; an unusable one leaves no log. Either way it says why.
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("available");
        QTest::newRow("random bytes") << "random" << true;
        QTest::newRow("truncated database") << "truncated" << true;
        QTest::newRow("folder is a file") << "folder" << false;
        QTest::newRow("table name taken by a view") << "view" << false;
    }
    void badFiles() {
        QFETCH(QString, kind);
        QFETCH(bool, available);
        QString path = freshPath();
        QByteArray damaged;
        if (kind == "truncated") {
            {
                VeDataBase log(path);
                for (int i = 0; i < 3000; ++i)
                    log.insertAlarm(QStringLiteral("DEVICE-%1").arg(i), i % 6);
            }
            damaged = readAll(path);
            QVERIFY(damaged.size() > 16384);
            damaged.truncate(damaged.size() / 2);
        } else if (kind == "random") {
            damaged.resize(8192);
            for (int i = 0; i < damaged.size(); ++i)
                damaged[i] = char((i * 7919 + 13) % 251);
        } else if (kind == "view") {
            runSql(path, {"create view VeAlarmLogDB as select 1 as time"});
        }
        if (!damaged.isEmpty() || kind == "folder") { // a plain file where the folder should be, for anyone
            const QByteArray bytes = kind == "folder" ? QByteArray("x") : damaged;
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        if (kind == "folder")
            path += QStringLiteral("/alarmlog.db");

        VeDataBase log(path);
        QVERIFY(log.isAvailable() == available && !log.problem().isEmpty());
        if (!damaged.isEmpty()) {
            QVERIFY(log.setAsidePath().startsWith(path + QStringLiteral(".corrupt-")));
            QCOMPARE(readAll(log.setAsidePath()), damaged);
        }
        QCOMPARE(log.allAlarms().size(), 0);
        log.insertAlarm(QStringLiteral("A"), 0);
        log.deleteAlarms(available ? QStringLiteral("B") : QString());
        QCOMPARE(log.allAlarms().size(), available ? 1 : 0);
    }

    void writerKilledMidWriteKeepsEveryCommittedRow() {
        const QString path = freshPath();
        QProcess child;
        child.setStandardErrorFile(QProcess::nullDevice());
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--insert-forever"), path});
        QVERIFY(child.waitForStarted());
        int committed = 0;
        while (committed < 300 && child.waitForReadyRead(10000))
            while (child.canReadLine())
                committed = child.readLine().trimmed().toInt();
        QVERIFY(committed >= 300);
        child.kill();
        QVERIFY(child.waitForFinished(10000));
        while (child.canReadLine())
            committed = qMax(committed, child.readLine().trimmed().toInt());

        VeDataBase log(path);
        QVERIFY(log.isAvailable() && log.setAsidePath().isEmpty());
        QVERIFY2(log.allAlarms().size() >= committed,
                 qPrintable(QStringLiteral("%1 of %2").arg(log.allAlarms().size()).arg(committed)));
    }
};

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc == 3 && qstrcmp(argv[1], "--insert-forever") == 0)
        return insertForever(QString::fromLocal8Bit(argv[2]));
    TestDataBase test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_database.moc"
