#include "VeOpenGLWidget.h"

#include "TvMutexLocker.h"
#include "TvYuvLayout.h"

#include <QDateTime>
#include <QDebug>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>

#include <cstring>

namespace {

const char* const kVertexShader = "attribute vec4 vertexIn;\n"
                                  "attribute vec2 textureIn;\n"
                                  "varying vec2 textureOut;\n"
                                  "void main(void)\n"
                                  "{\n"
                                  "    gl_Position = vertexIn;\n"
                                  "    textureOut = textureIn;\n"
                                  "}\n";

const char* const kFragmentShader = "varying lowp vec2 textureOut;\n"
                                    "uniform sampler2D tex_y;\n"
                                    "uniform sampler2D tex_u;\n"
                                    "uniform sampler2D tex_v;\n"
                                    "void main(void)\n"
                                    "{\n"
                                    "    mediump vec3 yuv;\n"
                                    "    mediump vec3 rgb;\n"
                                    "    yuv.x = texture2D(tex_y, textureOut).r;\n"
                                    "    yuv.y = texture2D(tex_u, textureOut).r - 0.5;\n"
                                    "    yuv.z = texture2D(tex_v, textureOut).r - 0.5;\n"
                                    "    rgb = mat3(1.0, 1.0, 1.0,\n"
                                    "               0.0, -0.39465, 2.03211,\n"
                                    "               1.13983, -0.58060, 0.0) * yuv;\n"
                                    "    gl_FragColor = vec4(rgb, 1.0);\n"
                                    "}\n";

constexpr int kVertexLocation = 3;
constexpr int kTextureLocation = 4;
const char* const kSamplerNames[3] = {"tex_y", "tex_u", "tex_v"};

} // namespace

VeOpenGLWidget::VeOpenGLWidget(QWidget* parent) : QOpenGLWidget(parent) {
    connect(this, &VeOpenGLWidget::updateSignal, this, &VeOpenGLWidget::updateSlot, Qt::AutoConnection);
}

VeOpenGLWidget::~VeOpenGLWidget() {
    // The base destructor destroys the context, whose aboutToBeDestroyed would then call releaseGL on an
    // object that is no longer a VeOpenGLWidget: let go of it first and release here.
    QObject::disconnect(m_contextConnection);
    releaseGL();
}

void VeOpenGLWidget::releaseGL() {
    if (!m_glReady || !context())
        return;
    makeCurrent();
    glDeleteTextures(3, m_textures);
    m_program.reset();
    doneCurrent();
    m_glReady = false;
}

void VeOpenGLWidget::setImage(const uint8_t* yuv, int width, int height) {
    if (!yuv || !TvYuvLayout::validSize(width, height))
        return;
    {
        TvMutexLocker lock(&m_mutex);
        const size_t bytes = size_t(TvYuvLayout::pictureSize(width, height));
        m_width = width;
        m_height = height;
        m_picture.resize(bytes);
        std::memcpy(m_picture.data(), yuv, bytes);
        m_pictureTime = QDateTime::currentMSecsSinceEpoch();
    }
    emit updateSignal();
}

void VeOpenGLWidget::clearImage() {
    {
        TvMutexLocker lock(&m_mutex);
        m_picture.clear();
        m_picture.shrink_to_fit();
        m_width = 0;
        m_height = 0;
    }
    update();
}

bool VeOpenGLWidget::copyFrame(QByteArray& picture, int& width, int& height) {
    TvMutexLocker lock(&m_mutex);
    if (m_picture.empty())
        return false;
    const qint64 age = QDateTime::currentMSecsSinceEpoch() - m_pictureTime;
    if (age > 200) {
        qWarning() << "距离上次已经超过200毫秒" << age;
        return false;
    }
    picture = QByteArray(reinterpret_cast<const char*>(m_picture.data()), int(m_picture.size()));
    width = m_width;
    height = m_height;
    return true;
}

bool VeOpenGLWidget::hasImage() {
    TvMutexLocker lock(&m_mutex);
    return !m_picture.empty();
}

