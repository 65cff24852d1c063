// The live view as a person runs it: the main window at its own size (or maximized) plays 4, 9 or 16
// simulated cameras, sub or main stream, through the real SDK library, for a measured stretch. Prints per
// cell the pictures handed to the renderer and actually painted per second, pictures dropped unpainted,
// late pictures, the lag of the live edge (queued video) after 10 s and at the end; then the client's CPU
// and resident memory. Afterwards, in the same run, ffmpeg's command-line decoder decodes the same
// streams (dumped as they arrived) as the reference cost, and the ratio is printed.
//
// usage: bench_liveview [seconds] [cells 4|9|16] [sub|main|grid] [window|maximized] [dump-folder]
// ("grid": main streams asked for as a double-click does, so the grid picks the stream it plays)
//        bench_liveview all [seconds]   every configuration, each in a process of its own, and a summary
// Run under xvfb-run -a -s "-screen 0 1920x1080x24"; needs ffmpeg on PATH. With KVAB_SHOT_DIR set, the
// window is saved there at the end of the measured stretch.
#include "BenchProcess.h"
#include "BenchSimulator.h"
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "NxVideoCenter.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDisplayMangeView.h"
#include "TvPlayWidget.h"
#include "TvResolutionMap.h"
#include "TvStreamRouter.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <sys/resource.h>

namespace {

constexpr int kMaxCells = 16;
constexpr double kFps = 25.0;
constexpr qint64 kLateGapMs = 80; // two frame periods at 25 fps

// Per cell: pictures handed to the renderer (decode thread) and their gaps.
struct CellCounters {
    std::atomic<long> handed{0};
    std::atomic<long> late{0};
    std::atomic<qint64> maxGapMs{0};
    std::atomic<qint64> lastMs{0};
    quint64 paintedStart = 0;
    quint64 droppedStart = 0;
    int skippedStart = 0;
    double lag10 = -1; // seconds of queued video 10 s into the run
};

// What the SDK delivered for each call while measuring, and the Annex B dump of it.
struct StreamTap {
    std::mutex mutex;
    bool on = false;
    std::map<std::string, int> cellOfCall;
    std::array<long, kMaxCells> packets{};
    std::array<std::unique_ptr<QFile>, kMaxCells> files;
    std::array<bool, kMaxCells> started{};
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
            ++g_tap.packets[size_t(i)];
            // ffmpeg gets each stream from its first parameter sets on, as a decoder joining late would.
            g_tap.started[size_t(i)] = g_tap.started[size_t(i)] || hasSps(data, length);
            if (g_tap.started[size_t(i)] && g_tap.files[size_t(i)])
                g_tap.files[size_t(i)]->write(reinterpret_cast<const char*>(data), length);
        }
    }
    TvStreamRouter::deliverStream(callId, data, length, isVideo);
}

// Seconds of video waiting in a cell's queue: how far the picture trails the camera.
double lagSeconds(TvPlayWidget* cell) {
    return cell ? double(cell->queuedCount()) / kFps : 0.0;
}

