#include "VeVideoRecorder.h"

#include "TvFFmpeg.h"
#include "TvMediaObject.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <QDateTime>
#include <QDebug>

#include <cstring>

void VeVideoRecorder::ContextDeleter::operator()(AVFormatContext* p) const {
    TvFFmpeg::OutputContextDeleter()(p);
}

void VeVideoRecorder::PacketDeleter::operator()(AVPacket* p) const {
    av_packet_free(&p);
}

VeVideoRecorder::VeVideoRecorder(const QString& path, const VeRecordParams& params, QObject* parent)
    : QObject(parent), m_path(path) {
    m_frameDuration = 1000000 / (params.frameRateDen > 0 ? params.frameRateDen : 15);
    qWarning() << "frame rate is " << m_frameDuration;
    qWarning() << "output path: " << path;

    const QByteArray pathBytes = path.toUtf8();
    const QByteArray fileName = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).toUtf8();
    AVFormatContext* raw = nullptr;
    const AVOutputFormat* format = av_guess_format(nullptr, fileName.constData(), nullptr);
    if (!format || avformat_alloc_output_context2(&raw, format, nullptr, pathBytes.constData()) < 0 || !raw) {
        qWarning() << "alloc output context error......";
        return;
    }
    std::unique_ptr<AVFormatContext, ContextDeleter> context(raw);

    AVStream* stream = avformat_new_stream(context.get(), nullptr);
    if (!stream) {
        qWarning() << "error: video codec context allocate failed......";
        return;
    }
    AVCodecParameters* par = stream->codecpar;
    par->codec_type = AVMEDIA_TYPE_VIDEO;
    par->codec_id = AV_CODEC_ID_H264;
    par->width = params.width;
    par->height = params.height;
    par->format = AV_PIX_FMT_YUV420P;
    par->profile = FF_PROFILE_H264_CONSTRAINED_BASELINE;
    par->codec_tag = 0;
    if (params.parameterSets && params.parameterSetsLength > 0) {
        par->extradata = static_cast<uint8_t*>(
            av_mallocz(size_t(params.parameterSetsLength) + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!par->extradata) {
            qWarning() << "录像:设置视频参数失败......";
            return;
        }
        std::memcpy(par->extradata, params.parameterSets, size_t(params.parameterSetsLength));
        par->extradata_size = params.parameterSetsLength;
    }
    stream->time_base = AVRational{1, 50};
    stream->avg_frame_rate =
        AVRational{params.frameRateDen, params.frameRateNum > 0 ? params.frameRateNum : 1};
    stream->r_frame_rate = stream->avg_frame_rate;

    av_dump_format(context.get(), 0, pathBytes.constData(), 1);
    if (!(context->oformat->flags & AVFMT_NOFILE)) {
        const int ret = avio_open(&context->pb, pathBytes.constData(), AVIO_FLAG_WRITE);
        if (ret < 0) {
            char err[128];
            qWarning() << "create I/O context error......" << TvFFmpeg::errorText(ret, err, sizeof err);
            return;
        }
    }
    // Fragment at every key frame so that the file never depends on its trailer, and push every
    // fragment to the file as soon as it is complete.
    context->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "frag_keyframe+empty_moov+default_base_moof", 0);
    const int ret = avformat_write_header(context.get(), &options);
    av_dict_free(&options);
    if (ret < 0) {
        char err[128];
        qWarning() << "write header error......" << TvFFmpeg::errorText(ret, err, sizeof err);
        return; // the deleter closes the file and frees the context
    }
    m_packet.reset(av_packet_alloc());
    if (!m_packet) {
        qWarning() << "av_packet_alloc failed......";
        return;
    }
    m_stream = stream;
    m_context = std::move(context);
}

VeVideoRecorder::~VeVideoRecorder() {
    close();
}

int VeVideoRecorder::writePacket(const VeRecordPacket& packet) {
    if (!m_context || !packet.data || packet.length < 1)
        return 0;
    int64_t pts = packet.pts;
    if (m_hasFirstPts)
        pts = m_firstPts + m_frameDuration * m_packetCount;
    if (m_waitKey) {
        if (!packet.key) {
            qWarning() << "wait I frame.....";
            return 0;
        }
        m_firstPts = pts;
        m_hasFirstPts = true;
        qWarning() << "init first media pts is " << pts;
        m_waitKey = false;
    }
    m_lastWriteMs = QDateTime::currentMSecsSinceEpoch();

    AVPacket* pkt = m_packet.get();
    int ret = 0;
    if (TvMediaObject::firstNalType(packet.data, packet.length) == 5) {
        // Key frames carry the parameter sets in front, so every group decodes on its own.
        const int extra = m_stream->codecpar->extradata_size;
        ret = av_new_packet(pkt, extra + packet.length);
        if (ret < 0) {
            qWarning() << "Error muxing packet"
                       << "(no memory)";
            return 0;
        }
        if (extra > 0)
            std::memcpy(pkt->data, m_stream->codecpar->extradata, size_t(extra));
        std::memcpy(pkt->data + extra, packet.data, size_t(packet.length));
        pkt->flags |= AV_PKT_FLAG_KEY;
    } else {
        // The muxer copies what it keeps: other packets are handed over in place.
        pkt->data = const_cast<uint8_t*>(packet.data);
        pkt->size = packet.length;
    }
    pkt->stream_index = 0;

    const int64_t offset = pts - m_firstPts;
    const int64_t duration = m_packetCount == 0 ? 0 : offset - m_lastOffset;
    pkt->pos = -1;
    m_lastOffset = offset;
    ++m_packetCount;
    const AVRational source{1, 1000000};
    const auto rounding = static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
    pkt->pts = pkt->dts = av_rescale_q_rnd(offset, source, m_stream->time_base, rounding);
    pkt->duration = av_rescale_q_rnd(duration, source, m_stream->time_base, rounding);

    ret = av_write_frame(m_context.get(), pkt);
    if (ret < 0) {
        char err[128];
        qWarning() << "Error muxing packet" << TvFFmpeg::errorText(ret, err, sizeof err);
    }
    m_written = true;
    av_packet_unref(pkt);
    return 1;
}

void VeVideoRecorder::close() {
    if (!m_context)
        return;
    qWarning() << "结束录像!";
    m_packet.reset();
    int ret = av_write_trailer(m_context.get());
    if (ret < 0) {
        char err[128];
        qWarning() << "write trailer error......" << TvFFmpeg::errorText(ret, err, sizeof err);
    }
    if (m_context->pb && !(m_context->oformat->flags & AVFMT_NOFILE)) {
        ret = avio_closep(&m_context->pb);
        if (ret >= 0)
            qWarning() << "关闭文件!";
    }
    m_context.reset();
    m_stream = nullptr;
}

QString VeVideoRecorder::elapsedText() {
    if (m_lastWriteMs > 0 && QDateTime::currentMSecsSinceEpoch() - m_lastWriteMs <= 1000)
        ++m_elapsedSeconds;
    return formatElapsed(m_elapsedSeconds);
}

QString VeVideoRecorder::formatElapsed(int seconds) {
    return QString::asprintf("%.2d:%.2d:%.2d", seconds / 3600, (seconds % 3600) / 60, seconds % 60);
}
