// Prints the media pipeline's figures (not a test):
//   1. decode-loop throughput against libavcodec decoding the same clip directly (640x360, 1920x1080),
//      on the bench's own clip and on clips at camera bit rates;
//   2. stream-road latency, 16 cells x 25 fps of 640x360, from the SDK callback to setImage;
//   3. resident memory per playing cell and its growth over the replay;
//   4. the recorder's writer thread against libavformat writing the same packets directly, and how long
//      the record centre holds the SDK thread per packet;
//   5. overload: 16 main streams on decode threads held to one core; the live edge keeps the lag
//      under a second and the memory flat;
//   damaged pictures (concealed decoding errors) are counted per road.
// Usage: bench_media [replay seconds, default 20] [overload seconds, default 15]
//                    [throughput | road | overload | muxing]
#include "BenchProcess.h"
#include "BenchStats.h"
#include "MediaFixtures.h"
#include "TvDecodeCell.h"
#include "TvDecodeThread.h"
#include "TvMediaObject.h"
#include "TvMutexLocker.h"
#include "TvNalUnits.h"
#include "TvPacketSink.h"
#include "TvPicture.h"
#include "TvStreamEntry.h"
#include "VeOpenGLWidget.h"
#include "VeRecordCenter.h"
#include "VeRecordWriter.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <deque>
#include <map>
#include <mutex>
#include <sched.h>
#include <string>
#include <thread>
#include <unistd.h>

using MediaFixtures::Bytes;
using Clock = std::chrono::steady_clock;

namespace {

long residentBytes() {
    return BenchProcess::residentKiB() * 1024;
}

// CPU seconds of the calling thread: the cost of decoding, whatever else the machine runs.
double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + t.tv_nsec / 1e9;
}

// One decoding run: pictures per wall second and per CPU second of the decoding thread.
struct DecodeRate {
    double wallFps = 0;
    double cpuFps = 0;
};

DecodeRate rawDecode(const std::vector<Bytes>& clip) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    std::unique_ptr<AVCodecContext, MediaFixtures::CtxFree> ctx(avcodec_alloc_context3(codec));
    avcodec_open2(ctx.get(), codec, nullptr);
    std::unique_ptr<AVFrame, MediaFixtures::FrameFree> frame(av_frame_alloc());
    std::unique_ptr<AVPacket, MediaFixtures::PacketFree> pkt(av_packet_alloc());
    std::vector<Bytes> padded;
    for (const Bytes& u : clip) {
        padded.push_back(u);
        padded.back().resize(u.size() + AV_INPUT_BUFFER_PADDING_SIZE, 0);
    }
    int frames = 0;
    const auto start = Clock::now();
    const double cpuStart = threadCpuSeconds();
    for (size_t i = 0; i < clip.size(); ++i) {
        pkt->data = padded[i].data();
        pkt->size = int(clip[i].size());
        avcodec_send_packet(ctx.get(), pkt.get());
        while (avcodec_receive_frame(ctx.get(), frame.get()) >= 0) {
            ++frames;
            av_frame_unref(frame.get());
        }
    }
    const double cpu = threadCpuSeconds() - cpuStart;
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    return {frames / s, frames / cpu};
}

// A cell as the play widget is: it keeps the decoder's newest picture by reference.
class BenchCell : public TvDecodeCell {
public:
    VeOpenGLWidget renderer;
    QMutex renderMutex;
    std::atomic<int> pictures{0};
    QSemaphore finished;
    QSemaphore pictureSem;
    int releaseBatch = 1; // pictures a release of pictureSem stands for
    int releaseAt = 0;    // the last picture expected: its batch is released even when short
    // Entry times of the queued video objects, oldest first (every unit of the clips gives one picture).
    std::mutex timesMutex;
    std::deque<Clock::time_point> entryTimes;
    std::vector<double> latenciesMs;
    VeRecordCenter recordCenter;

    // The core every decode thread is held to (-1: any); the first picture pins its thread.
    int pinnedCore = -1;

