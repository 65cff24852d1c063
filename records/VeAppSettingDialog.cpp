#include "VeAppSettingDialog.h"

#include "ui_VeAppSettingDialog.h"

#include "TvDefaultSettings.h"
#include "VeTitleBar.h"

#include <QDebug>
#include <QDesktopServices>
#include <QFileDialog>
#include <QRegularExpressionValidator>
#include <QUrl>

VeAppSettingDialog::VeAppSettingDialog(QWidget* parent)
    : VeBasicDialog(parent), ui(std::make_unique<Ui::VeAppSettingDialog>()) {
    ui->setupUi(this);
    initTitleBar();
    m_titleBar->setTitleContent(tr("设置"), 9);
    // Only a port, 1 to 65535, can be typed (an integer validator would let 70000 through as intermediate);
    // whatever still reaches OK is converted as stored.
    const QRegularExpression port(QStringLiteral(
        "[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5]"));
    ui->lineEdit_server_port->setValidator(new QRegularExpressionValidator(port, ui->lineEdit_server_port));
    fill();
}

VeAppSettingDialog::~VeAppSettingDialog() = default;

void VeAppSettingDialog::fill() {
    m_loading = true;
    TvDefaultSettings* settings = TvDefaultSettings::instance();
    ui->lineEdit_snap_dir->setText(settings->snapDir());
    ui->lineEdit_rec_dir->setText(settings->videoDir());

    m_serverAddrs = settings->localServerList();
    m_serverTexts = m_serverAddrs;
    ui->comboBox_server_addr->clear();
    const QString current = settings->serverAddr();
    if (!m_serverAddrs.contains(current)) {
        m_serverAddrs.append(current);
        m_serverTexts.append(current);
    }
    for (int i = 0; i < m_serverAddrs.size(); ++i)
        ui->comboBox_server_addr->addItem(m_serverTexts.at(i), m_serverAddrs.at(i));
    ui->comboBox_server_addr->setCurrentIndex(m_serverAddrs.indexOf(current));

    ui->lineEdit_server_port->setText(QString::number(settings->serverPort()));
    ui->checkBox_exit_confirm->setChecked(settings->logoutConfirm());
    ui->checkBox_adaptive_streams->setChecked(settings->adaptiveStreams());

    ui->comboBox_language->clear();
    ui->comboBox_language->addItem(tr("简体中文"));
    ui->comboBox_language->addItem(tr("繁体中文"));
    ui->comboBox_language->addItem(tr("English"));
    ui->comboBox_language->setCurrentIndex(settings->language());
    m_loading = false;
}

void VeAppSettingDialog::chooseFolder(QLineEdit* edit) {
    qWarning() << "dirName" << edit->text();
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Recording Folder"), edit->text(),
                                          QFileDialog::ShowDirsOnly | QFileDialog::DontResolveSymlinks);
    if (folder.isEmpty())
        return;
    edit->setText(folder);
    edit->setToolTip(folder);
}

void VeAppSettingDialog::openFolder(const QString& folder) {
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(folder)))
        qWarning() << "folder cannot be shown:" << folder;
}

void VeAppSettingDialog::on_pushBtn_snap_select_clicked() {
    chooseFolder(ui->lineEdit_snap_dir);
}

void VeAppSettingDialog::on_pushBtn_snap_open_clicked() {
    openFolder(ui->lineEdit_snap_dir->text());
}

void VeAppSettingDialog::on_lineEdit_rec_select_clicked() {
    chooseFolder(ui->lineEdit_rec_dir);
}

void VeAppSettingDialog::on_lineEdit_rec_open_clicked() {
    openFolder(ui->lineEdit_rec_dir->text());
}

void VeAppSettingDialog::on_pushBtn_ok_clicked() {
    TvDefaultSettings* settings = TvDefaultSettings::instance();
    settings->setSnapDir(ui->lineEdit_snap_dir->text());
    settings->setVideoDir(ui->lineEdit_rec_dir->text());

    const QString text = ui->comboBox_server_addr->currentText();
    const int offered = m_serverTexts.indexOf(text);
    const QString addr = offered >= 0 ? m_serverAddrs.at(offered) : text;
    settings->setServerAddr(addr);
    // Not a number stores 0, as a stored port of the wrong type reads.
    settings->setServerPort(ui->lineEdit_server_port->text().toInt());
    settings->addLocalServer(addr);
    accept();
}

void VeAppSettingDialog::on_pushBtn_cancel_clicked() {
    close();
}

void VeAppSettingDialog::on_checkBox_exit_confirm_clicked(bool checked) {
    TvDefaultSettings::instance()->setLogoutConfirm(checked);
}

void VeAppSettingDialog::on_checkBox_adaptive_streams_clicked(bool checked) {
    TvDefaultSettings::instance()->setAdaptiveStreams(checked);
}

void VeAppSettingDialog::on_comboBox_language_currentIndexChanged(int index) {
    if (m_loading)
        return;
    TvDefaultSettings::instance()->setLanguage(index);
}
