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

QString describe(const QImage& image, QPoint p) {
    const QColor c = image.pixelColor(p);
    return QString("%1,%2: (%3,%4,%5)").arg(p.x()).arg(p.y()).arg(c.red()).arg(c.green()).arg(c.blue());
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

    void fitOrientationAndColours() {
        float a = 0, b = 0;
        VeOpenGLWidget::fitExtents(800, 0, 100, 0, a, b); // degenerate sizes never divide by zero
        QVERIFY(std::isfinite(a) && std::isfinite(b));
        // In 800x600 a wide picture fills the width (rows 75 to 524, bars above and below), a tall one the
        // height (columns 175 to 624, bars left and right). The top half is black, the bottom half red:
        // the first picture row is drawn at the top.
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
                      {{178, 599}, {621, 599}, {400, 320}}}};
        for (const auto& c : cases) {
            const uint8_t black[3] = {16, 128, 128}, red[3] = {82, 90, 240};
            const Bytes picture = MediaFixtures::twoBands(c.width, c.height, black, red);
            m_widget->setImage(picture.data(), c.width, c.height);
            const QImage image = m_widget->grabFramebuffer();
            for (const auto& [points, colour] :
                 {std::make_pair(c.bars, kBackground), std::make_pair(c.top, shaderColour(16, 128, 128)),
                  std::make_pair(c.bottom, shaderColour(82, 90, 240))})
                for (const QPoint& p : points)
                    QVERIFY2(near(image.pixelColor(p), colour), qPrintable(describe(image, p)));
        }
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
        QTest::ignoreMessage(
            QtWarningMsg,
            QRegularExpression("^距离上次已经超过200毫秒 (2[0-9][0-9]|[3-9][0-9][0-9]|[0-9]{4,})$"));
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
