#include "VeCameraSettingDialog.h"

#include "ui_VeCameraSettingDialog.h"

#include "NxDataCenter.h"
#include "TvDialogSupport.h"
#include "VeCameraModel.h"
#include "VeTitleBar.h"

#include <QDebug>

namespace {
void fillNumbers(QComboBox* box, int from, int to) {
    box->clear();
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    box->addItems(items);
}
} // namespace

VeCameraSettingDialog::VeCameraSettingDialog(VeCameraModel* camera, const VideoParam& param,
                                             const QString& resolution, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeCameraSettingDialog), m_camera(camera), m_param(param),
      m_resolution(resolution) {
    m_initialising = true; // the form's own set-up must not write either
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("Camera设置"), 9);
    ui->pushBtn_ok->hide();
    fill();
}

VeCameraSettingDialog::~VeCameraSettingDialog() = default;

int VeCameraSettingDialog::numberOf(const QComboBox* box) {
    return box->currentText().toInt();
}

void VeCameraSettingDialog::fill() {
    m_initialising = true;
    fillNumbers(ui->comboBox_contrast, 1, 63);
    fillNumbers(ui->comboBox_saturation, 1, 63);
    fillNumbers(ui->comboBox_bright, 1, 63);
    fillNumbers(ui->comboBox_sharp, 1, 63);
    fillNumbers(ui->comboBox_framerate, 1, 30);
    fillNumbers(ui->comboBox_rate, 128, 2048);
    const auto select = [](QComboBox* box, int value) { box->setCurrentText(QString::number(value)); };
    select(ui->comboBox_bright, m_param.bri);
    select(ui->comboBox_contrast, m_param.con);
    select(ui->comboBox_sharp, m_param.sha);
    select(ui->comboBox_saturation, m_param.sat);
    select(ui->comboBox_framerate, m_param.rate);
    select(ui->comboBox_rate, m_param.stream);
    ui->comboBox_cbrvbr->setCurrentIndex(m_param.cbrvbr);
    ui->comboBox_resolution->clear();
    ui->comboBox_resolution->addItem(m_resolution.isEmpty() ? QStringLiteral("1280x720") : m_resolution);
    ui->comboBox_frequency->setCurrentIndex(m_param.frequency == 50 ? 1 : 0);
    if (m_param.sens > 3 || m_param.sens < 0) {
        qWarning() << "motion sensitivity" << m_param.sens << "shown as off";
        m_param.sens = 3;
    }
    ui->comboBox_alarm->setCurrentIndex(m_param.sens);
    ui->comboBox_audio_sence->setEnabled(m_param.audioalarm > 0);
    if (m_param.audioalarm > 0)
        ui->comboBox_audio_sence->setCurrentIndex(qMin(m_param.audioalarm - 1, 3));
    ui->checkBox_ircut->setChecked(m_param.iropen == 1);
    ui->checkBox_pir->setEnabled(m_param.piralarm != 0);
    ui->checkBox_pir->setChecked(m_param.piralarm == 2);
    ui->pushBtn_ok->setEnabled(false);
    m_initialising = false;
}

void VeCameraSettingDialog::change(qint32* field, qint32 selector, qint32 value) {
    if (m_initialising)
        return;
    *field = value;
    write({{selector, value}});
}

void VeCameraSettingDialog::write(const QList<QPair<qint32, qint32>>& writes) {
    if (!m_camera) {
        qWarning() << "camera settings: the camera is gone, nothing written";
        TvDialogSupport::notice(this, tr("设置失败，请检查设备是否在线"));
        return;
    }
    VeCameraModel* camera = m_camera; // records are retired, never destroyed, while the process runs
    NxDataCenter* data = NxDataCenter::instance();
    TvDialogSupport::runJob(
        this,
        [data, camera, writes] {
            for (const auto& w : writes) {
                const qint32 result = data->setVideoParam(camera, w.first, w.second);
                if (result < 0) {
                    qWarning() << "camera setting" << w.first << w.second << "failed" << result;
                    return result;
                }
            }
            return qint32(0);
        },
        [this](qint32 result) {
            if (result >= 0 || m_failureShown)
                return;
            m_failureShown = true; // one box for a camera that went away, not one per control
            TvDialogSupport::notice(this, tr("设置失败，请检查设备是否在线"));
        });
}

void VeCameraSettingDialog::on_comboBox_sharp_currentIndexChanged(int) {
    change(&m_param.sha, 67, numberOf(ui->comboBox_sharp));
}
void VeCameraSettingDialog::on_comboBox_bright_currentIndexChanged(int) {
    change(&m_param.bri, 50, numberOf(ui->comboBox_bright));
}
void VeCameraSettingDialog::on_comboBox_contrast_currentIndexChanged(int) {
    change(&m_param.con, 52, numberOf(ui->comboBox_contrast));
}
void VeCameraSettingDialog::on_comboBox_resolution_currentIndexChanged(int) {
    if (!m_initialising)
        ui->pushBtn_ok->setEnabled(true);
}
void VeCameraSettingDialog::on_comboBox_framerate_currentIndexChanged(int) {
    change(&m_param.rate, 57, numberOf(ui->comboBox_framerate));
}
void VeCameraSettingDialog::on_comboBox_frequency_currentIndexChanged(int index) {
    change(&m_param.frequency, 70, index != 0 ? 50 : 60);
}
void VeCameraSettingDialog::on_comboBox_rate_currentIndexChanged(int) {
    change(&m_param.stream, 54, numberOf(ui->comboBox_rate));
}
void VeCameraSettingDialog::on_comboBox_alarm_currentIndexChanged(int index) {
    change(&m_param.sens, 59, index);
}
void VeCameraSettingDialog::on_comboBox_saturation_currentIndexChanged(int) {
    change(&m_param.sat, 53, numberOf(ui->comboBox_saturation));
}
void VeCameraSettingDialog::on_comboBox_audio_sence_currentIndexChanged(int index) {
    change(&m_param.audioalarm, 112, index + 1);
}
void VeCameraSettingDialog::on_checkBox_ircut_clicked(bool checked) {
    change(&m_param.iropen, 114, checked ? 1 : 0);
}
void VeCameraSettingDialog::on_checkBox_pir_clicked(bool checked) {
    change(&m_param.piralarm, 113, checked ? 2 : 1);
}
void VeCameraSettingDialog::on_comboBox_cbrvbr_currentIndexChanged(int index) {
    change(&m_param.cbrvbr, 106, index);
}

void VeCameraSettingDialog::on_pushBtn_reset_clicked() {
    write(TvDialogSupport::resetVideoDefaults(&m_param));
    fill();
}

void VeCameraSettingDialog::on_pushBtn_ok_clicked() {
    accept();
}

void VeCameraSettingDialog::on_pushBtn_cancel_clicked() {
    reject();
}