    // As the play cell hands a picture to its renderer: by reference, nothing copied.
    void updatePicture(const AVFrame* picture) override {
        {
            TvMutexLocker lock(&renderMutex);
            renderer.setFrame(picture);
        }
        pictureShown();
    }
    void updateImage(const uint8_t* yuv, int width, int height) override {
        {
            TvMutexLocker lock(&renderMutex);
            renderer.setImage(yuv, width, height);
        }
        pictureShown();
    }
    void pictureShown() {
        static thread_local bool pinned = false;
        if (pinnedCore >= 0 && !pinned) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(pinnedCore, &set);
            pinned = sched_setaffinity(0, sizeof set, &set) == 0;
        }
        const auto now = Clock::now();
        {
            std::lock_guard<std::mutex> lock(timesMutex);
            if (!entryTimes.empty()) {
                latenciesMs.push_back(
                    std::chrono::duration<double, std::milli>(now - entryTimes.front()).count());
                entryTimes.pop_front();
            }
        }
        // Released in batches: a wake of the feeding thread per picture would cost this thread a system
        // call (and the virtual machine an interrupt) that the live view never pays.
        const int shown = ++pictures;
        if (shown % releaseBatch == 0 || shown == releaseAt)
            pictureSem.release(shown % releaseBatch == 0 ? releaseBatch : shown % releaseBatch);
    }
    void decodeLoopFinished() override {
        loopCpuSeconds = threadCpuSeconds();
        finished.release();
    }
    double loopCpuSeconds = 0; // the decode thread's CPU time when its loop ended

    // pushMediaObject: record centre first, then the queue.
    void pushMediaObject(std::unique_ptr<TvMediaObject> object) {
        recordCenter.push(object.get());
        enqueue(std::move(object));
    }
    std::unique_ptr<TvDecodeThread> start() {
        {
            TvMutexLocker lock(&queueMutex());
            setRunning(true);
            setPlayState(2);
        }
        auto thread = std::make_unique<TvDecodeThread>(this, nullptr);
        thread->setEndPause(0);
        thread->start(QThread::TimeCriticalPriority);
        return thread;
    }
    void stop(std::unique_ptr<TvDecodeThread>& thread) {
        stopDecoding();
        finished.acquire();
        thread.reset();
    }
};

// The loop fed as a camera feeds it, never past the queue's bound: at most kInFlight units ahead of the
// pictures shown, so the loop never waits for input unless this feeding thread is kept off the CPU.
DecodeRate loopDecode(const std::vector<Bytes>& clip) {
    constexpr int kInFlight = 10;
    constexpr int kRefill = 6;
    static_assert(kInFlight < TvDecodeCell::kMaxQueuedPictures, "the queue would skip");
    BenchCell cell;
    cell.releaseBatch = kRefill;
    cell.releaseAt = int(clip.size());
    {
        TvMutexLocker lock(&cell.queueMutex());
        cell.setRunning(true);
        cell.setPlayState(2);
    }
    std::vector<std::unique_ptr<TvMediaObject>> objects;
    for (const Bytes& u : clip)
        objects.push_back(std::make_unique<TvMediaObject>(true, u.data(), int(u.size()), 1920, 1080));
    auto thread = std::make_unique<TvDecodeThread>(&cell, nullptr);
    thread->setEndPause(0);
    const auto start = Clock::now();
    thread->start(QThread::TimeCriticalPriority);
    int taken = 0;
    for (size_t i = 0; i < objects.size(); ++i) {
        if (i >= size_t(kInFlight) && (i - kInFlight) % kRefill == 0) {
            cell.pictureSem.acquire(kRefill);
            taken += kRefill;
        }
        cell.enqueue(std::move(objects[i]));
    }
    cell.pictureSem.acquire(int(clip.size()) - taken);
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    if (cell.skippedPictures() > 0)
        std::printf("   (the queue skipped %d pictures: the figure is not comparable)\n",
                    cell.skippedPictures());
    cell.stop(thread);
    QCoreApplication::removePostedEvents(&cell.renderer);
    return {clip.size() / s, clip.size() / cell.loopCpuSeconds};
}

double clipKbps(const std::vector<Bytes>& clip, int fps) {
    size_t bytes = 0;
    for (const Bytes& u : clip)
        bytes += u.size();
    return clip.empty() ? 0 : bytes * 8.0 * fps / clip.size() / 1000.0;
}

