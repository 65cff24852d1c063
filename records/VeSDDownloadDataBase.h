#pragma once

#include "VeSqliteFile.h"

#include <QString>

// The downloads of SD-card recordings that have a local file: one row per camera and file name.
// Safe to call from any thread: each thread works through its own connection.
class VeSDDownloadDataBase {
public:
    struct Row {
        QString devid;
        QString filename;
        qint64 size = 0;
        QString path;
    };

    // The client's table in the data folder, opened on first use.
    static VeSDDownloadDataBase* instance();

    explicit VeSDDownloadDataBase(const QString& filePath);

    // False when there is no usable database: nothing is remembered then (each call logs a line).
    bool isAvailable() const { return m_available; }
    QString problem() const { return m_file.problem(); }

    bool insertDownload(const QString& devid, const QString& filename, const QString& path, qint64 size);
    // The first row of the camera's file; false when there is none.
    bool findDownload(const QString& devid, const QString& filename, Row* row);
    void deleteDownload(const QString& devid, const QString& filename);

private:
    VeSqliteFile m_file;
    bool m_available = false;
};
