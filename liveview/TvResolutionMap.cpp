#include "TvResolutionMap.h"
#include "TvMutexLocker.h"

TvResolutionMap* TvResolutionMap::instance() {
    static TvResolutionMap* map = new TvResolutionMap; // lives until the process ends
    return map;
}

void TvResolutionMap::set(const QString& playKey, const QString& resolution) {
    TvMutexLocker lock(&m_mutex);
    m_map.insert(playKey, resolution);
}

QString TvResolutionMap::value(const QString& playKey) {
    TvMutexLocker lock(&m_mutex);
    return m_map.value(playKey);
}
