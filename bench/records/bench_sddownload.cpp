// SD-card downloads while the grid plays: files of one camera's card are queued in the SD dialog and
// downloaded one after another while four other cameras play their sub streams. Prints the download
// throughput, the client's CPU while downloading, and the pictures each live cell painted per second
// meanwhile (the target is that the live cells keep 24 or more).
//
// usage: bench_sddownload [files] [sd-speed]   (under xvfb-run; sd-speed: how many times faster than
// real time the simulator sends, default 20)
#include "BenchProcess.h"
#include "BenchSimulator.h"
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "TvDefaultSettings.h"
#include "TvDisplayMangeView.h"
#include "TvPlayWidget.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"
#include "VeRecordCenter.h"
#include "VeSDFilesDialog.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFileInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

constexpr int kLiveCells = 4;

// Counts a renderer's paints.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QObject* parent) : QObject(parent) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
    long paints = 0;
};

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QTest::qWait(50);
    return done();
}

} // namespace

int main(int argc, char** argv) {
    const int files = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, 25) : 6;
    const int speed = argc > 2 ? std::clamp(std::atoi(argv[2]), 1, 1000) : 20;
    QTemporaryDir home;
    BenchProcess::useHome(home.path().toStdString());
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type != QtDebugMsg && type != QtWarningMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });

    BenchSimulator sim(KVAB_CAMSIM_PATH,
                       {"--port", "0", "--control-port", "0", "--lan", std::to_string(kLiveCells + 1),
                        "--clip-seconds", "6", "--sd-speed", std::to_string(speed)});
    if (!sim.started())
        return 1;
    TvDefaultSettings::instance()->saveDeviceInfo({});
    TvDefaultSettings::instance()->setLogoutConfirm(false);
    const QString videos = home.path() + "/videos";
    QDir().mkpath(videos);
    TvDefaultSettings::instance()->setVideoDir(videos);

    auto window = std::make_unique<MainWindow>();
    window->show();
    NxDataCenter* data = NxDataCenter::instance();
    QList<VeCameraModel*> cameras;
    waitFor([&] { return (cameras = data->lanCenter->lanDeviceList()).size() > kLiveCells; }, 30000);
    if (cameras.size() <= kLiveCells) {
        std::fprintf(stderr, "only %d cameras found\n", int(cameras.size()));
        return 1;
    }
    std::sort(cameras.begin(), cameras.end(),
              [](VeCameraModel* a, VeCameraModel* b) { return a->deviceId < b->deviceId; });
    auto* display = window->findChild<TvDisplayMangeView*>(QStringLiteral("widget_displayMan"));
    for (VeCameraModel* c : cameras.mid(0, kLiveCells)) {
        c->mainStream = false;
        window->playWithCamera(c);
    }
    const bool playing = waitFor(
        [&] {
            for (VeCameraModel* c : cameras.mid(0, kLiveCells)) {
                TvPlayWidget* cell = display->cellForKey(c->deviceId);
                if (!cell || cell->state() != TvPlayStatePlaying)
                    return false;
            }
            return true;
        },
        60000);
    if (!playing) {
        std::fprintf(stderr, "not every live cell reached playing\n");
        return 1;
    }
    QTest::qWait(2000);

    auto* dialog = new VeSDFilesDialog(cameras.at(kLiveCells), window.get()); // deletes itself when closed
    dialog->show();
    auto* table = dialog->findChild<QTableWidget*>(QStringLiteral("tableWidget"));
    if (!table || !waitFor([&] { return table->rowCount() >= files; }, 30000)) {
        std::fprintf(stderr, "the card was not listed\n");
        return 1;
    }
    QTest::qWait(500);
    QStringList names;
    for (int r = 0; r < files; ++r)
        names << table->item(r, 2)->text();

    std::vector<PaintCounter*> counters;
    for (VeCameraModel* c : cameras.mid(0, kLiveCells)) {
        VeOpenGLWidget* renderer = display->cellForKey(c->deviceId)->renderer();
        counters.push_back(new PaintCounter(renderer));
        renderer->installEventFilter(counters.back());
    }
    const double cpuStart = BenchProcess::ownCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    for (const QString& name : names) {
        for (int r = 0; r < table->rowCount(); ++r)
            if (table->item(r, 2)->text() == name)
                emit table->itemPressed(table->item(r, 2));
        QMetaObject::invokeMethod(dialog, "slotDownloadFiles");
    }
    const auto done = [&] {
        int finished = 0;
        for (int r = 0; r < table->rowCount(); ++r)
            if (names.contains(table->item(r, 2)->text()) &&
                table->item(r, 4)->text() == QLatin1String("Download success"))
                ++finished;
        return finished == files;
    };
    const bool all = waitFor(done, 600000);
    const double elapsed = double(wall.elapsed()) / 1000.0;
    const double cpu = BenchProcess::ownCpuSeconds() - cpuStart;
    VeRecordCenter::waitForWriters(20000);
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(videos).entryInfoList({QStringLiteral("*.mov")}, QDir::Files))
        bytes += file.size();

    std::printf("SD download: %d recordings of 8 s, simulator at %dx real time, %d live sub streams\n", files,
                speed, kLiveCells);
    std::printf("%s in %.1f s: %.2f MB written, %.2f MB/s, %.1f files/s\n",
                all ? "all downloaded" : "NOT ALL downloaded", elapsed, double(bytes) / 1e6,
                double(bytes) / 1e6 / elapsed, double(files) / elapsed);
    std::printf("client CPU while downloading: %.3f CPU-s per second\n", cpu / elapsed);
    double minFps = 1e9, sum = 0;
    for (PaintCounter* c : counters) {
        const double fps = double(c->paints) / elapsed;
        minFps = std::min(minFps, fps);
        sum += fps;
    }
    std::printf("live cells painted meanwhile: min %.2f fps, mean %.2f fps (target >= 24)\n", minFps,
                sum / double(counters.size()));
    window->confirmExit();
    return all ? 0 : 1;
}
