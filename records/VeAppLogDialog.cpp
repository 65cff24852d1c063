#include "VeAppLogDialog.h"

#include "ui_VeAppLogDialog.h"

#include "VeAlarmTableModel.h"
#include "VeDataBase.h"
#include "VeTitleBar.h"

#include <QHeaderView>

VeAppLogDialog::VeAppLogDialog(VeDataBase* database, const QStringList& cameraIds, QWidget* parent)
    : VeBasicDialog(parent), ui(new Ui::VeAppLogDialog), m_database(database),
      m_model(new VeAlarmTableModel(this)) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("日志"), 9);

    ui->tableWidget->setModel(m_model);
    QHeaderView* rows = ui->tableWidget->verticalHeader();
    // Fixed heights keep a long log as quick as a short one: nothing is measured per row.
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(22);
    rows->setMinimumSectionSize(22);
    // 140 pixels, or the full time stamp where the font is wider.
    const int timeWidth =
        ui->tableWidget->fontMetrics().horizontalAdvance(QStringLiteral("0000-00-00 00:00:00"));
    ui->tableWidget->setColumnWidth(0, qMax(140, timeWidth + 16));
    ui->tableWidget->setColumnWidth(1, 120);
    ui->tableWidget->setColumnWidth(2, 140);

    const QSignalBlocker blocker(ui->comboBox_devid);
    ui->comboBox_devid->addItem(tr("全部"));
    ui->comboBox_devid->addItems(cameraIds);
    fill();
}

VeAppLogDialog::~VeAppLogDialog() = default;

QStringList VeAppLogDialog::cameraFilterIds(const QMap<QString, VeCameraModel*>& cloudDevices,
                                            const QMap<QString, VeCameraModel*>& lanDevices) {
    QStringList ids = cloudDevices.keys();
    for (auto it = lanDevices.cbegin(); it != lanDevices.cend(); ++it) {
        if (!cloudDevices.contains(it.key()))
            ids.append(it.key());
    }
    return ids;
}

void VeAppLogDialog::fill() {
    if (!m_database) {
        m_model->setAlarms({});
        return;
    }
    const int index = ui->comboBox_devid->currentIndex();
    m_model->setAlarms(index <= 0 ? m_database->allAlarms()
                                  : m_database->alarmsOf(ui->comboBox_devid->currentText()));
}

void VeAppLogDialog::on_comboBox_devid_currentIndexChanged(int) {
    fill();
}

void VeAppLogDialog::on_pushBtn_clear_log_clicked() {
    if (m_database) {
        const int index = ui->comboBox_devid->currentIndex();
        m_database->deleteAlarms(index <= 0 ? QString() : ui->comboBox_devid->currentText());
    }
    fill();
}