void throughput() {
    std::printf("== decode-loop throughput against libavcodec (same clip, 11 runs in turn, median ratio)\n"
                "   cpu: pictures per CPU second of the decoding thread; wall: per second of the run\n");
    // The bench's own clip at the encoder's free rate, then camera rates: sub stream about 150 kbit/s,
    // main stream 1 to 4 Mbit/s.
    const struct {
        int width, height, frames, bitRate;
    } clips[] = {{640, 360, 750, 0},
                 {1920, 1080, 150, 0},
                 {640, 360, 750, 150000},
                 {1920, 1080, 250, 1000000},
                 {1920, 1080, 250, 4000000}};
    constexpr int kRuns = 11;
    for (const auto& c : clips) {
        const auto once = MediaFixtures::encodeH264(c.width, c.height, c.frames, 25, 0, 0, c.bitRate);
        // Repeated (each copy starts with a key frame) until a run lasts about a second: a run of a few
        // milliseconds measures the scheduler, not the loop. Many short pairs rather than a few long
        // ones: this virtual machine's speed drifts by a third from one second to the next.
        const double probe = std::max(rawDecode(once).wallFps, rawDecode(once).wallFps);
        const int copies = std::max(1, int(probe / once.size() + 0.5));
        std::vector<Bytes> clip;
        for (int i = 0; i < copies; ++i)
            clip.insert(clip.end(), once.begin(), once.end());
        std::vector<double> cpuRatios, wallRatios, rawCpu, loopCpu;
        for (int run = 0; run < kRuns; ++run) {
            const DecodeRate raw = rawDecode(clip);
            const DecodeRate loop = loopDecode(clip);
            cpuRatios.push_back(loop.cpuFps / raw.cpuFps);
            wallRatios.push_back(loop.wallFps / raw.wallFps);
            rawCpu.push_back(raw.cpuFps);
            loopCpu.push_back(loop.cpuFps);
        }
        const BenchStats cpu = BenchStats::of(cpuRatios);
        std::printf("%4dx%-4d %6.0f kbit/s %6zu pictures  libavcodec %7.1f fps  loop %7.1f fps  "
                    "cpu ratio %.3f (%.3f-%.3f)  wall ratio %.3f\n",
                    c.width, c.height, clipKbps(once, 25), clip.size(), BenchStats::of(rawCpu).median,
                    BenchStats::of(loopCpu).median, cpu.median, cpu.best, cpu.worst,
                    BenchStats::of(wallRatios).median);
    }
}

// The main window's stream entry in miniature: call identity -> cell.
class BenchSink : public TvPacketSink {
public:
    std::map<std::string, BenchCell*> cells;
    QMutex mutex;
    void deliverPacket(const char* callId, std::unique_ptr<TvMediaObject> object) override {
        TvMutexLocker lock(&mutex);
        if (!callId)
            return;
        auto it = cells.find(callId);
        if (it == cells.end())
            return;
        it->second->pushMediaObject(std::move(object));
    }
};

