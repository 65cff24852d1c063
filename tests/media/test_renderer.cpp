// VeOpenGLWidget under an X server with GLX (xvfb-run with Mesa): colours from the shader, the bars of
// the fit rule, picture orientation, clearing, odd sizes and the 200 ms rule of copyFrame.
#include "MediaFixtures.h"
#include "TvYuvLayout.h"
#include "VeOpenGLWidget.h"

#include <QApplication>
#include <QOpenGLContext>
#include <QtTest>

#include <cmath>
#include <vector>

using MediaFixtures::Bytes;

namespace {

const QColor kBackground(34, 34, 34);

// The shader's conversion, in doubles.
QColor shaderColour(int y, int u, int v) {
    const double yy = y / 255.0, uu = u / 255.0 - 0.5, vv = v / 255.0 - 0.5;
    auto to8 = [](double c) { return int(std::lround(std::min(1.0, std::max(0.0, c)) * 255.0)); };
    return QColor(to8(yy + 1.13983 * vv), to8(yy - 0.39465 * uu - 0.58060 * vv), to8(yy + 2.03211 * uu));
}

bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

QString describe(const QColor& c) {
    return QString("(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString describe(const QImage& image, QPoint p) {
    return QString("%1,%2: %3").arg(p.x()).arg(p.y()).arg(describe(image.pixelColor(p)));
}

} // namespace

class TestRenderer : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        m_widget = std::make_unique<VeOpenGLWidget>();
        m_widget->resize(800, 600);
        m_widget->show();
        if (!QTest::qWaitForWindowExposed(m_widget.get()))
            QSKIP("no exposed window");
        m_widget->grabFramebuffer();
        if (!m_widget->context() || !m_widget->context()->isValid())
            QSKIP("no OpenGL here; run under xvfb-run -s \"-screen 0 1920x1080x24 +extension GLX\"");
    }
    void cleanupTestCase() { m_widget.reset(); }

    void fitGeometryAndBars() {
        float a = 0, b = 0;
        VeOpenGLWidget::fitExtents(800, 0, 100, 0, a, b); // degenerate sizes never divide by zero
        QVERIFY(std::isfinite(a) && std::isfinite(b));
        // In 800x600 a wide picture fills the width (b = 0.75: rows 75 to 524, bars above and below), a
        // tall one the height (a = 0.5625: columns 175 to 624, bars left and right).
        const struct {
            int width, height;
            float a, b;
            int y, u, v;
            std::vector<QPoint> bars, picture;
        } cases[] = {
            {1920,
             1080,
             1.0f,
             0.75f,
             82,
             90,
             240,
             {{400, 0}, {400, 40}, {400, 72}, {400, 527}, {400, 560}, {400, 599}},
             {{0, 78}, {400, 78}, {799, 78}, {0, 300}, {799, 300}, {0, 521}, {400, 521}, {799, 521}}},
            {480,
             640,
             0.5625f,
             1.0f,
             170,
             60,
             60,
             {{0, 300}, {100, 300}, {172, 300}, {627, 300}, {700, 300}, {799, 300}},
             {{178, 0}, {400, 0}, {621, 0}, {178, 300}, {621, 300}, {178, 599}, {400, 599}, {621, 599}}}};
        for (const auto& c : cases) {
            VeOpenGLWidget::fitExtents(800, 600, c.width, c.height, a, b);
            QCOMPARE(a, c.a);
            QCOMPARE(b, c.b);
            const Bytes picture = MediaFixtures::solidPicture(c.width, c.height, c.y, c.u, c.v);
            m_widget->setImage(picture.data(), c.width, c.height);
            const QImage image = m_widget->grabFramebuffer();
            QCOMPARE(image.size(), QSize(800, 600));
            for (const QPoint& p : c.bars)
                QVERIFY2(near(image.pixelColor(p), kBackground), qPrintable(describe(image, p)));
            for (const QPoint& p : c.picture)
                QVERIFY2(near(image.pixelColor(p), shaderColour(c.y, c.u, c.v)),
                         qPrintable(describe(image, p)));
        }
    }

    void orientationAndColours() {
        // Four horizontal bands: black, white, red, blue from the top.
        const int w = 640, h = 360;
        Bytes yuv = MediaFixtures::solidPicture(w, h, 16, 128, 128);
        const int bands[4][3] = {{16, 128, 128}, {235, 128, 128}, {82, 90, 240}, {41, 240, 110}};
        const int cw = TvYuvLayout::chromaWidth(w);
        for (int band = 0; band < 4; ++band) {
            for (int row = band * h / 4; row < (band + 1) * h / 4; ++row)
                std::memset(yuv.data() + row * w, bands[band][0], size_t(w));
            for (int row = band * h / 8; row < (band + 1) * h / 8; ++row) {
                std::memset(yuv.data() + TvYuvLayout::uOffset(w, h) + row * cw, bands[band][1], size_t(cw));
                std::memset(yuv.data() + TvYuvLayout::vOffset(w, h) + row * cw, bands[band][2], size_t(cw));
            }
        }
        m_widget->resize(640, 360);
        m_widget->setImage(yuv.data(), w, h);
        const QImage image = m_widget->grabFramebuffer();
        QCOMPARE(image.size(), QSize(640, 360));
        for (int band = 0; band < 4; ++band) {
            const QColor got = image.pixelColor(320, band * 90 + 45);
            const QColor expected = shaderColour(bands[band][0], bands[band][1], bands[band][2]);
            QVERIFY2(
                near(got, expected),
                qPrintable(QString("band %1: %2 vs %3").arg(band).arg(describe(got), describe(expected))));
        }
        m_widget->resize(800, 600);
    }

    void oddSizesClearAndAge() {
        // Planes of odd pictures are exactly their size: nothing may read past them.
        for (QSize size : {QSize(641, 361), QSize(1, 1), QSize(3, 5)}) {
            const Bytes odd = MediaFixtures::solidPicture(size.width(), size.height(), 170, 60, 60);
            m_widget->setImage(odd.data(), size.width(), size.height());
            QVERIFY(near(m_widget->grabFramebuffer().pixelColor(400, 300), shaderColour(170, 60, 60)));
        }
        m_widget->clearImage();
        const QImage image = m_widget->grabFramebuffer();
        for (QPoint p : {QPoint(0, 0), QPoint(400, 300), QPoint(799, 599)})
            QVERIFY(near(image.pixelColor(p), kBackground));
        m_widget->setImage(nullptr, 10, 10); // bad pictures are ignored
        m_widget->setImage(reinterpret_cast<const uint8_t*>("x"), 0, 10);
        QVERIFY(!m_widget->hasImage());

        // Snapshots take a picture at most 200 ms old.
        QByteArray picture;
        int w = 0, h = 0;
        QVERIFY(!m_widget->copyFrame(picture, w, h));
        const Bytes yuv = MediaFixtures::solidPicture(64, 48, 100, 110, 120);
        m_widget->setImage(yuv.data(), 64, 48);
        QVERIFY(m_widget->copyFrame(picture, w, h) && w == 64 && h == 48);
        QVERIFY(picture == QByteArray(reinterpret_cast<const char*>(yuv.data()), int(yuv.size())));
        QTest::qWait(250);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^距离上次已经超过200毫秒 2\\d\\d"));
        QVERIFY(!m_widget->copyFrame(picture, w, h));
    }

    void deletedWithItsContext_data() {
        QTest::addColumn<bool>("moved");
        QTest::newRow("in its window") << false;
        QTest::newRow("after moving to another window") << true;
    }
    void deletedWithItsContext() {
        // Closing a cell deletes its renderer, whose context dies in the base destructor: the context's
        // end must not call back into the half-destroyed renderer (the sanitizer build reports that call).
        QFETCH(bool, moved);
        QWidget window, other;
        auto* gl = new VeOpenGLWidget(&window);
        gl->resize(200, 150);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        gl->grabFramebuffer();
        if (moved) {
            gl->setParent(&other);
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
            gl->show();
            gl->grabFramebuffer();
        }
        const Bytes yuv = MediaFixtures::solidPicture(64, 48, 100, 110, 120);
        gl->setImage(yuv.data(), 64, 48);
        QVERIFY(near(gl->grabFramebuffer().pixelColor(100, 75), shaderColour(100, 110, 120)));
        delete gl;
    }

    void setImageFromAnotherThread() {
        // The decode thread stores; the repaint arrives on the GUI thread through the queued signal.
        const Bytes yuv = MediaFixtures::solidPicture(320, 240, 235, 128, 128);
        QSignalSpy spy(m_widget.get(), &VeOpenGLWidget::updateSignal);
        std::unique_ptr<QThread> t(QThread::create([&]() {
            for (int i = 0; i < 20; ++i)
                m_widget->setImage(yuv.data(), 320, 240);
        }));
        t->start();
        QVERIFY(t->wait(10000));
        QCOMPARE(spy.count(), 20);
        QApplication::processEvents();
        const QImage image = m_widget->grabFramebuffer();
        QVERIFY(near(image.pixelColor(400, 300), shaderColour(235, 128, 128)));
    }

private:
    std::unique_ptr<VeOpenGLWidget> m_widget;
};

int main(int argc, char** argv) {
    // Without an X server the offscreen platform starts, which has no OpenGL: the test then skips.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestRenderer test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_renderer.moc"
