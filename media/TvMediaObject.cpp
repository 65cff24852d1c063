#include "TvMediaObject.h"

#include "TvNalUnits.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <QDebug>

#include <atomic>
#include <cstring>
#include <new>

namespace {
std::atomic<int> g_liveObjects{0};
}

TvMediaObject::TvMediaObject(bool isVideo, const uint8_t* source, int length, int width, int height,
                             QObject* parent)
    : QObject(parent), m_isVideo(isVideo) {
    ++g_liveObjects;
    if (isVideo) {
        if (width == 0 || height == 0) {
            qWarning() << "视频数据宽或高为0，为啥？";
            m_invalid = true;
            return;
        }
        if (length < 1) {
            qWarning() << "数据长度为0，为啥？";
            m_invalid = true;
            return;
        }
        m_width = width;
        m_height = height;
    } else {
        if (length < 1) {
            qWarning() << "数据长度为0，为啥？";
            m_invalid = true;
            return;
        }
        m_sampleRate = 8000;
    }
    if (!source) {
        m_invalid = true;
        return;
    }
    m_data.reset(new (std::nothrow) uint8_t[size_t(length) + AV_INPUT_BUFFER_PADDING_SIZE]);
    if (!m_data) {
        qWarning("%s:(%d):malloc media data failed ......", "TvMediaObject", 127);
        m_invalid = true;
        return;
    }
    std::memcpy(m_data.get(), source, size_t(length));
    std::memset(m_data.get() + length, 0, AV_INPUT_BUFFER_PADDING_SIZE);
    m_length = length;
    if (isVideo) {
        const TvNalUnits::Summary summary = TvNalUnits::summarize(m_data.get(), length);
        m_keyFrame = summary.idr || (summary.sps && !summary.slice);
        m_parameterSetsOnly = (summary.sps || summary.pps) && !summary.slice;
    }
}

TvMediaObject::~TvMediaObject() {
    --g_liveObjects;
}

std::unique_ptr<TvMediaObject> TvMediaObject::clone() const {
    if (m_invalid)
        return nullptr;
    auto copy = std::make_unique<TvMediaObject>(true, m_data.get(), m_length, m_width, m_height);
    copy->m_sampleRate = m_sampleRate;
    if (copy->m_invalid)
        return nullptr;
    return copy;
}

int TvMediaObject::firstNalType() const {
    return firstNalType(m_data.get(), m_length);
}

int TvMediaObject::firstNalType(const uint8_t* data, int length) {
    return TvNalUnits::firstType(data, length);
}

int TvMediaObject::liveCount() {
    return g_liveObjects.load();
}
