#include "VeRecordWriter.h"

#include "TvConditionWait.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvNalUnits.h"
#include "VeVideoRecorder.h"

#include <QDateTime>
#include <QDebug>
#include <QElapsedTimer>
#include <QFileInfo>

#include <thread>

namespace {

// Writers still closing their files, for waitForWriters. Each writer thread keeps the registry alive
// until it is done, even past the end of main.
struct Registry {
    QMutex mutex;
    QWaitCondition allDone;
    int active = 0;
};

std::shared_ptr<Registry> registry() {
    static const std::shared_ptr<Registry> instance = std::make_shared<Registry>();
    return instance;
}

} // namespace

VeRecordWriter::VeRecordWriter(Token, const QString& path, EndedFunction ended, Limits limits)
    : m_path(path), m_ended(std::move(ended)), m_limits(limits) {}

VeRecordWriter::~VeRecordWriter() = default;

std::shared_ptr<VeRecordWriter> VeRecordWriter::start(const QString& path, EndedFunction ended,
                                                      Limits limits) {
    auto writer = std::make_shared<VeRecordWriter>(Token(), path, std::move(ended), limits);
    std::shared_ptr<Registry> writers = registry();
    {
        TvMutexLocker lock(&writers->mutex);
        ++writers->active;
    }
    std::thread([writer, writers]() {
        writer->run();
        TvMutexLocker lock(&writers->mutex);
        --writers->active;
        writers->allDone.wakeAll();
    }).detach();
    return writer;
}

bool VeRecordWriter::waitForWriters(int ms) {
    std::shared_ptr<Registry> writers = registry();
    QElapsedTimer timer;
    timer.start();
    TvMutexLocker lock(&writers->mutex);
    while (writers->active > 0) {
        const qint64 left = ms - timer.elapsed();
        if (left <= 0)
            return false;
        tvConditionWait(writers->allDone, &writers->mutex, static_cast<unsigned long>(left));
    }
    return true;
}

void VeRecordWriter::push(std::shared_ptr<const TvMediaObject> object, int64_t arrivalUs, bool key) {
    if (!object)
        return;
    TvMutexLocker lock(&m_mutex);
    if (m_finishing || m_failed.load())
        return;
    if (m_dropping) {
        if (!key) {
            ++m_dropped;
            return;
        }
        qWarning() << "recording resumes at a key frame after dropping" << m_dropped.load() << "packets"
                   << m_path;
        m_dropping = false;
    }
    const int64_t bytes = object->length();
    if (m_queuedBytes + bytes > m_limits.maxBytes || int(m_queue.size()) >= m_limits.maxPackets) {
        // The disk is behind: drop this group whole, a cut group would not decode.
        qWarning() << "recording cannot keep up with the disk, dropping pictures up to the next key frame"
                   << m_queue.size() << "packets queued" << m_path;
        m_dropping = true;
        ++m_dropped;
        return;
    }
    m_queuedBytes += bytes;
    m_queue.push_back(Item{std::move(object), arrivalUs, key});
    m_wake.wakeAll();
}

bool VeRecordWriter::waitForRoom(int64_t bytes, int ms) {
    TvMutexLocker lock(&m_mutex);
    QElapsedTimer waited;
    waited.start();
    const auto fits = [&] {
        return m_queuedBytes + bytes <= m_limits.maxBytes && int(m_queue.size()) < m_limits.maxPackets;
    };
    for (qint64 left = ms; !fits() && left > 0 && !m_finishing && !m_failed.load();
         left = ms - waited.elapsed())
        tvConditionWait(m_room, &m_mutex, static_cast<unsigned long>(left));
    return fits() && !m_finishing && !m_failed.load();
}

void VeRecordWriter::fail() {
    TvMutexLocker lock(&m_mutex);
    m_failed = true;
    m_room.wakeAll(); // a push waiting for room gives up now
}

void VeRecordWriter::finish() {
    TvMutexLocker lock(&m_mutex);
    m_finishing = true;
    m_wake.wakeAll();
    m_room.wakeAll();
}

QString VeRecordWriter::elapsedText() {
    const qint64 last = m_lastWriteMs.load();
    if (last > 0 && QDateTime::currentMSecsSinceEpoch() - last <= 1000)
        ++m_elapsedSeconds;
    return VeVideoRecorder::formatElapsed(m_elapsedSeconds.load());
}

bool VeRecordWriter::takeBatch(std::deque<Item>& batch) {
    TvMutexLocker lock(&m_mutex);
    while (m_queue.empty() && !m_finishing)
        tvConditionWait(m_wake, &m_mutex);
    if (m_queue.empty())
        return false;
    batch.swap(m_queue);
    m_queuedBytes = 0;
    m_room.wakeAll();
    return true;
}

void VeRecordWriter::run() {
    std::unique_ptr<VeVideoRecorder> recorder;
    std::vector<uint8_t> parameterSets;
    std::deque<Item> batch;
    while (!m_failed.load() && takeBatch(batch)) {
        for (const Item& item : batch) {
            const uint8_t* data = item.object->data();
            int length = item.object->length();
            const TvNalUnits::Summary nal = TvNalUnits::summarize(data, length);
            if (nal.sps) {
                parameterSets = TvNalUnits::parameterSets(data, length);
            } else if (nal.pps) {
                const std::vector<uint8_t> sets = TvNalUnits::parameterSets(data, length);
                parameterSets.insert(parameterSets.end(), sets.begin(), sets.end());
            }
            const int idr = nal.idr ? TvNalUnits::find(data, length, 5) : -1;
            if (!nal.slice)
                continue; // parameter sets alone: kept above for the file's header
            if (idr > 0 && (nal.sps || nal.pps)) {
                // The recorder puts the stream's parameter sets in front of every IDR slice itself.
                data += idr;
                length -= idr;
            }
            if (!recorder) {
                if (idr < 0) {
                    qWarning() << "wait I frame.....";
                    continue;
                }
                std::vector<uint8_t> keyUnit(parameterSets);
                keyUnit.insert(keyUnit.end(), data, data + length);
                VeRecordParams params;
                VeVideoRecorder::probe(keyUnit.data(), int(keyUnit.size()), item.object->width(),
                                       item.object->height(), params);
                params.parameterSets = parameterSets.data();
                params.parameterSetsLength = int(parameterSets.size());
                recorder = std::make_unique<VeVideoRecorder>(m_path, params);
                if (!recorder->isOpen()) {
                    qWarning() << "初始化录像控制器失败" << m_path;
                    recorder.reset();
                    fail();
                    break;
                }
            }
            VeRecordPacket packet;
            packet.data = data;
            packet.length = length;
            packet.pts = item.arrivalUs;
            packet.key = idr >= 0;
            const int written = recorder->writePacket(packet);
            if (written < 0) {
                fail();
                break;
            }
            if (written > 0) {
                ++m_written;
                m_lastWriteMs = QDateTime::currentMSecsSinceEpoch();
            }
        }
        batch.clear();
    }
    if (m_failed.load()) {
        TvMutexLocker lock(&m_mutex);
        m_queue.clear();
        m_queuedBytes = 0;
    }
    bool ok = false;
    if (recorder) {
        ok = recorder->close() && !m_failed.load();
        // A file removed while it was being written takes the recording with it.
        if (ok && !QFileInfo::exists(m_path)) {
            qWarning() << "录像文件已不存在" << m_path;
            ok = false;
        }
    } else if (!m_failed.load()) {
        qWarning() << "录像没有写入任何画面" << m_path;
    }
    if (m_ended)
        m_ended(m_path, ok);
}
