#include "VeRecordCenter.h"

#include "TvFFmpeg.h"
#include "TvMediaObject.h"
#include "VeVideoRecorder.h"

#include <QDateTime>
#include <QDebug>

#include <cstdio>
#include <vector>

namespace {

bool isStartCode(const uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1;
}

// The picture size the sequence parameter set announces, through libavcodec's H.264 parser.
bool parseSize(const uint8_t* data, int length, int& width, int& height) {
    AVCodecParserContext* parser = av_parser_init(AV_CODEC_ID_H264);
    if (!parser)
        return false;
    TvFFmpeg::CodecContextPtr context(avcodec_alloc_context3(nullptr));
    bool ok = false;
    if (context) {
        std::vector<uint8_t> padded(size_t(length) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        std::copy(data, data + length, padded.begin());
        uint8_t* out = nullptr;
        int outSize = 0;
        av_parser_parse2(parser, context.get(), &out, &outSize, padded.data(), length, AV_NOPTS_VALUE,
                         AV_NOPTS_VALUE, 0);
        if (parser->width > 0 && parser->height > 0) {
            width = parser->width;
            height = parser->height;
            ok = true;
        }
    }
    av_parser_close(parser);
    return ok;
}

} // namespace

VeRecordCenter::VeRecordCenter(QObject* parent) : QObject(parent) {}

VeRecordCenter::~VeRecordCenter() {
    stop();
}

int VeRecordCenter::findNal(const uint8_t* data, int length, int type) {
    if (!data)
        return -1;
    for (int i = 0; i + 4 < length; ++i) {
        if (isStartCode(data + i) && (data[i + 4] & 0x1F) == type)
            return i;
    }
    return -1;
}

void VeRecordCenter::push(const TvMediaObject* object) {
    if (!object || object->isInvalid() || !object->isVideo())
        return;
    QMutexLocker lock(&m_mutex);
    if (object->firstNalType() == 7) {
        m_cache.clear();
        if (auto copy = object->clone())
            m_cache.push_back(std::move(copy));
    } else if (!m_cache.empty()) {
        if (auto copy = object->clone())
            m_cache.push_back(std::move(copy));
    }
    if (m_recording)
        writeLocked(*object);
}

bool VeRecordCenter::start(const QString& path) {
    QMutexLocker lock(&m_mutex);
    if (m_recording) {
        qWarning() << "已经开启录像了，不需要重复开启";
        return false;
    }
    if (m_cache.empty()) {
        qWarning() << "缓存队列为空，不能初始化";
        return false;
    }
    const TvMediaObject& key = *m_cache.front();
    const uint8_t* data = key.data();
    const int length = key.length();
    std::vector<int> positions;
    for (int i = 0; i + 4 < length; ++i) {
        if (!isStartCode(data + i))
            continue;
        positions.push_back(i);
        if ((data[i + 4] & 0x1F) == 5)
            break;
    }
    const uint8_t* parameterSets = nullptr;
    int parameterSetsLength = 0;
    for (size_t k = 0; k < positions.size(); ++k) {
        const int index = positions[k];
        std::printf("%x-%x-%x-%x-%x-\n", data[index], data[index + 1], data[index + 2], data[index + 3],
                    data[index + 4]);
        std::printf("keyObj->m_mediaData[index + 4] & 0x1 = %x\n", data[index + 4] & 0x1F);
        if (!parameterSets && (data[index + 4] & 0x1F) == 7) {
            // SPS and PPS with their start codes: up to the second start code after the SPS.
            const int end = k + 2 < positions.size() ? positions[k + 2] : length;
            parameterSets = data + index;
            parameterSetsLength = end - index;
        }
    }
    std::fflush(stdout);

    VeRecordParams params;
    params.width = key.width();
    params.height = key.height();
    // The objects carry the nominal size; the true one is in the sequence parameter set.
    if (parameterSets)
        parseSize(parameterSets, parameterSetsLength, params.width, params.height);
    params.parameterSets = parameterSets;
    params.parameterSetsLength = parameterSetsLength;

    auto recorder = std::make_unique<VeVideoRecorder>(path, params);
    if (!recorder->isOpen()) {
        qWarning() << "初始化录像控制器失败" << path;
        return false;
    }
    m_path = path;
    m_recorder = std::move(recorder);
    m_recording = true;
    for (const auto& object : m_cache)
        writeLocked(*object);
    return true;
}

bool VeRecordCenter::stop() {
    QMutexLocker lock(&m_mutex);
    if (!m_recording)
        return false;
    if (m_recorder)
        m_recorder->close();
    m_recorder.reset();
    m_path.clear();
    m_recording = false;
    return true;
}

bool VeRecordCenter::isRecording() {
    QMutexLocker lock(&m_mutex);
    return m_recording;
}

QString VeRecordCenter::elapsedText() {
    QMutexLocker lock(&m_mutex);
    return m_recorder ? m_recorder->elapsedText() : QStringLiteral("00:00:00");
}

int VeRecordCenter::cachedCount() {
    QMutexLocker lock(&m_mutex);
    return int(m_cache.size());
}

QString VeRecordCenter::path() {
    QMutexLocker lock(&m_mutex);
    return m_path;
}

void VeRecordCenter::writeLocked(const TvMediaObject& object) {
    if (!m_recording || !m_recorder)
        return;
    const uint8_t* data = object.data();
    int length = object.length();
    const bool key = object.firstNalType() == 7;
    if (key) {
        // The recorder puts its own parameter sets in front of every IDR slice.
        const int idr = findNal(data, length, 5);
        if (idr < 0)
            return;
        data += idr;
        length -= idr;
    }
    VeRecordPacket packet;
    packet.data = data;
    packet.length = length;
    packet.pts = QDateTime::currentMSecsSinceEpoch() * 1000;
    packet.kind = 0;
    packet.key = key;
    m_recorder->writePacket(packet);
}
