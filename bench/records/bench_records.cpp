// The alarm log's cost on this machine: committed inserts per second from one thread and from four at
// once, and the time from constructing the log dialog to its first painted picture with 100,000 rows.
//
// usage: bench_records [rows-per-insert-run]   (run under xvfb-run)
#include "VeAppLogDialog.h"
#include "VeDataBase.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <thread>
#include <vector>

namespace {

QtMessageHandler g_previousHandler = nullptr;

void quietInserts(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message.startsWith(QLatin1String("insert data")))
        return;
    g_previousHandler(type, context, message);
}

double insertRate(const QString& path, int threads, int rows) {
    VeDataBase log(path);
    QElapsedTimer timer;
    timer.start();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&log, t, threads, rows] {
            const QString id = QStringLiteral("CAM%1").arg(t);
            for (int i = 0; i < rows / threads; ++i)
                log.insertAlarm(id, i % 6);
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    return rows * 1000.0 / qMax<qint64>(1, timer.elapsed());
}

// A large log written in one transaction: its writing is not what is measured.
void fillLargeLog(const QString& path, int rows) {
    { VeDataBase create(path); }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fill"));
        db.setDatabaseName(path);
        db.open();
        db.transaction();
        QSqlQuery query(db);
        query.prepare(QStringLiteral("INSERT INTO VeAlarmLogDB (devID, time, type) VALUES (?, ?, ?)"));
        const QDateTime start = QDateTime::currentDateTime().addSecs(-rows);
        for (int i = 0; i < rows; ++i) {
            query.addBindValue(QStringLiteral("CAM%1").arg(i % 16));
            query.addBindValue(start.addSecs(i).toString(QLatin1String(VeDataBase::kTimeFormat)));
            query.addBindValue(i % 6);
            query.exec();
        }
        db.commit();
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    g_previousHandler = qInstallMessageHandler(quietInserts);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 8000;
    QTemporaryDir dir;

    std::printf("insert rate, 1 thread:  %.0f rows/s (%d rows)\n",
                insertRate(dir.filePath(QStringLiteral("one.db")), 1, rows), rows);
    std::printf("insert rate, 4 threads: %.0f rows/s (%d rows)\n",
                insertRate(dir.filePath(QStringLiteral("four.db")), 4, rows), rows);

    const QString large = dir.filePath(QStringLiteral("large.db"));
    fillLargeLog(large, 100000);
    // The client opens its log once at start; the dialog then only queries it.
    VeDataBase log(large);
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer timer;
        timer.start();
        auto* dialog = new VeAppLogDialog(&log, {QStringLiteral("CAM1")});
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog))
            return 1;
        QApplication::processEvents();
        const qint64 opened = timer.elapsed();
        const int listed = dialog->findChild<QTableView*>(QStringLiteral("tableWidget"))->model()->rowCount();
        std::printf("log dialog open with %d rows: %lld ms%s\n", listed, static_cast<long long>(opened),
                    opened < 1000 ? "" : "  (over the 1 s target)");
        dialog->close();
        QApplication::processEvents();
    }
    return 0;
}
