// VeOpenGLWidget: the fit rule, colours and orientation as painted, odd sizes, bad pictures, pictures
// held by reference, one paint per refresh tick for any number of pictures, the converted image kept
// while the size stays, and the 200 ms rule of copyFrame. Then the pictures that leave it: Yuv2RgbConv
// against the BT.601 reference, and the JPEG snapshot writer.
#include "MediaFixtures.h"
#include "TvPicture.h"
#include "TvSnapshotWriter.h"
#include "TvYuvLayout.h"
#include "VeOpenGLWidget.h"
#include "Yuv2RgbConv.h"

#include <QApplication>
#include <QImageReader>
#include <QtTest>

#include <random>
#include <vector>

using MediaFixtures::Bytes;

namespace {

const QColor kBackground(34, 34, 34);

QColor bt601(int y, int u, int v) {
    const auto rgb = MediaFixtures::bt601(y, u, v);
    return QColor(rgb[0], rgb[1], rgb[2]);
}

bool near(const QColor& a, const QColor& b, int tolerance = 4) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

// A frame of the given format and size filled with one colour, as a decoder would hand it over.
TvFFmpeg::FramePtr solidFrame(AVPixelFormat format, int w, int h, uint8_t y, uint8_t u, uint8_t v) {
    TvFFmpeg::FramePtr f(av_frame_alloc());
    f->format = format;
    f->width = w;
    f->height = h;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    const int chromaRows = format == AV_PIX_FMT_YUV422P ? h : TvYuvLayout::chromaHeight(h);
    std::memset(f->data[0], y, size_t(f->linesize[0]) * h);
    std::memset(f->data[1], u, size_t(f->linesize[1]) * chromaRows);
    std::memset(f->data[2], v, size_t(f->linesize[2]) * chromaRows);
    return f;
}

Bytes convert(const Bytes& yuv, int w, int h) {
    Bytes rgb(size_t(w) * h * 3);
    const uint8_t* base = yuv.data();
    if (Yuv2RgbConv::convert(base, base + TvYuvLayout::uOffset(w, h), base + TvYuvLayout::vOffset(w, h),
                             rgb.data(), w, h) != 0)
        return {};
    return rgb;
}

QByteArray text(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
}

// Counts the paint events of a widget.
class PaintCount : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class TestRenderer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        Yuv2RgbConv::initTables();
        m_widget = std::make_unique<VeOpenGLWidget>();
        m_widget->resize(800, 600);
        m_widget->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_widget.get()));
    }
    void cleanupTestCase() { m_widget.reset(); }

    void fitRule() {
        const struct {
            QSize area, picture;
            QRect expected;
        } cases[] = {{{800, 600}, {1920, 1080}, {0, 75, 800, 450}}, // bars above and below
                     {{800, 600}, {480, 640}, {175, 0, 450, 600}},  // bars left and right
                     {{640, 360}, {640, 360}, {0, 0, 640, 360}},
                     {{801, 600}, {1, 1}, {100, 0, 600, 600}},
                     {{800, 0}, {100, 100}, {}}, // degenerate sizes never divide by zero
                     {{800, 600}, {0, 100}, {}}};
        for (const auto& c : cases)
            QCOMPARE(VeOpenGLWidget::fitRect(c.area, c.picture), c.expected);
    }

    void orientationColoursAndOddSizes() {
        // In 800x600 a wide picture fills the width (rows 75 to 524), a tall one the height (columns 175 to
        // 624). The top half is black, the bottom half red: the first picture row is drawn at the top.
        const uint8_t black[3] = {16, 128, 128}, red[3] = {82, 90, 240};
        const struct {
            int width, height;
            std::vector<QPoint> bars, top, bottom;
        } cases[] = {{1920,
                      1080,
                      {{400, 0}, {400, 72}, {400, 527}, {400, 599}},
                      {{0, 78}, {799, 78}, {400, 280}},
                      {{0, 521}, {799, 521}, {400, 320}}},
                     {480,
                      640,
                      {{0, 300}, {172, 300}, {627, 300}, {799, 300}},
                      {{178, 0}, {621, 0}, {400, 280}},
                      {{178, 599}, {621, 599}, {400, 320}}},
                     // Planes of odd pictures are exactly their size: nothing may read past them.
                     {641, 361, {{400, 0}, {400, 599}}, {{400, 200}}, {{400, 400}}}};
        for (const auto& c : cases) {
            const Bytes picture = MediaFixtures::twoBands(c.width, c.height, black, red);
            m_widget->setImage(picture.data(), c.width, c.height);
            const QImage image = m_widget->grab().toImage();
            for (const auto& [points, colour] :
                 {std::make_pair(c.bars, kBackground), std::make_pair(c.top, bt601(16, 128, 128)),
                  std::make_pair(c.bottom, bt601(82, 90, 240))})
                for (const QPoint& p : points)
                    QVERIFY2(near(image.pixelColor(p), colour),
                             qPrintable(
                                 QString("%1x%2 at %3,%4").arg(c.width).arg(c.height).arg(p.x()).arg(p.y())));
        }
        for (QSize size : {QSize(1, 1), QSize(3, 5)}) {
            const Bytes odd = MediaFixtures::solidPicture(size.width(), size.height(), 170, 60, 60);
            m_widget->setImage(odd.data(), size.width(), size.height());
            QVERIFY(near(m_widget->grab().toImage().pixelColor(400, 300), bt601(170, 60, 60)));
        }
        // A 4:2:2 picture (Motion JPEG) is drawn and packed for snapshots without a conversion of its own.
        const auto frame = solidFrame(AV_PIX_FMT_YUV422P, 64, 48, 170, 60, 60);
        m_widget->setFrame(frame.get());
        QVERIFY(near(m_widget->grab().toImage().pixelColor(400, 300), bt601(170, 60, 60)));
        QByteArray packed;
        int w = 0, h = 0;
        QVERIFY(m_widget->copyFrame(packed, w, h) && w == 64 && h == 48);
        QCOMPARE(packed, text(MediaFixtures::solidPicture(64, 48, 170, 60, 60)));

        m_widget->clearImage();
        const QImage cleared = m_widget->grab().toImage();
        for (QPoint p : {QPoint(0, 0), QPoint(400, 300), QPoint(799, 599)})
            QVERIFY(near(cleared.pixelColor(p), kBackground));
    }

    void badPicturesAreRefused() {
        const auto noPlanes = TvFFmpeg::FramePtr(av_frame_alloc());
        auto huge = solidFrame(AV_PIX_FMT_YUV420P, 16, 16, 1, 2, 3);
        huge->width = TvYuvLayout::kMaxSide + 1;
        auto noFormat = solidFrame(AV_PIX_FMT_YUV420P, 16, 16, 1, 2, 3);
        noFormat->format = AV_PIX_FMT_NONE;
        for (const AVFrame* bad : std::vector<const AVFrame*>{noPlanes.get(), huge.get(), noFormat.get()}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^picture refused: size"));
            m_widget->setFrame(bad);
            QVERIFY2(!m_widget->hasImage(), "frame");
        }
        m_widget->setFrame(nullptr);
        for (auto [data, w, h] : {std::make_tuple(static_cast<const uint8_t*>(nullptr), 10, 10),
                                  std::make_tuple(reinterpret_cast<const uint8_t*>("x"), 0, 10),
                                  std::make_tuple(reinterpret_cast<const uint8_t*>("x"), 10, -1)}) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^picture refused: size"));
            m_widget->setImage(data, w, h);
            QVERIFY2(!m_widget->hasImage(), "image");
        }
    }

    void onePaintPerTickByReference() {
        VeOpenGLWidget widget;
        widget.resize(320, 180);
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        QApplication::processEvents();
        PaintCount count;
        widget.installEventFilter(&count);
        const quint64 allocations = widget.imageAllocations();

        // Three pictures before a tick: the oldest is dropped, the other two are painted on this tick and
        // the next, one each. The decoder's buffers are shared, not copied.
        std::vector<TvFFmpeg::FramePtr> frames;
        for (uint8_t y : {60, 120, 180}) {
            frames.push_back(solidFrame(AV_PIX_FMT_YUV420P, 640, 360, y, 128, 128));
            widget.setFrame(frames.back().get());
        }
        QCOMPARE(av_buffer_get_ref_count(frames.back()->buf[0]), 2);
        QCOMPARE(av_buffer_get_ref_count(frames.front()->buf[0]), 1); // let go when dropped
        QCOMPARE(count.paints, 0);                                    // pictures alone paint nothing
        widget.refreshIfMarked();
        QTRY_VERIFY(count.paints >= 1);
        widget.refreshIfMarked(); // (or the application's clock did)
        QTRY_COMPARE(widget.paintedPictures(), quint64(2));
        QTest::qWait(50);
        QCOMPARE(count.paints, 2);
        QCOMPARE(widget.droppedPictures(), quint64(1));
        widget.refreshIfMarked(); // nothing new: no paint
        QApplication::processEvents();
        QCOMPARE(count.paints, 2);
        QVERIFY(near(widget.grab().toImage().pixelColor(160, 90), bt601(180, 128, 128)));

        // Same-size pictures reuse the converted image's memory; a larger target allocates once more.
        QCOMPARE(widget.imageAllocations(), allocations + 1);
        for (int i = 0; i < 5; ++i) {
            widget.setFrame(frames[size_t(i % 3)].get());
            widget.refreshIfMarked();
            QTRY_COMPARE(widget.paintedPictures(), quint64(3 + i));
        }
        QCOMPARE(widget.imageAllocations(), allocations + 1);
        widget.resize(640, 360);
        QTRY_COMPARE(widget.imageAllocations(), allocations + 2);
        QCOMPARE(widget.droppedPictures(), quint64(1));
    }

    void snapshotsTakeRecentPictures() {
        QByteArray picture;
        int w = 0, h = 0;
        m_widget->clearImage();
        QVERIFY(!m_widget->copyFrame(picture, w, h));
        const Bytes yuv = MediaFixtures::solidPicture(65, 47, 100, 110, 120);
        m_widget->setImage(yuv.data(), 65, 47);
        QVERIFY(m_widget->copyFrame(picture, w, h) && w == 65 && h == 47);
        QCOMPARE(picture, text(yuv));
        QTest::qWait(250);
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("^距离上次已经超过200毫秒 (2[0-9][0-9]|[3-9][0-9][0-9]|[0-9]{4,})$"));
        QVERIFY(!m_widget->copyFrame(picture, w, h));
    }

    void conversionClampsAndRefusesBadArguments() {
        for (auto [y, expected] : {std::pair<int, int>{16, 0}, {235, 255}, {0, 0}, {255, 255}})
            QCOMPARE(convert(MediaFixtures::solidPicture(2, 2, uint8_t(y), 128, 128), 2, 2),
                     Bytes(12, uint8_t(expected)));
        Bytes out(12), in(6, 0);
        QCOMPARE(Yuv2RgbConv::convert(nullptr, in.data(), in.data(), out.data(), 2, 2), -1);
        QCOMPARE(Yuv2RgbConv::convert(in.data(), in.data(), in.data(), out.data(), 0, 2), -1);
        QCOMPARE(Yuv2RgbConv::convert(in.data(), in.data(), in.data(), out.data(), 2, -2), -1);
    }

    void conversionOfRandomPictures() {
        for (QSize size : {QSize(64, 48), QSize(640, 360), QSize(33, 17), QSize(1, 1)}) {
            const int width = size.width(), height = size.height();
            std::mt19937 rng(uint32_t(width * 7 + height));
            // The picture exactly fills its planes: any read past one would be caught by the sanitizer build.
            Bytes yuv(size_t(TvYuvLayout::pictureSize(width, height)));
            for (auto& b : yuv)
                b = uint8_t(rng());
            const Bytes rgb = convert(yuv, width, height);
            QCOMPARE(int(rgb.size()), width * height * 3);
            const int cw = TvYuvLayout::chromaWidth(width);
            int worst = 0;
            for (int row = 0; row < height; ++row)
                for (int col = 0; col < width; ++col) {
                    const int y = yuv[size_t(row * width + col)];
                    const int u = yuv[size_t(TvYuvLayout::uOffset(width, height) + (row / 2) * cw + col / 2)];
                    const int v = yuv[size_t(TvYuvLayout::vOffset(width, height) + (row / 2) * cw + col / 2)];
                    const auto expected = MediaFixtures::bt601(y, u, v);
                    // The bottom row comes first.
                    const uint8_t* px = rgb.data() + (size_t(height - 1 - row) * width + col) * 3;
                    for (int c = 0; c < 3; ++c)
                        worst = std::max(worst, std::abs(int(px[c]) - expected[size_t(c)]));
                }
            QVERIFY2(worst <= 1,
                     qPrintable(QString("%1x%2: largest difference %3").arg(width).arg(height).arg(worst)));
        }
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

        // Unwritable folders and short pictures fail with a log line, never silently (the threaded road,
        // success and failure, is the snapshot button's test).
        QFile(dir + "/not-a-folder").open(QIODevice::WriteOnly);
        QVERIFY(!TvSnapshotWriter::folderWritable(dir + "/not-a-folder"));
        QVERIFY(!TvSnapshotWriter::folderWritable(dir + "/missing"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^snapshot: cannot write"));
        QVERIFY(!TvSnapshotWriter::write(picture, w, h, dir + "/not-a-folder/x.jpg"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^snapshot: no usable picture"));
        QVERIFY(!TvSnapshotWriter::write(picture.left(100), w, h, dir + "/short.jpg"));
        QVERIFY(!QFile::exists(dir + "/short.jpg"));
        QDir(dir).removeRecursively();
    }

private:
    std::unique_ptr<VeOpenGLWidget> m_widget;
};

int main(int argc, char** argv) {
    // The renderer paints with the raster engine: any platform will do, a window system is not needed.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestRenderer test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_renderer.moc"
