#include "TvFileManager.h"

#include "TvMutexLocker.h"

#include <QDebug>
#include <QMutex>

TvFileManager* TvFileManager::instance() {
    static TvFileManager* manager = new TvFileManager; // never destroyed, like every singleton here
    return manager;
}

bool TvFileManager::makePath(const QString& path) {
    static QMutex mutex; // QDir is not safe to share between threads
    TvMutexLocker lock(&mutex);
    if (m_dir.mkpath(path))
        return true;
    qWarning() << "cannot create folder" << path;
    return false;
}
