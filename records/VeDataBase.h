#pragma once

#include "NxAlarmLog.h"
#include "VeAlarmInfoModel.h"
#include "VeSqliteFile.h"

#include <QVector>

// The alarm log: every alarm, online/offline change and video open/close, one committed row each.
// Safe to call from any thread: each thread works through its own connection.
class VeDataBase : public NxAlarmLog {
public:
    // The client's log in the data folder, opened on first use.
    static VeDataBase* instance();

    explicit VeDataBase(const QString& filePath);

    // False when there is no usable database; the log then drops events (each with a log line).
    bool isAvailable() const { return m_available; }
    // A text for the user when opening went wrong (also after a damaged file was replaced); else empty.
    QString problem() const { return m_problem.isEmpty() ? m_file.problem() : m_problem; }
    QString filePath() const { return m_file.filePath(); }
    QString setAsidePath() const { return m_file.setAsidePath(); }

    void insertAlarm(const QString& devID, int type) override;
    // An empty id deletes every row.
    void deleteAlarms(const QString& devID);
    // Newest first; events of the same second in the reverse order of their arrival.
    QVector<VeAlarmInfoModel> allAlarms();
    QVector<VeAlarmInfoModel> alarmsOf(const QString& devID);

    static const char* const kTimeFormat;

private:
    bool prepareTable();
    bool migrateTimeKey(QSqlDatabase& db);
    QVector<VeAlarmInfoModel> select(const QString& devID);

    VeSqliteFile m_file;
    bool m_available = false;
    QString m_problem;
};
