// The live view's cost: 16 cells of 640 x 360 at 25 fps from the camera simulator through the real SDK
// library and the main window, for a measured stretch (60 s by default) under a window system. Prints
// the client's CPU time per second, pictures handed to each cell's renderer and painted per second,
// late and dropped pictures and resident memory; then runs ffmpeg's command-line decoder on the same
// 16 streams (dumped as they arrived) as the reference cost, and prints the ratios.
//
// usage: bench_liveview [seconds] [dump-folder]   (run under xvfb-run; needs ffmpeg on PATH)
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxVideoCenter.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDisplayMangeView.h"
#include "TvPlayWidget.h"
#include "TvStreamRouter.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QPointer>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kCells = 16;
constexpr qint64 kLateGapMs = 80; // two frame periods at 25 fps

double cpuSeconds(int who) {
    rusage u{};
    getrusage(who, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

long rssKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

double processCpu(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (f.size() < 13)
        return 0;
    return double(f.at(11).toLong() + f.at(12).toLong()) / double(sysconf(_SC_CLK_TCK));
}

// Per cell: pictures handed to the renderer (decode thread), paints (GUI thread) and gaps.
struct CellCounters {
    std::atomic<long> pictures{0};
    std::atomic<long> paints{0};
    std::atomic<long> late{0};
    std::atomic<qint64> maxGapMs{0};
    std::atomic<qint64> lastMs{0};
};

// What the SDK delivered for each call while measuring, and the Annex B dump of it.
struct StreamTap {
    std::mutex mutex;
    bool on = false;
    std::map<std::string, int> cellOfCall;
    std::array<long, kCells> packets{};
    std::array<std::unique_ptr<QFile>, kCells> files;
    std::array<bool, kCells> started{};
};
StreamTap g_tap;
QElapsedTimer g_clock;

bool hasSps(const unsigned char* data, int length) {
    for (int i = 0; i + 4 < length; ++i)
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1 && (data[i + 3] & 0x1f) == 7)
            return true;
    return false;
}

void tapStream(const char* callId, const unsigned char* data, int length, bool isVideo) {
    if (isVideo && callId && data && length > 0) {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        const auto it = g_tap.cellOfCall.find(callId);
        if (g_tap.on && it != g_tap.cellOfCall.end()) {
            const int i = it->second;
            ++g_tap.packets[i];
            // ffmpeg gets each stream from its first parameter sets on, as a decoder joining late would.
            g_tap.started[i] = g_tap.started[i] || hasSps(data, length);
            if (g_tap.started[i] && g_tap.files[i])
                g_tap.files[i]->write(reinterpret_cast<const char*>(data), length);
        }
    }
    TvStreamRouter::deliverStream(callId, data, length, isVideo);
}

// Counts the paints of one renderer.
class PaintCounter : public QObject {
public:
    PaintCounter(QObject* parent, CellCounters* counters) : QObject(parent), m_counters(counters) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++m_counters->paints;
        return QObject::eventFilter(watched, event);
    }

private:
    CellCounters* m_counters;
};

} // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    // Settings and caches of this run stay out of the user's home.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    qputenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + "/data").toUtf8());
    QApplication app(argc, argv);
    const QString dumpDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : home.path() + "/streams";
    QDir().mkpath(dumpDir);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtWarningMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    }); // the client's log lines would cost more than the frames

    QProcess sim;
    sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sim.start(QStringLiteral(KVAB_CAMSIM_PATH), {"--port", "0", "--control-port", "0", "--lan",
                                                 QString::number(kCells), "--clip-seconds", "6"});
    QByteArray banner;
    while (!banner.contains('\n') && sim.waitForReadyRead(20000))
        banner += sim.readAllStandardOutput();
    const auto m = QRegularExpression("sdk port (\\d+)").match(QString::fromUtf8(banner));
    if (!m.hasMatch()) {
        std::fprintf(stderr, "simulator did not start\n");
        return 1;
    }
    qputenv("KVAB_SDK_ENDPOINT", ("127.0.0.1:" + m.captured(1)).toUtf8());
    TvDefaultSettings::instance()->saveDeviceInfo({});
    TvDefaultSettings::instance()->setLogoutConfirm(false);

    auto window = std::make_unique<MainWindow>();
    window->show();
    NxDataCenter* data = NxDataCenter::instance();
    data->videoCenter->streamHandler = &tapStream;
    QList<VeCameraModel*> cameras;
    QElapsedTimer wait;
    wait.start();
    while (cameras.size() < kCells && wait.elapsed() < 30000) {
        QTest::qWait(100);
        cameras = data->lanCenter->lanDeviceList();
    }
    if (cameras.size() < kCells) {
        std::fprintf(stderr, "only %d cameras found\n", int(cameras.size()));
        return 1;
    }
    std::sort(cameras.begin(), cameras.end(),
              [](VeCameraModel* a, VeCameraModel* b) { return a->deviceId < b->deviceId; });
    for (VeCameraModel* c : cameras.mid(0, kCells)) {
        c->mainStream = false;
        window->playWithCamera(c);
    }
    auto* display = window->findChild<TvDisplayMangeView*>(QStringLiteral("widget_displayMan"));
    const auto allPlaying = [&] {
        for (int i = 0; i < kCells; ++i) {
            TvPlayWidget* cell = display->cellForKey(cameras.at(i)->deviceId);
            if (!cell || cell->state() != TvPlayStatePlaying)
                return false;
        }
        return true;
    };
    wait.restart();
    while (!allPlaying() && wait.elapsed() < 60000)
        QTest::qWait(100);
    if (!allPlaying()) {
        std::fprintf(stderr, "not every cell reached playing\n");
        return 1;
    }
    QTest::qWait(2000); // settle: first pictures, clip caches warm

    std::array<CellCounters, kCells> counters;
    g_clock.start();
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        for (int i = 0; i < kCells; ++i) {
            g_tap.cellOfCall[cameras.at(i)->callId.toStdString()] = i;
            g_tap.files[i] = std::make_unique<QFile>(QStringLiteral("%1/cell%2.h264").arg(dumpDir).arg(i));
            if (!g_tap.files[i]->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(g_tap.files[i]->fileName()));
                return 1;
            }
        }
    }
    for (int i = 0; i < kCells; ++i) {
        VeOpenGLWidget* renderer = display->cellForKey(cameras.at(i)->deviceId)->renderer();
        CellCounters* c = &counters[size_t(i)];
        QObject::connect(
            renderer, &VeOpenGLWidget::updateSignal, renderer,
            [c] {
                const qint64 now = g_clock.elapsed();
                const qint64 last = c->lastMs.exchange(now);
                if (++c->pictures > 1) {
                    const qint64 gap = now - last;
                    if (gap > kLateGapMs)
                        ++c->late;
                    if (gap > c->maxGapMs)
                        c->maxGapMs = gap;
                }
            },
            Qt::DirectConnection);
        renderer->installEventFilter(new PaintCounter(renderer, c));
    }

    const long rssStart = rssKiB();
    long rssMax = rssStart;
    const double simStart = processCpu(sim.processId());
    const double cpuStart = cpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        g_tap.on = true;
    }
    while (wall.elapsed() < qint64(seconds) * 1000) {
        QTest::qWait(500);
        rssMax = std::max(rssMax, rssKiB());
    }
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        g_tap.on = false;
    }
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpuStart;
    const double simCpu = processCpu(sim.processId()) - simStart;
    const long rssEnd = rssKiB();
    std::array<long, kCells> received{};
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        received = g_tap.packets;
        for (auto& f : g_tap.files)
            f->close();
    }

    std::printf("live view: %d cells of 640x360 at 25 fps for %.1f s\n", kCells, elapsed);
    std::printf("%-5s %9s %9s %9s %9s %6s %8s %8s\n", "cell", "received", "pictures", "pict/s", "paint/s",
                "late", "max gap", "damaged");
    long pictures = 0, packets = 0, late = 0, damaged = 0;
    double minFps = 1e9;
    for (int i = 0; i < kCells; ++i) {
        const CellCounters& c = counters[size_t(i)];
        const double fps = double(c.pictures) / elapsed;
        minFps = std::min(minFps, fps);
        pictures += c.pictures;
        packets += received[size_t(i)];
        late += c.late;
        TvPlayWidget* cell = display->cellForKey(cameras.at(i)->deviceId);
        const int cellDamaged = cell ? cell->damagedPictures() : 0;
        damaged += cellDamaged;
        std::printf("%-5d %9ld %9ld %9.2f %9.2f %6ld %6lld ms %8d\n", i, received[size_t(i)],
                    c.pictures.load(), fps, double(c.paints) / elapsed, c.late.load(),
                    static_cast<long long>(c.maxGapMs.load()), cellDamaged);
    }
    std::printf("pictures shown per cell: min %.2f fps, mean %.2f fps (target >= 24)\n", minFps,
                double(pictures) / elapsed / kCells);
    std::printf("received %ld frames, handed to renderers %ld, dropped %ld, late (gap > %lld ms) %ld, "
                "damaged %ld\n",
                packets, pictures, std::max(0L, packets - pictures), static_cast<long long>(kLateGapMs), late,
                damaged);
    std::printf("client CPU %.2f s in %.1f s = %.3f CPU-s per second (%.2f ms per picture)\n", cpu, elapsed,
                cpu / elapsed, pictures ? cpu * 1000.0 / double(pictures) : 0.0);
    std::printf("simulator CPU %.3f CPU-s per second (not part of the client)\n", simCpu / elapsed);
    std::printf("resident memory: %.1f MiB at start, %.1f MiB max, %.1f MiB at end\n", rssStart / 1024.0,
                rssMax / 1024.0, rssEnd / 1024.0);

    // Leave before the reference run so that its CPU is not shared with the client.
    window->confirmExit();
    TvCallWorker::instance()->waitForIdle(20000);
    QTest::qWait(1500);

    const double childStart = cpuSeconds(RUSAGE_CHILDREN);
    long refFrames = 0;
    for (int i = 0; i < kCells; ++i) {
        QProcess ffmpeg;
        ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
        ffmpeg.start(QStringLiteral("ffmpeg"),
                     {"-hide_banner", "-nostdin", "-loglevel", "error", "-stats", "-threads", "1", "-f",
                      "h264", "-i", QStringLiteral("%1/cell%2.h264").arg(dumpDir).arg(i), "-f", "null", "-"});
        if (!ffmpeg.waitForFinished(300000) || ffmpeg.exitCode() != 0) {
            std::fprintf(stderr, "ffmpeg failed on cell %d: %s\n", i, ffmpeg.readAll().constData());
            return 1;
        }
        const QString out = QString::fromUtf8(ffmpeg.readAll());
        const auto frames = QRegularExpression("frame=\\s*(\\d+)").globalMatch(out);
        long last = 0;
        for (auto it = frames; it.hasNext();)
            last = it.next().captured(1).toLong();
        refFrames += last;
    }
    const double refCpu = cpuSeconds(RUSAGE_CHILDREN) - childStart;
    std::printf("reference: ffmpeg -threads 1 decoded %ld frames of the same streams in %.2f CPU-s "
                "(%.2f ms per frame)\n",
                refFrames, refCpu, refFrames ? refCpu * 1000.0 / double(refFrames) : 0.0);
    if (refFrames > 0 && pictures > 0) {
        const double perPictureRatio = (cpu / double(pictures)) / (refCpu / double(refFrames));
        std::printf("ratio client / reference, CPU per picture: %.2f (target <= 2)\n", perPictureRatio);
        std::printf("ratio client / reference, CPU per second of 16 streams: %.2f\n",
                    (cpu / elapsed) / (refCpu / (double(refFrames) / 25.0 / kCells)));
    }
    window.reset();
    sim.terminate();
    if (!sim.waitForFinished(5000))
        sim.kill();
    return 0;
}
