#pragma once

#include <QDir>
#include <QString>

// Creates folders for the settings store and the writers of snapshots and recordings.
class TvFileManager {
public:
    static TvFileManager* instance();

    // Creates the folder with every missing parent; false (and a log line) when it cannot.
    bool makePath(const QString& path);

private:
    TvFileManager() = default;
    QDir m_dir;
};
