#pragma once

#include <QMutex>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>

// One SQLite file of the client, opened the same way for every database: it lives in the application's
// data folder, a file that is not a healthy database is set aside (never overwritten) and replaced by a
// new one, and every thread gets a connection of its own, since Qt forbids sharing one between threads.
class VeSqliteFile {
public:
    // Where a database file of the client lives: the application's data folder, which open() creates.
    // Empty when the platform names no such folder.
    static QString pathInDataFolder(const QString& fileName);

    // connectionPrefix names this file's connections; it must be unique among the open files.
    VeSqliteFile(const QString& filePath, const QString& connectionPrefix);
    ~VeSqliteFile();
    VeSqliteFile(const VeSqliteFile&) = delete;
    VeSqliteFile& operator=(const VeSqliteFile&) = delete;

    // Opens the file once, on the calling thread. False when there is no usable database. problem()
    // tells the user what went wrong, also when a damaged file was set aside and a new one opened.
    bool open();
    bool isOpen() const { return m_open; }
    QString problem() const { return m_problem; }
    QString filePath() const { return m_filePath; }
    // Where a damaged file was moved; empty when none was.
    QString setAsidePath() const { return m_setAsidePath; }

    // The calling thread's connection, opened on first use; invalid when the file is not open.
    QSqlDatabase connection();

    // Serialises the writers of this file, so that they never wait in SQLite's busy handler.
    QMutex* writeMutex() { return &m_writeMutex; }

private:
    enum class Health { Healthy, Damaged, Unavailable };
    Health openAndCheck(const QString& name, bool check, QString* error);
    bool setAside();
    QString connectionName() const;

    QString m_filePath;
    QString m_prefix;
    bool m_open = false;
    QString m_problem;
    QString m_setAsidePath;
    QMutex m_namesMutex;
    QStringList m_names;
    QMutex m_writeMutex;
};
