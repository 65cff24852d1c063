#include "LiveEncoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
}

#include <cstdio>

void LiveEncoder::FrameDeleter::operator()(AVFrame* f) const {
    av_frame_free(&f);
}

void LiveEncoder::PacketDeleter::operator()(AVPacket* p) const {
    av_packet_free(&p);
}

LiveEncoder::~LiveEncoder() = default;

std::unique_ptr<LiveEncoder> LiveEncoder::create(const ClipKey& key, std::string* error) {
    auto enc = std::make_unique<LiveEncoder>();
    enc->m_key = key;
    enc->m_label = ClipEncoder::label(key);
    enc->m_ctx = ClipEncoder::open(key, error);
    if (!enc->m_ctx)
        return nullptr;
    enc->m_frame.reset(av_frame_alloc());
    enc->m_packet.reset(av_packet_alloc());
    if (!enc->m_frame || !enc->m_packet) {
        *error = "cannot allocate frame or packet";
        return nullptr;
    }
    enc->m_frame->format = AV_PIX_FMT_YUV420P;
    enc->m_frame->width = key.width;
    enc->m_frame->height = key.height;
    if (av_frame_get_buffer(enc->m_frame.get(), 0) < 0) {
        *error = "cannot allocate picture";
        return nullptr;
    }
    return enc;
}

bool LiveEncoder::encode(std::int64_t frameNo, const HeadView& head, bool key, ClipFrame* out) {
    AVFrame* frame = m_frame.get();
    if (av_frame_make_writable(frame) < 0)
        return false;
    TestPattern::draw(static_cast<int>(frameNo % (m_key.seconds * m_key.rate)), m_key.rate, m_key.width,
                      m_key.height, m_key.camera, m_label, frame->data[0], frame->linesize[0], frame->data[1],
                      frame->data[2], frame->linesize[1]);
    TestPattern::drawHead(head, m_key.width, m_key.height, frame->data[0], frame->linesize[0], frame->data[1],
                          frame->data[2], frame->linesize[1]);
    frame->pts = m_pts++;
    frame->pict_type = key ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
    if (avcodec_send_frame(m_ctx.get(), frame) < 0)
        return false;
    AVPacket* packet = m_packet.get();
    bool got = false;
    while (avcodec_receive_packet(m_ctx.get(), packet) == 0) {
        ClipFrame f = ClipEncoder::repack(packet->data, packet->size);
        av_packet_unref(packet);
        if (!f.data.empty()) {
            *out = std::move(f);
            got = true;
        }
    }
    return got;
}
