#include "VeVideoRecorder.h"

#include "TvFFmpeg.h"
#include "TvNalUnits.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <QDebug>

#include <algorithm>
#include <cstring>

namespace {

const AVRational kMicroseconds{1, 1000000};
// The usual clock of video tracks: fine enough for arrival times a millisecond apart.
const AVRational kStreamTimeBase{1, 90000};

// One access unit through the parser, which keeps the stream's parameter sets and order counts. Only
// what comes in front of the first slice and the slice's header are read.
void parse(AVCodecParserContext* parser, AVCodecContext* context, const uint8_t* data, int length) {
    const int slice =
        std::max(0, TvNalUnits::find(data, length, 5)) + std::max(0, TvNalUnits::find(data, length, 1));
    const int used = std::min(length, slice + 256);
    std::vector<uint8_t> padded(size_t(used) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    std::memcpy(padded.data(), data, size_t(used));
    uint8_t* out = nullptr;
    int outSize = 0;
    av_parser_parse2(parser, context, &out, &outSize, padded.data(), used, AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
}

} // namespace

void VeVideoRecorder::ContextDeleter::operator()(AVFormatContext* p) const {
    TvFFmpeg::OutputContextDeleter()(p);
}

void VeVideoRecorder::PacketDeleter::operator()(AVPacket* p) const {
    av_packet_free(&p);
}

void VeVideoRecorder::ParserDeleter::operator()(AVCodecParserContext* p) const {
    av_parser_close(p);
}

void VeVideoRecorder::CodecDeleter::operator()(AVCodecContext* p) const {
    avcodec_free_context(&p);
}

void VeVideoRecorder::probe(const uint8_t* data, int length, int nominalWidth, int nominalHeight,
                            VeRecordParams& params) {
    params.width = nominalWidth;
    params.height = nominalHeight;
    std::unique_ptr<AVCodecParserContext, ParserDeleter> parser(av_parser_init(AV_CODEC_ID_H264));
    std::unique_ptr<AVCodecContext, CodecDeleter> context(avcodec_alloc_context3(nullptr));
    if (!parser || !context || !data || length < 1)
        return;
    parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    // H.264 counts time in fields: two ticks a frame, as its decoder declares.
    context->ticks_per_frame = 2;
    parse(parser.get(), context.get(), data, length);
    if (parser->width > 0 && parser->height > 0) {
        params.width = parser->width;
        params.height = parser->height;
    }
    if (context->profile != FF_PROFILE_UNKNOWN) {
        params.profile = context->profile;
        params.level = context->level;
    }
    // The SPS's timing, when it has one: the rate of frames that come without arrival times.
    if (context->framerate.num > 0 && context->framerate.den > 0 && av_q2d(context->framerate) >= 1.0 &&
        av_q2d(context->framerate) <= 240.0) {
        params.frameRateNum = context->framerate.den;
        params.frameRateDen = context->framerate.num;
    }
}

VeVideoRecorder::VeVideoRecorder(const QString& path, const VeRecordParams& params, QObject* parent)
    : QObject(parent), m_path(path) {
    qWarning() << "frame rate is " << 1000000 / (params.frameRateDen > 0 ? params.frameRateDen : 15);
    if (params.frameRateNum > 0 && params.frameRateDen > 0)
        m_timer.setFrameUs(int64_t(1000000) * params.frameRateNum / params.frameRateDen);
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
    par->profile = params.profile >= 0 ? params.profile : FF_PROFILE_H264_CONSTRAINED_BASELINE;
    par->level = params.level;
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
    stream->time_base = kStreamTimeBase;

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
    m_parser.reset(av_parser_init(AV_CODEC_ID_H264));
    m_parserContext.reset(avcodec_alloc_context3(nullptr));
    if (!m_packet || !m_parser || !m_parserContext) {
        qWarning() << "av_packet_alloc failed......";
        return;
    }
    m_parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
    m_stream = stream;
    m_context = std::move(context);
}

VeVideoRecorder::~VeVideoRecorder() {
    close();
}

int VeVideoRecorder::pictureOrder(const uint8_t* data, int length) {
    m_parser->output_picture_number = -1;
    parse(m_parser.get(), m_parserContext.get(), data, length);
    return m_parser->output_picture_number;
}

int VeVideoRecorder::writePacket(const VeRecordPacket& packet) {
    if (!m_context || m_failed || !packet.data || packet.length < 1)
        return 0;
    if (m_waitKey) {
        if (!packet.key) {
            qWarning() << "wait I frame.....";
            return 0;
        }
        qWarning() << "init first media pts is " << packet.pts;
        m_waitKey = false;
    }
    const bool idr = TvNalUnits::find(packet.data, packet.length, 5) >= 0;
    Held held;
    held.key = packet.key || idr;
    if (TvNalUnits::firstType(packet.data, packet.length) == 5) {
        // Key frames carry the parameter sets in front, so every group decodes on its own.
        const int extra = m_stream->codecpar->extradata_size;
        held.data.assign(m_stream->codecpar->extradata, m_stream->codecpar->extradata + extra);
    }
    held.data.insert(held.data.end(), packet.data, packet.data + packet.length);
    m_timer.add(packet.pts, pictureOrder(held.data.data(), int(held.data.size())), idr);
    m_held.push_back(std::move(held));
    return writeReady() ? 1 : -1;
}

bool VeVideoRecorder::writeReady() {
    for (int ready = m_timer.ready(); ready > 0 && !m_failed; --ready) {
        const VeFrameTimer::Stamp stamp = m_timer.take();
        Held held = std::move(m_held.front());
        m_held.pop_front();
        AVPacket* pkt = m_packet.get();
        // The muxer copies what it keeps: the payload is handed over in place.
        pkt->data = held.data.data();
        pkt->size = int(held.data.size());
        pkt->flags = held.key ? AV_PKT_FLAG_KEY : 0;
        pkt->stream_index = 0;
        pkt->pos = -1;
        const auto rounding = static_cast<AVRounding>(AV_ROUND_NEAR_INF | AV_ROUND_PASS_MINMAX);
        pkt->pts = av_rescale_q_rnd(stamp.pts, kMicroseconds, m_stream->time_base, rounding);
        pkt->dts = av_rescale_q_rnd(stamp.dts, kMicroseconds, m_stream->time_base, rounding);
        pkt->duration = av_rescale_q_rnd(stamp.duration, kMicroseconds, m_stream->time_base, rounding);
        const int ret = av_write_frame(m_context.get(), pkt);
        pkt->data = nullptr;
        pkt->size = 0;
        av_packet_unref(pkt);
        if (ret < 0) {
            char err[128];
            qWarning() << "Error muxing packet" << TvFFmpeg::errorText(ret, err, sizeof err);
            m_failed = true;
            m_held.clear();
            return false;
        }
        ++m_packetCount;
        m_written = true;
    }
    return !m_failed;
}

bool VeVideoRecorder::close() {
    if (!m_context)
        return false;
    qWarning() << "结束录像!";
    m_timer.finish();
    writeReady();
    m_packet.reset();
    bool ok = !m_failed && m_written;
    int ret = av_write_trailer(m_context.get());
    if (ret < 0) {
        char err[128];
        qWarning() << "write trailer error......" << TvFFmpeg::errorText(ret, err, sizeof err);
        ok = false;
    }
    if (m_context->pb && !(m_context->oformat->flags & AVFMT_NOFILE)) {
        ret = avio_closep(&m_context->pb);
        if (ret >= 0) {
            qWarning() << "关闭文件!";
        } else {
            char err[128];
            qWarning() << "close file error......" << TvFFmpeg::errorText(ret, err, sizeof err);
            ok = false;
        }
    }
    m_context.reset();
    m_stream = nullptr;
    return ok;
}

QString VeVideoRecorder::formatElapsed(int seconds) {
    return QString::asprintf("%.2d:%.2d:%.2d", seconds / 3600, (seconds % 3600) / 60, seconds % 60);
}