void road(int cells, int w, int h, int seconds, bool latencyFigures) {
    const int fps = 25;
    const auto clip = MediaFixtures::encodeH264(w, h, fps * 10, 25);
    const long before = residentBytes();
    BenchSink sink;
    std::vector<std::unique_ptr<BenchCell>> cellList;
    std::vector<std::unique_ptr<TvDecodeThread>> threads;
    for (int i = 0; i < cells; ++i) {
        cellList.push_back(std::make_unique<BenchCell>());
        sink.cells["call-" + std::to_string(i)] = cellList.back().get();
        threads.push_back(cellList.back()->start());
    }
    // One SDK thread per call, each delivering 25 access units a second, the clip over and over.
    std::atomic<bool> stop{false};
    std::vector<std::unique_ptr<QThread>> feeders;
    std::vector<long> rssSamples;
    for (int i = 0; i < cells; ++i) {
        feeders.emplace_back(QThread::create([&, i]() {
            const std::string id = "call-" + std::to_string(i);
            BenchCell* cell = cellList[size_t(i)].get();
            auto next = Clock::now() + std::chrono::milliseconds(i * 40 / cells);
            for (long k = 0; !stop; ++k) {
                std::this_thread::sleep_until(next);
                next += std::chrono::milliseconds(1000 / fps);
                const Bytes& unit = clip[size_t(k) % clip.size()];
                {
                    std::lock_guard<std::mutex> lock(cell->timesMutex);
                    cell->entryTimes.push_back(Clock::now());
                }
                TvStreamEntry::videoPacket(sink, id.c_str(), unit.data(), int(unit.size()));
            }
        }));
        feeders.back()->start();
    }
    for (int s = 0; s < seconds; ++s) {
        QThread::sleep(1);
        QCoreApplication::processEvents();
        rssSamples.push_back(residentBytes());
    }
    stop = true;
    for (auto& f : feeders)
        f->wait();
    std::vector<double> all;
    long pictures = 0, damaged = 0;
    for (auto& c : cellList) {
        damaged += c->damagedPictures();
        std::lock_guard<std::mutex> lock(c->timesMutex);
        // The first second holds the start-up (decoder creation): leave it out.
        const size_t skip = std::min(c->latenciesMs.size(), size_t(fps));
        all.insert(all.end(), c->latenciesMs.begin() + long(skip), c->latenciesMs.end());
        pictures += c->pictures;
    }
    const long playing = rssSamples.size() > 2 ? rssSamples[2] : rssSamples.back();
    std::printf("%2d cells x %d fps %dx%d for %d s: %ld pictures (%ld damaged), resident per cell %.1f MiB, "
                "growth after second 3: %+.1f MiB\n",
                cells, fps, w, h, seconds, pictures, damaged, (playing - before) / double(cells) / 1048576.0,
                (rssSamples.back() - playing) / 1048576.0);
    if (latencyFigures) {
        const BenchStats s = BenchStats::of(all);
        std::printf(
            "   callback -> setImage latency: median %.2f ms, p99 %.2f ms, max %.2f ms (%zu samples)\n",
            s.median, s.p99, s.worst, all.size());
    }
    for (size_t i = 0; i < cellList.size(); ++i)
        cellList[i]->stop(threads[i]);
    QCoreApplication::processEvents();
}

// More than the machine decodes: 16 main streams (adaptive streams off) at 25 fps and 2 Mbit/s with every
// decode thread held to one core. The live edge must hold: the lag (pictures waiting in the queue or being
// decoded, 40 ms each) stays under a second, and the resident memory stays flat.
void overload(int seconds) {
    const int cells = 16, fps = 25;
    std::printf("== overload: %d cells x %d fps 1920x1080 at 2 Mbit/s, decode threads on one core, %d s\n",
                cells, fps, seconds);
    const auto clip = MediaFixtures::encodeH264(1920, 1080, fps * 4, 25, 0, 0, 2000000);
    BenchSink sink;
    std::vector<std::unique_ptr<BenchCell>> cellList;
    std::vector<std::unique_ptr<TvDecodeThread>> threads;
    std::vector<std::atomic<long>> pushed(cells);
    for (int i = 0; i < cells; ++i) {
        cellList.push_back(std::make_unique<BenchCell>());
        cellList.back()->pinnedCore = 0;
        sink.cells["call-" + std::to_string(i)] = cellList.back().get();
        threads.push_back(cellList.back()->start());
    }
    std::atomic<bool> stop{false};
    std::vector<std::unique_ptr<QThread>> feeders;
    for (int i = 0; i < cells; ++i) {
        feeders.emplace_back(QThread::create([&, i]() {
            const std::string id = "call-" + std::to_string(i);
            auto next = Clock::now() + std::chrono::milliseconds(i * 40 / cells);
            for (long k = 0; !stop; ++k) {
                std::this_thread::sleep_until(next);
                next += std::chrono::milliseconds(1000 / fps);
                const Bytes& unit = clip[size_t(k) % clip.size()];
                ++pushed[size_t(i)];
                TvStreamEntry::videoPacket(sink, id.c_str(), unit.data(), int(unit.size()));
            }
        }));
        feeders.back()->start();
    }
    const auto lagMs = [&]() {
        long worst = 0;
        for (int i = 0; i < cells; ++i) {
            const BenchCell& c = *cellList[size_t(i)];
            worst = std::max(worst, pushed[size_t(i)] - c.pictures - c.skippedPictures());
        }
        return worst * 1000.0 / fps;
    };
    double lagAt10 = 0, worstAfter10 = 0;
    long rssAt10 = 0;
    const int settle = std::min(10, seconds);
    for (int s = 1; s <= seconds; ++s) {
        QThread::sleep(1);
        QCoreApplication::processEvents();
        const double lag = lagMs();
        if (s == settle) {
            lagAt10 = lag;
            rssAt10 = residentBytes();
        } else if (s > settle) {
            worstAfter10 = std::max(worstAfter10, lag);
        }
    }
    const double lagAtEnd = lagMs();
    const long rssAtEnd = residentBytes();
    stop = true;
    for (auto& f : feeders)
        f->wait();
    long pictures = 0, skipped = 0, damaged = 0, sent = 0;
    for (int i = 0; i < cells; ++i) {
        pictures += cellList[size_t(i)]->pictures;
        skipped += cellList[size_t(i)]->skippedPictures();
        damaged += cellList[size_t(i)]->damagedPictures();
        sent += pushed[size_t(i)];
    }
    std::printf("   %ld units sent, %ld pictures shown (%.1f per cell a second), %ld skipped, %ld damaged\n",
                sent, pictures, pictures / double(cells) / seconds, skipped, damaged);
    std::printf("   worst cell's lag: %.0f ms after %d s, %.0f ms at the end (worst in between %.0f ms)\n",
                lagAt10, settle, lagAtEnd, worstAfter10);
    std::printf("   resident memory: %.1f MiB after %d s, %.1f MiB at the end (%+.1f MiB)\n",
                rssAt10 / 1048576.0, settle, rssAtEnd / 1048576.0, (rssAtEnd - rssAt10) / 1048576.0);
    for (size_t i = 0; i < cellList.size(); ++i)
        cellList[i]->stop(threads[i]);
    QCoreApplication::processEvents();
}