// Every configuration in a child process of its own (the application's singletons live once per
// process); each prints one RESULT line, collected into a table.
int runAll(const char* self, int seconds) {
    const QStringList configs[] = {{"4", "sub", "window"},   {"9", "sub", "window"},
                                   {"16", "sub", "window"},  {"4", "main", "window"},
                                   {"9", "main", "window"},  {"16", "main", "window"},
                                   {"16", "grid", "window"}, {"16", "sub", "maximized"}};
    QStringList results;
    for (const QStringList& config : configs) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QString::fromLocal8Bit(self), QStringList{QString::number(seconds)} + config);
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            results << QStringLiteral("%1 failed").arg(config.join(' '));
            continue;
        }
        const QString out = QString::fromUtf8(child.readAllStandardOutput());
        std::fputs(qPrintable(out), stdout);
        for (const QString& line : out.split('\n'))
            if (line.startsWith(QLatin1String("RESULT")))
                results << line.mid(7);
    }
    std::printf("\n== summary (%d s each)\n", seconds);
    for (const QString& r : results)
        std::printf("%s\n", qPrintable(r));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && QByteArray(argv[1]) == "all")
        return runAll(argv[0], argc > 2 ? std::max(15, std::atoi(argv[2])) : 60);
    const int seconds = argc > 1 ? std::max(15, std::atoi(argv[1])) : 60;
    const int cellCount = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, kMaxCells) : kMaxCells;
    const QByteArray stream = argc > 3 ? QByteArray(argv[3]) : QByteArray("sub");
    const bool mainStream = stream == "main" || stream == "grid";
    const bool chosen = stream != "grid";
    const bool maximized = argc > 4 && QByteArray(argv[4]) == "maximized";
    // Settings and caches of this run stay out of the user's home.
    QTemporaryDir home;
    BenchProcess::useHome(home.path().toStdString());
    QApplication app(argc, argv);
    const QString dumpDir = argc > 5 ? QString::fromLocal8Bit(argv[5]) : home.path() + "/streams";
    QDir().mkpath(dumpDir);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtWarningMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    }); // the client's log lines would cost more than the frames

    BenchSimulator sim(KVAB_CAMSIM_PATH,
                       {"--port", "0", "--control-port", "0", "--lan", std::to_string(cellCount),
                        "--clip-seconds", mainStream ? "2" : "6"});
    if (!sim.started())
        return 1;
    TvDefaultSettings::instance()->saveDeviceInfo({});
    TvDefaultSettings::instance()->setLogoutConfirm(false);

    auto window = std::make_unique<MainWindow>();
    if (maximized) {
        window->showMaximized();
        // Without a window manager (Xvfb) nobody maximizes: take the screen's room ourselves.
        window->setGeometry(window->screen()->availableGeometry());
    } else {
        window->show();
    }
    NxDataCenter* data = NxDataCenter::instance();
    data->videoCenter->streamHandler = &tapStream;
    QList<VeCameraModel*> cameras;
    QElapsedTimer wait;
    wait.start();
    while (cameras.size() < cellCount && wait.elapsed() < 30000) {
        QTest::qWait(100);
        cameras = data->lanCenter->lanDeviceList();
    }
    if (cameras.size() < cellCount) {
        std::fprintf(stderr, "only %d cameras found\n", int(cameras.size()));
        return 1;
    }
    std::sort(cameras.begin(), cameras.end(),
              [](VeCameraModel* a, VeCameraModel* b) { return a->deviceId < b->deviceId; });
    cameras = cameras.mid(0, cellCount);
    for (VeCameraModel* c : cameras) {
        c->mainStream = mainStream;
        window->playWithCamera(c, chosen);
    }
    auto* display = window->findChild<TvDisplayMangeView*>(QStringLiteral("widget_displayMan"));
    const auto cellOf = [&](int i) { return display->cellForKey(cameras.at(i)->deviceId); };
    const auto allPlaying = [&] {
        for (int i = 0; i < cellCount; ++i)
            if (!cellOf(i) || cellOf(i)->state() != TvPlayStatePlaying)
                return false;
        return true;
    };
    wait.restart();
    // The simulator encodes each camera's clip on first use, one after another: main clips take long.
    while (!allPlaying() && wait.elapsed() < 60000 + (mainStream ? 20000 * cellCount : 0))
        QTest::qWait(100);
    if (!allPlaying()) {
        std::fprintf(stderr, "not every cell reached playing\n");
        return 1;
    }
    QTest::qWait(2000); // settle: first pictures, clip caches warm

    std::array<CellCounters, kMaxCells> counters;
    g_clock.start();
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        for (int i = 0; i < cellCount; ++i) {
            g_tap.cellOfCall[cameras.at(i)->callId.toStdString()] = i;
            g_tap.files[size_t(i)] =
                std::make_unique<QFile>(QStringLiteral("%1/cell%2.h264").arg(dumpDir).arg(i));
            if (!g_tap.files[size_t(i)]->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(g_tap.files[size_t(i)]->fileName()));
                return 1;
            }
        }
    }
    for (int i = 0; i < cellCount; ++i) {
        VeOpenGLWidget* renderer = cellOf(i)->renderer();
        CellCounters* c = &counters[size_t(i)];
        c->paintedStart = renderer->paintedPictures();
        c->droppedStart = renderer->droppedPictures();
        c->skippedStart = cellOf(i)->skippedPictures();
        QObject::connect(
            renderer, &VeOpenGLWidget::updateSignal, renderer,
            [c] {
                const qint64 now = g_clock.elapsed();
                const qint64 last = c->lastMs.exchange(now);
                if (++c->handed > 1) {
                    const qint64 gap = now - last;
                    if (gap > kLateGapMs)
                        ++c->late;
                    if (gap > c->maxGapMs)
                        c->maxGapMs = gap;
                }
            },
            Qt::DirectConnection);
    }

    const long rssStart = BenchProcess::residentKiB();
    long rssMax = rssStart;
    const double cpuStart = BenchProcess::ownCpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        g_tap.on = true;
    }
    bool lagTaken = false;
    while (wall.elapsed() < qint64(seconds) * 1000) {
        QTest::qWait(500);
        rssMax = std::max(rssMax, BenchProcess::residentKiB());
        if (!lagTaken && wall.elapsed() >= 10000) {
            for (int i = 0; i < cellCount; ++i)
                counters[size_t(i)].lag10 = lagSeconds(cellOf(i));
            lagTaken = true;
        }
    }
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        g_tap.on = false;
    }
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const double cpu = BenchProcess::ownCpuSeconds(RUSAGE_SELF) - cpuStart;
    const long rssEnd = BenchProcess::residentKiB();
    const QString shotDir = qEnvironmentVariable("KVAB_SHOT_DIR");
    if (!shotDir.isEmpty())
        window->grab().save(QStringLiteral("%1/liveview-%2-%3-%4.png")
                                .arg(shotDir)
                                .arg(cellCount)
                                .arg(QString::fromLatin1(stream), maximized ? "maximized" : "window"));
    std::array<long, kMaxCells> received{};
    {
        std::lock_guard<std::mutex> lock(g_tap.mutex);
        received = g_tap.packets;
        for (auto& f : g_tap.files)
            if (f)
                f->close();
    }

    const QSize area = display->size();
    std::printf("live view: %d cameras, %s stream asked, window %dx%d (%s), video area %dx%d, %.1f s\n",
                cellCount, stream.constData(), window->width(), window->height(),
                maximized ? "maximized" : "as it opens", area.width(), area.height(), elapsed);
    std::printf("%-4s %-9s %8s %8s %8s %8s %8s %5s %7s %7s %7s\n", "cell", "picture", "received", "handed/s",
                "painted/s", "dropped", "skipped", "late", "max gap", "lag10s", "lagEnd");
    long handed = 0, painted = 0, packets = 0;
    double minPainted = 1e9, maxLag10 = 0, maxLagEnd = 0;
    for (int i = 0; i < cellCount; ++i) {
        const CellCounters& c = counters[size_t(i)];
        TvPlayWidget* cell = cellOf(i);
        const long cellPainted = cell ? long(cell->renderer()->paintedPictures() - c.paintedStart) : 0;
        const long cellDropped = cell ? long(cell->renderer()->droppedPictures() - c.droppedStart) : 0;
        const int cellSkipped = cell ? cell->skippedPictures() - c.skippedStart : 0;
        const double lagEnd = lagSeconds(cell);
        minPainted = std::min(minPainted, double(cellPainted) / elapsed);
        maxLag10 = std::max(maxLag10, c.lag10);
        maxLagEnd = std::max(maxLagEnd, lagEnd);
        handed += c.handed;
        painted += cellPainted;
        packets += received[size_t(i)];
        std::printf("%-4d %-9s %8ld %8.2f %9.2f %8ld %8d %5ld %4lld ms %6.2fs %6.2fs\n", i,
                    qPrintable(TvResolutionMap::instance()->value(cameras.at(i)->playKey)),
                    received[size_t(i)], double(c.handed) / elapsed, double(cellPainted) / elapsed,
                    cellDropped, cellSkipped, c.late.load(), static_cast<long long>(c.maxGapMs.load()),
                    c.lag10, lagEnd);
    }
    std::printf(
        "pictures painted per cell: min %.2f fps, mean %.2f fps (target >= 24); handed mean %.2f fps; "
        "%ld frames received\n",
        minPainted, double(painted) / elapsed / cellCount, double(handed) / elapsed / cellCount, packets);
    std::printf("client CPU %.2f s in %.1f s = %.3f cores (%.2f ms per painted picture)\n", cpu, elapsed,
                cpu / elapsed, painted ? cpu * 1000.0 / double(painted) : 0.0);
    std::printf("resident memory: %.1f MiB at start, %.1f MiB max, %.1f MiB at end\n", rssStart / 1024.0,
                rssMax / 1024.0, rssEnd / 1024.0);
    std::printf("lag of the live edge: max %.2f s after 10 s, max %.2f s at the end\n", maxLag10, maxLagEnd);

    // Leave before the reference run so that its CPU is not shared with the client.
    window->confirmExit();
    TvCallWorker::instance()->waitForIdle(20000);
    QTest::qWait(1500);

    const double childStart = BenchProcess::ownCpuSeconds(RUSAGE_CHILDREN);
    long refFrames = 0;
    for (int i = 0; i < cellCount; ++i) {
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
        long last = 0;
        for (auto it = QRegularExpression("frame=\\s*(\\d+)").globalMatch(out); it.hasNext();)
            last = it.next().captured(1).toLong();
        refFrames += last;
    }
    const double refCpu = BenchProcess::ownCpuSeconds(RUSAGE_CHILDREN) - childStart;
    // The reference's cost of one second of all the cameras' video.
    const double refCores = refFrames > 0 ? refCpu / (double(refFrames) / kFps / cellCount) : 0.0;
    std::printf("reference: ffmpeg -threads 1 decoded %ld frames of the same streams in %.2f CPU-s "
                "(%.2f ms per frame) = %.3f cores for these cameras\n",
                refFrames, refCpu, refFrames ? refCpu * 1000.0 / double(refFrames) : 0.0, refCores);
    const double ratio = refCores > 0 ? (cpu / elapsed) / refCores : 0.0;
    std::printf("ratio client / reference: %.2f\n", ratio);
    std::printf(
        "RESULT %2d %-4s %-9s painted min %5.2f fps | client %.3f cores | reference %.3f | ratio %5.2f | "
        "RSS %.0f MiB | lag %.2f s / %.2f s\n",
        cellCount, stream.constData(), maximized ? "maximized" : "window", minPainted, cpu / elapsed,
        refCores, ratio, rssEnd / 1024.0, maxLag10, maxLagEnd);
    window.reset();
    sim.stop();
    return 0;
}
