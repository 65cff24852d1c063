// Listening latency: the simulator sends a 40 ms tone burst on a silent listening call, the client plays
// it on a private PulseAudio null sink, and the sink's monitor is read until the burst is heard. Both
// ends stamp with the steady clock. Prints the median and the worst delay of the bursts over the run.
// Usage: bench_listen [seconds = 60]
#include "BenchStats.h"
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "PulseSession.h"
#include "SimProcess.h"
#include "TvDefaultSettings.h"
#include "TvDisplayMangeView.h"
#include "TvLiveToolbar.h"
#include "TvPlayWidget.h"
#include "VeCameraModel.h"

#include <QApplication>
#include <QProcess>
#include <QtTest>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

const char kCam[] = "BL-001";

qint64 steadyUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    PulseSession pulse;
    if (!pulse.start()) {
        std::fprintf(stderr, "bench_listen: PulseAudio did not start\n");
        return 1;
    }
    SimProcess sim;
    if (!sim.start({"--clip-seconds", "2", "--cameras", QStringLiteral("lan:%1").arg(kCam)})) {
        std::fprintf(stderr, "bench_listen: the simulator did not start\n");
        return 1;
    }
    TvDefaultSettings::instance()->setLogoutConfirm(false);
    MainWindow window;
    window.show();
    auto* display = window.findChild<TvDisplayMangeView*>("widget_displayMan");
    VeCameraModel* camera = nullptr;
    const bool ready =
        waitFor([&] { return (camera = NxDataCenter::instance()->lanCenter->device(kCam)) != nullptr; },
                20000) &&
        window.playWithCamera(camera) == 0 &&
        waitFor(
            [&] {
                TvPlayWidget* cell = display->cellForKey(kCam);
                return cell && cell->state() == TvPlayStatePlaying;
            },
            30000);
    if (!ready) {
        std::fprintf(stderr, "bench_listen: the camera did not play\n");
        return 1;
    }
    window.on_treeView_lan_pressed(camera->modelIndex);
    sim.control(QStringLiteral("burst %1").arg(kCam)); // silence from now on, one burst first
    window.toolbar()->on_pushBtn_listen_clicked();
    if (!waitFor([&] { return display->isSoundOn(); }, 10000)) {
        std::fprintf(stderr, "bench_listen: listening did not start\n");
        return 1;
    }
    QProcess rec;
    rec.setProcessEnvironment(pulse.environment());
    rec.start("parec", {"-d", "kvab_out.monitor", "--raw", "--rate=8000", "--channels=1", "--format=s16le",
                        "--latency-msec=10"});
    rec.waitForStarted();
    std::vector<double> delays, firstMinute, lastMinute;
    int lost = 0;
    QElapsedTimer run;
    run.start();
    while (run.elapsed() < seconds * 1000LL) {
        QTest::qWait(400); // the last burst has died away
        rec.readAllStandardOutput();
        sim.control(QStringLiteral("burst %1").arg(kCam));
        qint64 heardUs = 0;
        QElapsedTimer wait;
        wait.start();
        while (!heardUs && wait.elapsed() < 2500) {
            QTest::qWait(2);
            const QByteArray bytes = rec.readAllStandardOutput();
            const auto* s = reinterpret_cast<const qint16*>(bytes.constData());
            const int n = bytes.size() / 2;
            for (int i = 0; i < n; ++i)
                if (std::abs(s[i]) > 8000) {
                    // The samples after it in this read were already played: 125 us each.
                    heardUs = steadyUs() - (n - i) * 125;
                    break;
                }
        }
        const qint64 sentUs =
            sim.control(QStringLiteral("burst %1 sent").arg(kCam)).section(' ', 1).toLongLong();
        if (!heardUs || sentUs <= 0) {
            ++lost;
            continue;
        }
        const double ms = (heardUs - sentUs) / 1000.0;
        delays.push_back(ms);
        if (run.elapsed() < 60000)
            firstMinute.push_back(ms);
        if (run.elapsed() > (seconds - 60) * 1000LL)
            lastMinute.push_back(ms);
    }
    rec.kill();
    rec.waitForFinished();
    window.confirmExit();
    if (delays.empty()) {
        std::fprintf(stderr, "bench_listen: no burst was heard (%d lost)\n", lost);
        return 1;
    }
    // Drift shows as a last minute slower than the first.
    auto print = [seconds](const char* what, const std::vector<double>& v) {
        if (v.empty())
            return;
        const BenchStats s = BenchStats::of(v);
        std::printf("listen latency, %s of %d s: %zu bursts, median %.1f ms, worst %.1f ms\n", what, seconds,
                    v.size(), s.median, s.worst);
    };
    print("all", delays);
    print("first minute", firstMinute);
    print("last minute", lastMinute);
    std::printf("%d bursts not heard\n", lost);
    return 0;
}