// libavformat writing the packets itself, with the recorder's muxer options.
double directMux(const std::vector<Bytes>& clip, const QString& path, const char* movflags) {
    const auto start = Clock::now();
    AVFormatContext* fmt = nullptr;
    avformat_alloc_output_context2(&fmt, nullptr, nullptr, path.toUtf8().constData());
    AVStream* st = avformat_new_stream(fmt, nullptr);
    st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
    st->codecpar->codec_id = AV_CODEC_ID_H264;
    st->codecpar->width = 1920;
    st->codecpar->height = 1080;
    const int idr = TvNalUnits::find(clip[0].data(), int(clip[0].size()), 5);
    st->codecpar->extradata = static_cast<uint8_t*>(av_mallocz(size_t(idr) + AV_INPUT_BUFFER_PADDING_SIZE));
    std::memcpy(st->codecpar->extradata, clip[0].data(), size_t(idr));
    st->codecpar->extradata_size = idr;
    st->time_base = AVRational{1, 50};
    avio_open(&fmt->pb, path.toUtf8().constData(), AVIO_FLAG_WRITE);
    AVDictionary* opts = nullptr;
    if (movflags) {
        av_dict_set(&opts, "movflags", movflags, 0);
        fmt->flags |= AVFMT_FLAG_FLUSH_PACKETS;
    }
    if (avformat_write_header(fmt, &opts) < 0)
        std::printf("direct muxer: header failed\n");
    av_dict_free(&opts);
    AVPacket* pkt = av_packet_alloc();
    for (size_t i = 0; i < clip.size(); ++i) {
        av_new_packet(pkt, int(clip[i].size()));
        std::memcpy(pkt->data, clip[i].data(), clip[i].size());
        if (MediaFixtures::nalType(clip[i]) == 7)
            pkt->flags |= AV_PKT_FLAG_KEY;
        pkt->pts = pkt->dts = av_rescale_q(int64_t(i) * 66666, AVRational{1, 1000000}, st->time_base);
        pkt->duration = av_rescale_q(66666, AVRational{1, 1000000}, st->time_base);
        av_write_frame(fmt, pkt);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    av_write_trailer(fmt);
    avio_closep(&fmt->pb);
    avformat_free_context(fmt);
    return clip.size() / std::chrono::duration<double>(Clock::now() - start).count();
}

// The recorder's writer thread with room for the whole clip: packets a second until the file is closed.
// Then the record centre as the SDK thread drives it, at full speed: the longest a push held the thread
// (the bounded queue drops groups rather than wait for the disk).
double recorderMux(const std::vector<Bytes>& clip, const QString& path, std::vector<double>& pushUs) {
    std::vector<std::shared_ptr<TvMediaObject>> objects;
    for (const Bytes& u : clip)
        objects.push_back(std::make_shared<TvMediaObject>(true, u.data(), int(u.size()), 1920, 1080));
    const auto start = Clock::now();
    VeRecordWriter::Limits room;
    room.maxBytes = int64_t(1) << 40;
    room.maxPackets = int(clip.size());
    auto writer = VeRecordWriter::start(
        path, [](const QString&, bool) {}, room);
    for (const auto& object : objects)
        writer->push(object, 0, TvNalUnits::summarize(object->data(), object->length()).idr);
    writer->finish();
    if (!VeRecordWriter::waitForWriters(60000))
        std::printf("recorder: file not closed after 60 s\n");
    const double rate = clip.size() / std::chrono::duration<double>(Clock::now() - start).count();
    if (writer->writtenPackets() != int(clip.size()))
        std::printf("   recorder wrote %d of %zu packets\n", writer->writtenPackets(), clip.size());
    {
        VeRecordCenter center;
        center.push(objects[0].get());
        center.start(path);
        for (size_t i = 1; i < objects.size(); ++i) {
            const auto before = Clock::now();
            center.push(objects[i].get());
            pushUs.push_back(std::chrono::duration<double, std::micro>(Clock::now() - before).count());
        }
        center.stop();
    }
    VeRecordCenter::waitForWriters(60000);
    return rate;
}

void muxing() {
    std::printf("== recorder muxing rate, 1920x1080, 600 packets, key frame every 15 (best of 5)\n");
    const auto clip = MediaFixtures::encodeH264(1920, 1080, 600, 15);
    const QString dir = QDir::tempPath();
    double direct = 0, plain = 0, recorder = 0;
    std::vector<double> pushUs;
    for (int round = 0; round < 5; ++round) {
        direct = std::max(
            direct, directMux(clip, dir + "/bench-direct.mov", "frag_keyframe+empty_moov+default_base_moof"));
        plain = std::max(plain, directMux(clip, dir + "/bench-plain.mov", nullptr));
        recorder = std::max(recorder, recorderMux(clip, dir + "/bench-recorder.mov", pushUs));
    }
    std::printf("libavformat (same fragmented options) %8.0f packets/s\n", direct);
    std::printf("libavformat (plain .mov with trailer)  %8.0f packets/s\n", plain);
    std::printf(
        "recorder writer thread                 %8.0f packets/s   ratio %.3f (vs plain %.3f), file closed\n",
        recorder, recorder / direct, recorder / plain);
    const BenchStats s = BenchStats::of(pushUs);
    std::printf(
        "   record centre push on the SDK thread: median %.1f us, p99 %.1f us, max %.1f us (copies only, "
        "never the disk)\n",
        s.median, s.p99, s.worst);
    for (const char* name : {"/bench-direct.mov", "/bench-plain.mov", "/bench-recorder.mov"})
        QFile::remove(dir + name);
}

void quietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg || type == QtCriticalMsg)
        std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler(quietMessages);
    // The decoders trace to standard error; keep the figures readable.
    std::freopen("/dev/null", "w", stderr);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 20;
    const int overloadSeconds = argc > 2 ? std::max(5, std::atoi(argv[2])) : 15;
    // Optional third argument: one part only (throughput, road, overload or muxing).
    const std::string only = argc > 3 ? argv[3] : "";
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    if (only.empty() || only == "throughput")
        throughput();
    if (only.empty() || only == "road") {
        std::printf(
            "== stream road (SDK callback -> entry -> record centre -> queue -> decode -> setImage)\n");
        road(16, 640, 360, seconds, true);
        road(4, 1920, 1080, std::min(seconds, 10), false);
    }
    if (only.empty() || only == "overload")
        overload(overloadSeconds);
    if (only.empty() || only == "muxing")
        muxing();
    return 0;
}
