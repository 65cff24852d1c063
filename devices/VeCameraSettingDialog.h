#pragma once

#include "NxParamRecords.h"
#include "VeBasicDialog.h"

#include <QPointer>
#include <QString>

#include <memory>

class QComboBox;
class VeCameraModel;

namespace Ui {
class VeCameraSettingDialog;
}

// A camera's image, encoding and detection settings; every change is written to the camera at once,
// one parameter at a time, on the device service's worker thread.
class VeCameraSettingDialog : public VeBasicDialog {
    Q_OBJECT
public:
    // `resolution` is the size the camera's cell decoded ("1280x720" when empty).
    VeCameraSettingDialog(VeCameraModel* camera, const VideoParam& param, const QString& resolution,
                          QWidget* parent = nullptr);
    ~VeCameraSettingDialog() override;

    const VideoParam& param() const { return m_param; }

private slots:
    void on_comboBox_sharp_currentIndexChanged(int index);
    void on_comboBox_bright_currentIndexChanged(int index);
    void on_comboBox_contrast_currentIndexChanged(int index);
    void on_comboBox_resolution_currentIndexChanged(int index);
    void on_comboBox_framerate_currentIndexChanged(int index);
    void on_comboBox_frequency_currentIndexChanged(int index);
    void on_comboBox_rate_currentIndexChanged(int index);
    void on_comboBox_alarm_currentIndexChanged(int index);
    void on_pushBtn_reset_clicked();
    void on_pushBtn_ok_clicked();
    void on_pushBtn_cancel_clicked();
    void on_comboBox_saturation_currentIndexChanged(int index);
    void on_comboBox_audio_sence_currentIndexChanged(int index);
    void on_checkBox_ircut_clicked(bool checked);
    void on_checkBox_pir_clicked(bool checked);
    void on_comboBox_cbrvbr_currentIndexChanged(int index);

private:
    void fill();
    // Stores the value in its field and writes it, unless the form is being filled.
    void change(qint32* field, qint32 selector, qint32 value);
    // Writes (selector, value) pairs in order; the first failure is reported once.
    void write(const QList<QPair<qint32, qint32>>& writes);
    static int numberOf(const QComboBox* box);

    std::unique_ptr<Ui::VeCameraSettingDialog> ui;
    QPointer<VeCameraModel> m_camera;
    VideoParam m_param;
    QString m_resolution;
    bool m_initialising = false;
    bool m_failureShown = false;
};
