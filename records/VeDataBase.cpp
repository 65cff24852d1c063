#include "VeDataBase.h"

#include "TvMutexLocker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace {

// Without a key on time: two events of the same second are both kept.
const QString kCreateTable = QStringLiteral("create table VeAlarmLogDB(time varchar,devID varchar,type int)");
const QString kCreateIndex =
    QStringLiteral("create index if not exists VeAlarmLogDB_time on VeAlarmLogDB(time)");

int connectionSerial() {
    static std::atomic<int> next{0};
    return ++next;
}

} // namespace

const char* const VeDataBase::kTimeFormat = "yyyy-MM-dd HH:mm:ss";

VeDataBase* VeDataBase::instance() {
    // Never destroyed, like every singleton here: SDK threads may write until the process ends.
    static VeDataBase* db = new VeDataBase(VeSqliteFile::pathInDataFolder(QStringLiteral("alarmlog.db")));
    return db;
}

VeDataBase::VeDataBase(const QString& filePath)
    : m_file(filePath, QStringLiteral("VeDataBase%1").arg(connectionSerial())) {
    m_available = m_file.open() && prepareTable();
    if (m_file.isOpen() && !m_available)
        m_problem = QCoreApplication::translate("VeDataBase", "无法写入数据库：%1").arg(filePath);
}

bool VeDataBase::prepareTable() {
    QSqlDatabase db = m_file.connection();
    TvMutexLocker locker(m_file.writeMutex());
    if (db.tables().contains(QStringLiteral("VeAlarmLogDB"))) {
        if (!migrateTimeKey(db))
            return false;
    } else {
        QSqlQuery create(db);
        if (!create.exec(kCreateTable)) {
            qWarning() << "数据库表创建失败！\n" << create.lastError().text();
            return false;
        }
        qWarning() << "数据库表创建成功！\n";
    }
    QSqlQuery index(db);
    if (!index.exec(kCreateIndex))
        qWarning() << "alarm log index not created:" << index.lastError().text();
    return true;
}

bool VeDataBase::migrateTimeKey(QSqlDatabase& db) {
    QSqlQuery info(db);
    bool keyed = false;
    if (info.exec(QStringLiteral("PRAGMA table_info(VeAlarmLogDB)"))) {
        while (info.next())
            keyed = keyed || (info.value(1).toString() == QLatin1String("time") && info.value(5).toInt() > 0);
    }
    info.finish();
    if (!keyed)
        return true;
    // Files of older clients keyed the table on time; their rows move, all or none, to the keyless table.
    if (!db.transaction()) {
        qWarning() << "alarm log migration cannot start:" << db.lastError().text();
        return false;
    }
    const QStringList steps = {
        QStringLiteral("alter table VeAlarmLogDB rename to VeAlarmLogDB_keyed"),
        kCreateTable,
        QStringLiteral("insert into VeAlarmLogDB (time, devID, type) select time, devID, type from "
                       "VeAlarmLogDB_keyed order by time"),
        QStringLiteral("drop table VeAlarmLogDB_keyed"),
    };
    QSqlQuery query(db);
    for (const QString& step : steps) {
        if (!query.exec(step)) {
            qWarning() << "alarm log migration failed:" << step << query.lastError().text();
            query.finish();
            db.rollback();
            return false;
        }
    }
    query.finish();
    if (!db.commit()) {
        qWarning() << "alarm log migration not committed:" << db.lastError().text();
        db.rollback();
        return false;
    }
    qWarning() << "alarm log migrated to a table without the time key";
    return true;
}

void VeDataBase::insertAlarm(const QString& devID, int type) {
    const QString time = QDateTime::currentDateTime().toString(QLatin1String(kTimeFormat));
    qWarning() << "insert data" << devID << time << type;
    if (!m_available) {
        qWarning() << "insert failed"
                   << "no alarm log database";
        return;
    }
    QSqlDatabase db = m_file.connection();
    TvMutexLocker locker(m_file.writeMutex());
    QSqlQuery query(db);
    query.prepare(QStringLiteral("INSERT INTO VeAlarmLogDB (devID, time, type) VALUES (?, ?, ?)"));
    query.addBindValue(devID);
    query.addBindValue(time);
    query.addBindValue(type);
    // Autocommit: each event is on disk before the next arrives.
    if (!query.exec())
        qWarning() << "insert failed" << query.lastError().text();
}

void VeDataBase::deleteAlarms(const QString& devID) {
    if (!m_available)
        return;
    QSqlDatabase db = m_file.connection();
    TvMutexLocker locker(m_file.writeMutex());
    QSqlQuery query(db);
    if (devID.isEmpty()) {
        query.prepare(QStringLiteral("delete from VeAlarmLogDB"));
    } else {
        query.prepare(QStringLiteral("delete from VeAlarmLogDB where devID = ?"));
        query.addBindValue(devID);
    }
    if (!query.exec())
        qWarning() << "search failed" << query.lastError().text();
}

QVector<VeAlarmInfoModel> VeDataBase::allAlarms() {
    return select(QString());
}

QVector<VeAlarmInfoModel> VeDataBase::alarmsOf(const QString& devID) {
    return select(devID);
}

QVector<VeAlarmInfoModel> VeDataBase::select(const QString& devID) {
    QVector<VeAlarmInfoModel> list;
    if (!m_available)
        return list;
    QSqlDatabase db = m_file.connection();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (devID.isEmpty()) {
        query.prepare(
            QStringLiteral("select time, devID, type from VeAlarmLogDB order by time desc, rowid desc"));
    } else {
        query.prepare(QStringLiteral(
            "select time, devID, type from VeAlarmLogDB where devID = ? order by time desc, rowid desc"));
        query.addBindValue(devID);
    }
    if (!query.exec()) {
        qWarning() << "search failed" << query.lastError().text();
        return list;
    }
    while (query.next())
        list.append(
            VeAlarmInfoModel(query.value(0).toString(), query.value(1).toString(), query.value(2).toInt()));
    return list;
}
