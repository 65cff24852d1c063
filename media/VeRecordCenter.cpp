#include "VeRecordCenter.h"

#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvNalUnits.h"
#include "VeRecordWriter.h"

#include <QDebug>

#include <chrono>
#include <cstdio>

// What a writer thread reaches its centre through: cleared when the centre goes, so that a writer
// finishing later never touches a freed object.
struct VeRecordCenter::Link {
    QMutex mutex;
    VeRecordCenter* center = nullptr;
};

namespace {

int64_t wallClockUs() {
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

VeRecordCenter::VeRecordCenter(QObject* parent) : QObject(parent), m_link(std::make_shared<Link>()) {
    m_link->center = this;
}

VeRecordCenter::~VeRecordCenter() {
    {
        TvMutexLocker lock(&m_link->mutex);
        m_link->center = nullptr;
    }
    TvMutexLocker lock(&m_mutex);
    if (m_writer)
        m_writer->finish();
}

bool VeRecordCenter::waitForWriters(int ms) {
    return VeRecordWriter::waitForWriters(ms);
}

bool VeRecordCenter::writerAliveLocked() {
    if (m_writer && m_writer->hasFailed()) {
        // It failed on its own and has already said so through recordingEndedSignal.
        m_writer.reset();
        m_path.clear();
    }
    return m_writer != nullptr;
}

void VeRecordCenter::restartCache(std::shared_ptr<const TvMediaObject> object, int64_t arrivalUs, bool key) {
    m_cache.clear();
    m_cacheBytes = object->length();
    m_cache.push_back(Cached{std::move(object), arrivalUs, key});
}

void VeRecordCenter::push(const TvMediaObject* object) {
    if (!object || object->isInvalid() || !object->isVideo())
        return;
    const int64_t arrivalUs = m_download ? 0 : wallClockUs();
    const uint8_t* data = object->data();
    const int length = object->length();
    const TvNalUnits::Summary nal = TvNalUnits::summarize(data, length);
    const bool idr = nal.idr;
    const bool parameterSetsOnly = (nal.sps || nal.pps) && !nal.slice;

    TvMutexLocker lock(&m_mutex);
    const bool recording = writerAliveLocked();
    std::shared_ptr<const TvMediaObject> copy;
    if (nal.sps) {
        copy = object->clone();
        m_parameterSets = TvNalUnits::parameterSets(data, length);
        if (copy)
            restartCache(copy, arrivalUs, idr);
    } else if (idr && !m_lastWasParameterSets && !m_parameterSets.empty()) {
        // An IDR without parameter sets in front still starts a group: the cached copy gets the last
        // ones, so a recording can start here.
        std::vector<uint8_t> joined(m_parameterSets);
        joined.insert(joined.end(), data, data + length);
        std::shared_ptr<const TvMediaObject> keyCopy = std::make_shared<TvMediaObject>(
            true, joined.data(), int(joined.size()), object->width(), object->height());
        if (!keyCopy->isInvalid())
            restartCache(keyCopy, arrivalUs, true);
        if (recording)
            copy = object->clone();
    } else if (!m_cache.empty() || recording) {
        copy = object->clone();
        if (copy && !m_cache.empty()) {
            if (nal.pps && m_lastWasParameterSets) {
                const std::vector<uint8_t> sets = TvNalUnits::parameterSets(data, length);
                m_parameterSets.insert(m_parameterSets.end(), sets.begin(), sets.end());
            }
            m_cache.push_back(Cached{copy, arrivalUs, idr});
            m_cacheBytes += length;
            if (m_cacheBytes > kCacheMaxBytes || int(m_cache.size()) > kCacheMaxPackets) {
                // A stream whose key frames are far apart (or never come back) must not grow it forever.
                qWarning() << "key-frame cache over its limit (" << m_cache.size() << "packets,"
                           << m_cacheBytes << "bytes ), emptied until the next key frame";
                m_cache.clear();
                m_cacheBytes = 0;
            }
        }
    }
    m_lastWasParameterSets = parameterSetsOnly;
    if (recording && copy)
        m_writer->push(std::move(copy), arrivalUs, idr);
}

bool VeRecordCenter::waitForRoom(int64_t bytes, int ms) {
    std::shared_ptr<VeRecordWriter> writer;
    {
        TvMutexLocker lock(&m_mutex);
        if (!writerAliveLocked())
            return true;
        writer = m_writer;
    }
    return writer->waitForRoom(bytes, ms);
}

void VeRecordCenter::setDownloadMode(bool on) {
    TvMutexLocker lock(&m_mutex);
    m_download = on;
}

bool VeRecordCenter::start(const QString& path) {
    TvMutexLocker lock(&m_mutex);
    if (writerAliveLocked()) {
        qWarning() << "已经开启录像了，不需要重复开启";
        return false;
    }
    if (m_cache.empty()) {
        qWarning() << "缓存队列为空，不能初始化";
        return false;
    }
    const TvMediaObject& key = *m_cache.front().object;
    for (const TvNalUnits::Unit& unit : TvNalUnits::scan(key.data(), key.length())) {
        const uint8_t* p = key.data() + unit.start;
        std::printf("%x-%x-%x-%x-%x-\n", p[0], p[1], p[2], p[3], key.data()[unit.header]);
        std::printf("keyObj->m_mediaData[index + 4] & 0x1 = %x\n", unit.type);
        if (unit.type == 5)
            break;
    }
    std::fflush(stdout);

    const std::shared_ptr<Link> link = m_link;
    m_writer = VeRecordWriter::start(path, [link](const QString& file, bool ok) {
        TvMutexLocker linkLock(&link->mutex);
        if (link->center)
            emit link->center->recordingEndedSignal(file, ok);
    });
    m_path = path;
    for (const Cached& cached : m_cache)
        m_writer->push(cached.object, cached.arrivalUs, cached.key);
    return true;
}

bool VeRecordCenter::stop() {
    TvMutexLocker lock(&m_mutex);
    if (!writerAliveLocked())
        return false;
    m_writer->finish();
    m_writer.reset();
    m_path.clear();
    return true;
}

void VeRecordCenter::clearCache() {
    TvMutexLocker lock(&m_mutex);
    m_cache.clear();
    m_cacheBytes = 0;
    m_parameterSets.clear();
    m_lastWasParameterSets = false;
}

bool VeRecordCenter::isRecording() {
    TvMutexLocker lock(&m_mutex);
    return writerAliveLocked();
}

QString VeRecordCenter::elapsedText() {
    TvMutexLocker lock(&m_mutex);
    return writerAliveLocked() ? m_writer->elapsedText() : QStringLiteral("00:00:00");
}

int VeRecordCenter::cachedCount() {
    TvMutexLocker lock(&m_mutex);
    return int(m_cache.size());
}

QString VeRecordCenter::path() {
    TvMutexLocker lock(&m_mutex);
    return m_path;
}
