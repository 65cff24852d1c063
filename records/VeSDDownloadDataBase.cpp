#include "VeSDDownloadDataBase.h"

#include "TvMutexLocker.h"

#include <QDebug>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace {

int connectionSerial() {
    static std::atomic<int> next{0};
    return ++next;
}

} // namespace

VeSDDownloadDataBase* VeSDDownloadDataBase::instance() {
    // Never destroyed, like every singleton here.
    static VeSDDownloadDataBase* db =
        new VeSDDownloadDataBase(VeSqliteFile::pathInDataFolder(QStringLiteral("sddownload.db")));
    return db;
}

VeSDDownloadDataBase::VeSDDownloadDataBase(const QString& filePath)
    : m_file(filePath, QStringLiteral("VeSDDownloadDataBase%1").arg(connectionSerial())) {
    if (!m_file.open()) {
        qWarning() << "无法建立录像数据库连接" << filePath << m_file.problem();
        return;
    }
    QSqlDatabase db = m_file.connection();
    TvMutexLocker locker(m_file.writeMutex());
    QSqlQuery create(db);
    if (!create.exec(QStringLiteral("create table if not exists VeSDDownloadDB(devid varchar,filename "
                                    "varchar,size int,path varchar)"))) {
        qWarning() << "录像数据库表创建失败！\n" << create.lastError().text();
        return;
    }
    qWarning() << "录像数据库表创建成功！\n";
    m_available = true;
}

bool VeSDDownloadDataBase::insertDownload(const QString& devid, const QString& filename, const QString& path,
                                          qint64 size) {
    if (!m_available) {
        qWarning() << "insert failed"
                   << "no download database" << devid << filename;
        return false;
    }
    QSqlDatabase db = m_file.connection();
    TvMutexLocker locker(m_file.writeMutex());
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO VeSDDownloadDB (devid, filename, path, size) VALUES (?, ?, ?, ?)"));
    query.addBindValue(devid);
    query.addBindValue(filename);
    query.addBindValue(path);
    query.addBindValue(size);
    if (!query.exec()) {
        qWarning() << "insert failed" << query.lastError().text();
        return false;
    }
    return true;
}

bool VeSDDownloadDataBase::findDownload(const QString& devid, const QString& filename, Row* row) {
    if (!m_available)
        return false;
    QSqlDatabase db = m_file.connection();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("select * from VeSDDownloadDB where devid = ? and filename = ?"));
    query.addBindValue(devid);
    query.addBindValue(filename);
    if (!query.exec()) {
        qWarning() << "search failed" << query.lastError().text();
        return false;
    }
    if (!query.next())
        return false;
    *row = Row{query.value(0).toString(), query.value(1).toString(), query.value(2).toLongLong(),
               query.value(3).toString()};
    return true;
}

void VeSDDownloadDataBase::deleteDownload(const QString& devid, const QString& filename) {
    if (!m_available)
        return;
    QSqlDatabase db = m_file.connection();
    TvMutexLocker locker(m_file.writeMutex());
    QSqlQuery query(db);
    query.prepare(QStringLiteral("delete from VeSDDownloadDB where devid = ? and filename = ?"));
    query.addBindValue(devid);
    query.addBindValue(filename);
    if (!query.exec())
        qWarning() << "search failed" << query.lastError().text();
}
