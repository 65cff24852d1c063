// Yuv2RgbConv against a floating-point BT.601 reference, and the JPEG snapshot writer.
#include "MediaFixtures.h"
#include "TvSnapshotWriter.h"
#include "TvYuvLayout.h"
#include "Yuv2RgbConv.h"

#include <QImage>
#include <QImageReader>
#include <QtTest>

#include <cmath>
#include <random>

using MediaFixtures::Bytes;

namespace {

// Limited-range BT.601 to RGB, in doubles.
void reference(int y, int u, int v, int rgb[3]) {
    const double c = 1.164383 * (y - 16);
    const double r = c + 1.596027 * (v - 128);
    const double g = c - 0.391762 * (u - 128) - 0.812968 * (v - 128);
    const double b = c + 2.017232 * (u - 128);
    const double values[3] = {r, g, b};
    for (int i = 0; i < 3; ++i)
        rgb[i] = int(std::lround(std::min(255.0, std::max(0.0, values[i]))));
}

Bytes convert(const Bytes& yuv, int w, int h) {
    Bytes rgb(size_t(w) * h * 3);
    const uint8_t* base = yuv.data();
    if (Yuv2RgbConv::convert(base, base + TvYuvLayout::uOffset(w, h), base + TvYuvLayout::vOffset(w, h),
                             rgb.data(), w, h) != 0)
        return {};
    return rgb;
}

} // namespace

class TestYuv2Rgb : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { Yuv2RgbConv::initTables(); }

    void clampsAndRefusesBadArguments() {
        for (auto [y, expected] : {std::pair<int, int>{16, 0}, {235, 255}, {0, 0}, {255, 255}})
            QCOMPARE(convert(MediaFixtures::solidPicture(2, 2, uint8_t(y), 128, 128), 2, 2),
                     Bytes(12, uint8_t(expected)));
        Bytes out(12), in(6, 0);
        QCOMPARE(Yuv2RgbConv::convert(nullptr, in.data(), in.data(), out.data(), 2, 2), -1);
        QCOMPARE(Yuv2RgbConv::convert(in.data(), in.data(), in.data(), out.data(), 0, 2), -1);
        QCOMPARE(Yuv2RgbConv::convert(in.data(), in.data(), in.data(), out.data(), 2, -2), -1);
    }

    void randomPicturesAgainstReference_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("64x48") << 64 << 48;
        QTest::newRow("640x360") << 640 << 360;
        QTest::newRow("odd 33x17") << 33 << 17;
        QTest::newRow("1x1") << 1 << 1;
    }
    void randomPicturesAgainstReference() {
        QFETCH(int, width);
        QFETCH(int, height);
        std::mt19937 rng(uint32_t(width * 7 + height));
        // The picture exactly fills its planes: any read past one would be caught by the sanitizer build.
        Bytes yuv(size_t(TvYuvLayout::pictureSize(width, height)));
        for (auto& b : yuv)
            b = uint8_t(rng());
        const Bytes rgb = convert(yuv, width, height);
        QCOMPARE(int(rgb.size()), width * height * 3);
        const int cw = TvYuvLayout::chromaWidth(width);
        int worst = 0;
        for (int row = 0; row < height; ++row) {
            for (int col = 0; col < width; ++col) {
                const int y = yuv[size_t(row * width + col)];
                const int u = yuv[size_t(TvYuvLayout::uOffset(width, height) + (row / 2) * cw + col / 2)];
                const int v = yuv[size_t(TvYuvLayout::vOffset(width, height) + (row / 2) * cw + col / 2)];
                int expected[3];
                reference(y, u, v, expected);
                // The bottom row comes first.
                const uint8_t* px = rgb.data() + (size_t(height - 1 - row) * width + col) * 3;
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst, std::abs(int(px[c]) - expected[c]));
            }
        }
        QVERIFY2(worst <= 1, qPrintable(QString("largest difference %1").arg(worst)));
    }

    void snapshotFiles() {
        const QString dir =
            QDir::tempPath() + "/kvab-snap-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(dir);
        QVERIFY(TvSnapshotWriter::folderWritable(dir));
        // Top half red-ish, bottom half blue-ish: the file must have the top row first.
        const int w = 320, h = 240;
        const uint8_t red[3] = {82, 90, 240}, blue[3] = {41, 240, 110};
        const Bytes yuv = MediaFixtures::twoBands(w, h, red, blue);
        auto text = [](const Bytes& b) {
            return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
        };
        const QByteArray picture = text(yuv);
        const QString path = dir + "/cam1_20240101120000.jpg";
        QVERIFY(TvSnapshotWriter::write(picture, w, h, path));
        QImageReader reader(path);
        QCOMPARE(reader.format(), QByteArray("jpeg"));
        const QImage image = reader.read();
        const QColor top = image.pixelColor(w / 2, 10), bottom = image.pixelColor(w / 2, h - 10);
        QVERIFY2(top.red() > 200 && top.blue() < 60, qPrintable(top.name()));
        QVERIFY2(bottom.blue() > 200 && bottom.red() < 60, qPrintable(bottom.name()));
        // Odd sizes save too.
        QVERIFY(TvSnapshotWriter::write(text(MediaFixtures::solidPicture(641, 361, 128, 128, 128)), 641, 361,
                                        dir + "/odd.jpg"));
        QCOMPARE(QImage(dir + "/odd.jpg").size(), QSize(641, 361));

        // On its own thread, with the result reported back, success or not. Unwritable folders and short
        // pictures fail with a log line, never silently.
        auto writeAsync = [&](const QString& target) {
            QSemaphore done;
            std::atomic<bool> ok{false};
            TvSnapshotWriter::start(picture, w, h, target, [&](bool result, const QString&) {
                ok = result;
                done.release();
            });
            return done.tryAcquire(1, 10000) && ok;
        };
        QVERIFY(writeAsync(dir + "/async.jpg"));
        QCOMPARE(QImage(dir + "/async.jpg").size(), QSize(w, h));
        QFile(dir + "/not-a-folder").open(QIODevice::WriteOnly);
        QVERIFY(!TvSnapshotWriter::folderWritable(dir + "/not-a-folder"));
        QVERIFY(!TvSnapshotWriter::folderWritable(dir + "/missing"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^snapshot: cannot write"));
        QVERIFY(!TvSnapshotWriter::write(picture, w, h, dir + "/not-a-folder/x.jpg"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^snapshot: cannot write"));
        QVERIFY(!writeAsync(dir + "/missing/x.jpg"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^snapshot: no usable picture"));
        QVERIFY(!TvSnapshotWriter::write(picture.left(100), w, h, dir + "/short.jpg"));
        QVERIFY(!QFile::exists(dir + "/short.jpg"));
        QDir(dir).removeRecursively();
    }
};

QTEST_MAIN(TestYuv2Rgb)
#include "test_yuv2rgb.moc"