void VeOpenGLWidget::fitExtents(int widgetWidth, int widgetHeight, int pictureWidth, int pictureHeight,
                                float& a, float& b) {
    const float w = float(widgetWidth > 0 ? widgetWidth : 1);
    const float h = float(widgetHeight > 0 ? widgetHeight : 1);
    const float r = float(pictureWidth) / float(pictureHeight > 0 ? pictureHeight : 1);
    if (w / h > r) {
        a = h * r / w; // bars left and right
        b = 1.0f;
    } else {
        a = 1.0f;
        b = (w / r) / h; // bars above and below
    }
}

void VeOpenGLWidget::updateSlot() {
    update();
}

void VeOpenGLWidget::initializeGL() {
    TvMutexLocker lock(&m_mutex);
    initializeOpenGLFunctions();
    glEnable(GL_DEPTH_TEST);

    m_program = std::make_unique<QOpenGLShaderProgram>();
    if (!m_program->addShaderFromSourceCode(QOpenGLShader::Fragment, kFragmentShader))
        qWarning() << "fragment shader:" << m_program->log();
    if (!m_program->addShaderFromSourceCode(QOpenGLShader::Vertex, kVertexShader))
        qWarning() << "vertex shader:" << m_program->log();
    m_program->bindAttributeLocation("vertexIn", kVertexLocation);
    m_program->bindAttributeLocation("textureIn", kTextureLocation);
    if (!m_program->link() || !m_program->bind())
        qWarning() << "shader program:" << m_program->log();
    for (int i = 0; i < 3; ++i)
        m_uniforms[i] = m_program->uniformLocation(kSamplerNames[i]);
    glGenTextures(3, m_textures);
    glClearColor(34.0f / 255.0f, 34.0f / 255.0f, 34.0f / 255.0f, 0.0f);
    m_glReady = true;
    // The context can go away before the widget (re-parenting, window close): free the GL side then.
    QObject::disconnect(m_contextConnection);
    m_contextConnection =
        connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, &VeOpenGLWidget::releaseGL);
}

void VeOpenGLWidget::resizeGL(int width, int height) {
    glViewport(0, 0, width, height == 0 ? 1 : height);
}

void VeOpenGLWidget::upload(int unit, unsigned texture, int width, int height, const uint8_t* data) {
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RED, width, height, 0, GL_RED, GL_UNSIGNED_BYTE, data);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void VeOpenGLWidget::paintGL() {
    TvMutexLocker lock(&m_mutex);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (m_picture.empty() || !m_glReady)
        return;
    const int w = m_width;
    const int h = m_height;
    const uint8_t* base = m_picture.data();
    // Rows of odd widths are not 4-byte aligned.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    upload(0, m_textures[0], w, h, base);
    upload(1, m_textures[1], TvYuvLayout::chromaWidth(w), TvYuvLayout::chromaHeight(h),
           base + TvYuvLayout::uOffset(w, h));
    upload(2, m_textures[2], TvYuvLayout::chromaWidth(w), TvYuvLayout::chromaHeight(h),
           base + TvYuvLayout::vOffset(w, h));

    m_program->bind();
    for (int i = 0; i < 3; ++i)
        glUniform1i(m_uniforms[i], i);

    float a = 1.0f;
    float b = 1.0f;
    const qreal ratio = devicePixelRatioF();
    fitExtents(int(width() * ratio), int(height() * ratio), w, h, a, b);
    const GLfloat vertices[] = {-a, -b, a, -b, -a, b, a, b};
    static const GLfloat textureCoords[] = {0.0f, 1.0f, 1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 0.0f};
    glVertexAttribPointer(kVertexLocation, 2, GL_FLOAT, GL_FALSE, 0, vertices);
    glEnableVertexAttribArray(kVertexLocation);
    glVertexAttribPointer(kTextureLocation, 2, GL_FLOAT, GL_FALSE, 0, textureCoords);
    glEnableVertexAttribArray(kTextureLocation);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(kVertexLocation);
    glDisableVertexAttribArray(kTextureLocation);
}
