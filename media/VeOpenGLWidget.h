#pragma once

#include <QByteArray>
#include <QMutex>
#include <QOpenGLFunctions>
#include <QOpenGLWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QOpenGLShader;
class QOpenGLShaderProgram;

// Shows a cell's newest planar YUV 4:2:0 picture (TvYuvLayout), converted to RGB by a fragment shader,
// centred with its aspect ratio kept.
class VeOpenGLWidget : public QOpenGLWidget, protected QOpenGLFunctions {
    Q_OBJECT
public:
    explicit VeOpenGLWidget(QWidget* parent = nullptr);
    ~VeOpenGLWidget() override;

    // Any thread (the decode thread): stores a copy and schedules a repaint on the GUI thread.
    void setImage(const uint8_t* yuv, int width, int height);
    // Drops the picture; the next paint draws only the background.
    void clearImage();
    // A copy of the picture when it is at most 200 ms old (for snapshots).
    bool copyFrame(QByteArray& picture, int& width, int& height);
    bool hasImage();

    // Half-extents of the drawn quad in normalised device coordinates for a picture in a widget.
    static void fitExtents(int widgetWidth, int widgetHeight, int pictureWidth, int pictureHeight, float& a,
                           float& b);

signals:
    void updateSignal();

private slots:
    void updateSlot();

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private:
    void releaseGL();
    void upload(int unit, unsigned texture, int width, int height, const uint8_t* data);

    int m_uniforms[3] = {-1, -1, -1};
    unsigned m_textures[3] = {0, 0, 0};
    std::unique_ptr<QOpenGLShaderProgram> m_program;
    QMetaObject::Connection m_contextConnection;
    bool m_glReady = false;

    QMutex m_mutex;
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_picture; // empty when there is none
    qint64 m_pictureTime = 0;
};
