#include "VeSqliteFile.h"

#include "TvMutexLocker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

#include <atomic>

namespace {

// SQLite's result codes for a file that is damaged or not a database at all.
const QString kCorrupt = QStringLiteral("11");
const QString kNotADatabase = QStringLiteral("26");

quint64 threadSerial() {
    static std::atomic<quint64> next{0};
    // Per thread life, so a new thread never inherits a dead thread's connection.
    thread_local const quint64 serial = ++next;
    return serial;
}

bool isDamage(const QSqlError& error) {
    const QString code = error.nativeErrorCode();
    return code == kCorrupt || code == kNotADatabase;
}

} // namespace

QString VeSqliteFile::pathInDataFolder(const QString& fileName) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    return folder.isEmpty() ? QString() : folder + QLatin1Char('/') + fileName;
}

VeSqliteFile::VeSqliteFile(const QString& filePath, const QString& connectionPrefix)
    : m_filePath(filePath), m_prefix(connectionPrefix) {}

VeSqliteFile::~VeSqliteFile() {
    TvMutexLocker locker(&m_namesMutex);
    const QString own = connectionName();
    for (const QString& name : qAsConst(m_names)) {
        if (name == own)
            QSqlDatabase::database(name, false).close();
        QSqlDatabase::removeDatabase(name);
    }
}

QString VeSqliteFile::connectionName() const {
    return QStringLiteral("%1-%2").arg(m_prefix).arg(threadSerial());
}

VeSqliteFile::Health VeSqliteFile::openAndCheck(const QString& name, bool check, QString* error) {
    QSqlDatabase db = QSqlDatabase::contains(name)
                          ? QSqlDatabase::database(name, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    {
        TvMutexLocker locker(&m_namesMutex);
        if (!m_names.contains(name))
            m_names.append(name);
    }
    db.setDatabaseName(m_filePath);
    // Another process (or a crashed one's leftovers) holding the file gets a moment instead of a failure.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open()) {
        *error = db.lastError().text();
        return isDamage(db.lastError()) ? Health::Damaged : Health::Unavailable;
    }
    // The whole file is checked once, by the first connection; later ones only join it.
    if (check) {
        QSqlQuery query(db);
        if (!query.exec(QStringLiteral("PRAGMA quick_check"))) {
            *error = query.lastError().text();
            db.close();
            return isDamage(query.lastError()) ? Health::Damaged : Health::Unavailable;
        }
        QStringList findings;
        while (query.next())
            findings.append(query.value(0).toString());
        if (findings != QStringList{QStringLiteral("ok")}) {
            *error = findings.join(QLatin1Char(' '));
            db.close();
            return Health::Damaged;
        }
    }
    // WAL keeps every committed row through a crash of the process without a disk flush per insert.
    QSqlQuery setup(db);
    setup.exec(QStringLiteral("PRAGMA journal_mode=WAL"));
    setup.exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
    return Health::Healthy;
}

bool VeSqliteFile::setAside() {
    const QString aside = m_filePath + QStringLiteral(".corrupt-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMddHHmmss"));
    if (QFile::exists(aside) || !QFile::rename(m_filePath, aside)) {
        qWarning() << "damaged database cannot be set aside:" << m_filePath << "->" << aside;
        return false;
    }
    // The journal belongs to the damaged file; left in place it would be replayed into the new one.
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        const QString journal = m_filePath + QLatin1String(suffix);
        if (QFile::exists(journal))
            QFile::rename(journal, aside + QLatin1String(suffix));
    }
    m_setAsidePath = aside;
    qWarning() << "damaged database set aside:" << m_filePath << "->" << aside;
    return true;
}

bool VeSqliteFile::open() {
    if (m_open)
        return true;
    if (m_filePath.isEmpty()) {
        qWarning() << "无法建立数据库连接: no data folder";
        m_problem = QCoreApplication::translate("VeSqliteFile", "无法打开数据库：%1").arg(m_filePath);
        return false;
    }
    const QString folder = QFileInfo(m_filePath).absolutePath();
    if (!QDir().mkpath(folder)) {
        qWarning() << "database folder cannot be created:" << folder;
        m_problem = QCoreApplication::translate("VeSqliteFile", "无法创建数据库文件夹：%1").arg(folder);
        return false;
    }
    const QString name = connectionName();
    QString error;
    Health health = openAndCheck(name, true, &error);
    if (health == Health::Damaged) {
        qWarning() << "database is damaged:" << m_filePath << error;
        QSqlDatabase::removeDatabase(name);
        if (!setAside()) {
            m_problem =
                QCoreApplication::translate("VeSqliteFile", "数据库文件已损坏且无法移走：%1").arg(m_filePath);
            return false;
        }
        m_problem = QCoreApplication::translate("VeSqliteFile", "数据库文件已损坏，已另存为 %1 并新建数据库")
                        .arg(m_setAsidePath);
        health = openAndCheck(name, true, &error);
    }
    if (health != Health::Healthy) {
        qWarning() << "无法建立数据库连接" << m_filePath << error;
        m_problem = QCoreApplication::translate("VeSqliteFile", "无法打开数据库：%1").arg(m_filePath);
        return false;
    }
    m_open = true;
    return true;
}

QSqlDatabase VeSqliteFile::connection() {
    if (!m_open)
        return QSqlDatabase();
    const QString name = connectionName();
    if (QSqlDatabase::contains(name)) {
        QSqlDatabase db = QSqlDatabase::database(name, false);
        if (db.isOpen())
            return db;
    }
    QString error;
    if (openAndCheck(name, false, &error) != Health::Healthy) {
        qWarning() << "database connection failed:" << m_filePath << error;
        return QSqlDatabase();
    }
    return QSqlDatabase::database(name, false);
}
