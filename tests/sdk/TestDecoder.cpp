#include "TestDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
}

#include <cstring>

TestDecoder::TestDecoder() {
    av_log_set_level(AV_LOG_QUIET); // damaged input is expected in the fault tests; errors are counted
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    m_ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
    m_frame = av_frame_alloc();
    m_packet = av_packet_alloc();
    if (m_ctx && avcodec_open2(m_ctx, codec, nullptr) < 0)
        avcodec_free_context(&m_ctx);
}

TestDecoder::~TestDecoder() {
    av_packet_free(&m_packet);
    av_frame_free(&m_frame);
    avcodec_free_context(&m_ctx);
}

void TestDecoder::decode(const QByteArray& au) {
    if (!m_ctx || au.isEmpty() || av_new_packet(m_packet, au.size()) < 0) { // padding zeroed by av_new_packet
        ++errors;
        return;
    }
    std::memcpy(m_packet->data, au.constData(), static_cast<size_t>(au.size()));
    int rc = avcodec_send_packet(m_ctx, m_packet);
    av_packet_unref(m_packet);
    if (rc < 0) {
        ++errors;
        return;
    }
    while ((rc = avcodec_receive_frame(m_ctx, m_frame)) >= 0) {
        ++pictures;
        width = m_frame->width;
        height = m_frame->height;
        av_frame_unref(m_frame);
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF)
        ++errors;
}
