#include "TvDevSettingForm.h"

#include "ui_VeDevSettingDialog.h"

#include "TvDialogSupport.h"

#include <QDebug>

#include <QRegExp>
#include <QRegExpValidator>

#include <cstring>

namespace TvDevSettingForm {

namespace {
const char kEmailPattern[] = "[A-Z0-9a-z._%+-]+@[A-Za-z0-9._-]+\\.[A-Za-z]{2,4}";

void fillNumbers(QComboBox* box, int from, int to, int selected) {
    box->clear();
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    box->addItems(items);
    box->setCurrentText(QString::number(selected));
}
QString tr(const char* text) {
    return QCoreApplication::translate("VeDevSettingDialog", text);
}
QString trLogin(bool ok) {
    return ok ? QCoreApplication::translate("VeDevSettingDialog", "登录成功")
              : QCoreApplication::translate("VeDevSettingDialog", "登录失败");
}
} // namespace

void fillWired(Ui::VeDevSettingDialog* ui, const IPInfo& info) {
    ui->label_login_state->setText(trLogin(info.status == 200));
    ui->lineEdit_ip->setText(QString::fromUtf8(info.ip));
    ui->lineEdit_mask->setText(QString::fromUtf8(info.mask));
    ui->lineEdit_gateway->setText(QString::fromUtf8(info.gateway));
    ui->lineEdit_DNS->setText(QString::fromUtf8(info.dns));
    ui->lineEdit_mac->setText(QString::fromUtf8(info.mac));
    const bool dhcp = info.flag == 1;
    ui->radioBtn_dhcp->setChecked(dhcp);
    ui->radioBtn_manule_ip->setChecked(!dhcp);
    for (QWidget* edit : {ui->lineEdit_ip, ui->lineEdit_mask, ui->lineEdit_gateway, ui->lineEdit_DNS})
        edit->setEnabled(!dhcp);
    const QString ip = QString::fromUtf8(info.ip).toHtmlEscaped();
    ui->label_IE_addr->setText(QStringLiteral("<a href = http://%1>http://%1</a>").arg(ip));
    ui->label_rtsp_addr->setText(
        QStringLiteral("<a href = http://%1:8554/1.3gp>http://%1:8554/1.3gp</a>").arg(ip));
}

void fillWireless(Ui::VeDevSettingDialog* ui, const WiFiInfo& info) {
    ui->groupBox_wifi->setChecked(info.open == 1);
    const QString sid = QString::fromUtf8(info.sid);
    if (!sid.isEmpty()) {
        ui->comboBox_ssid->addItem(sid, sid);
        ui->comboBox_ssid->setCurrentText(sid);
    }
}

void fillVideo(Ui::VeDevSettingDialog* ui, VideoParam* p, const QString& resolution) {
    fillNumbers(ui->comboBox_sharp, 1, 63, p->sha);
    fillNumbers(ui->comboBox_bright, 1, 63, p->bri);
    fillNumbers(ui->comboBox_contrast, 1, 63, p->con);
    fillNumbers(ui->comboBox_saturation, 1, 63, p->sat);
    fillNumbers(ui->comboBox_framerate, 1, 30, p->rate);
    fillNumbers(ui->comboBox_rate, 128, 2048, p->stream);
    ui->comboBox_cbrvbr->setCurrentIndex(p->cbrvbr);
    ui->comboBox_resolution->clear();
    ui->comboBox_resolution->addItem(resolution.isEmpty() ? QStringLiteral("1280x720") : resolution);
    ui->comboBox_frequency->setCurrentIndex(p->frequency == 50 ? 1 : 0);
    p->sens = qBound(0, p->sens, 3);
    ui->comboBox_alarm->setCurrentIndex(p->sens);
    ui->comboBox_audio_sence->setEnabled(p->audioalarm > 0);
    if (p->audioalarm > 0)
        ui->comboBox_audio_sence->setCurrentIndex(qMin(p->audioalarm - 1, 3));
    ui->checkBox_pir->setEnabled(p->piralarm != 0);
    ui->checkBox_pir->setChecked(p->piralarm == 2);
}

void fillSD(Ui::VeDevSettingDialog* ui, const SDInfo& info, bool lanOnline) {
    ui->label_total_space->setText(QStringLiteral("%1 MB").arg(info.size));
    ui->label_used_space->setText(QStringLiteral("%1 MB").arg(info.use));
    ui->label_free_space->setText(QStringLiteral("%1 MB").arg(info.leftsize));
    ui->checkBox_alarm_rec->setChecked(info.move != 0);
    ui->checkBox_auto_rec->setChecked(info.autoRecord != 0);
    ui->checkBox_cycle_cover->setChecked(info.loopwr != 0);
    ui->checkBox_record_audio->setChecked(info.audio != 0);
    ui->comboBox_rec_quality->setCurrentIndex(info.stream == 1 ? 1 : 0);
    ui->lineEdit_movie_split->setText(QString::number(info.splite));
    ui->pushBtn_format->setEnabled(lanOnline);
}

void fillEmail(Ui::VeDevSettingDialog* ui, const EmailInfo& info) {
    for (QLineEdit* edit : {ui->lineEdit_sender_email, ui->lineEdit_receiver_email})
        edit->setValidator(new QRegExpValidator(QRegExp(QLatin1String(kEmailPattern)), edit));
    ui->lineEdit_sender_email->setText(QString::fromUtf8(info.sedemail));
    ui->lineEdit_sender_pwd->setText(QString::fromUtf8(info.pwd));
    ui->lineEdit_smtp_server->setText(QString::fromUtf8(info.smtpser));
    ui->lineEdit_receiver_email->setText(QString::fromUtf8(info.reemail));
    ui->lineEdit_smtp_port->setText(QString::number(info.port == 0 ? 25 : info.port));
    ui->comboBox_alarm_pic->setCurrentIndex(info.count);
    ui->comboBox_email_encryp->setCurrentIndex(info.entype);
}

QString readWired(Ui::VeDevSettingDialog* ui, IPInfo* info) {
    info->flag = ui->radioBtn_dhcp->isChecked() ? 1 : 0;
    if (info->flag == 1)
        return QString();
    const struct {
        MyIPLineEdit* edit;
        const char* message;
        char* field;
    } rows[] = {
        {ui->lineEdit_ip, QT_TRANSLATE_NOOP("VeDevSettingDialog", "无效的IP地址"), info->ip},
        {ui->lineEdit_mask, QT_TRANSLATE_NOOP("VeDevSettingDialog", "无效的子网掩码"), info->mask},
        {ui->lineEdit_gateway, QT_TRANSLATE_NOOP("VeDevSettingDialog", "无效的网关地址"), info->gateway},
        {ui->lineEdit_DNS, QT_TRANSLATE_NOOP("VeDevSettingDialog", "无效的DNS"), info->dns}};
    for (const auto& r : rows) {
        if (!validAddress(r.edit->text())) {
            qWarning() << "wired settings: address refused" << r.edit->text();
            return tr(r.message);
        }
    }
    for (const auto& r : rows)
        copyField(r.field, sizeof info->ip, r.edit->text());
    return QString();
}

bool readSD(Ui::VeDevSettingDialog* ui, SDInfo* info) {
    bool number = false;
    const int split = ui->lineEdit_movie_split->text().trimmed().toInt(&number);
    if (!number || split < 5 || split > 100) {
        qWarning() << "SD settings: split size refused" << ui->lineEdit_movie_split->text();
        return false;
    }
    info->splite = split;
    info->autoRecord = ui->checkBox_auto_rec->isChecked() ? 1 : 0;
    info->move = ui->checkBox_alarm_rec->isChecked() ? 1 : 0;
    info->loopwr = ui->checkBox_cycle_cover->isChecked() ? 1 : 0;
    info->audio = ui->checkBox_record_audio->isChecked() ? 1 : 0;
    info->stream = ui->comboBox_rec_quality->currentIndex();
    return true;
}

QString readEmail(Ui::VeDevSettingDialog* ui, EmailInfo* info) {
    if (ui->lineEdit_smtp_port->text().isEmpty())
        ui->lineEdit_smtp_port->setText(QStringLiteral("25"));
    const QString sender = ui->lineEdit_sender_email->text();
    const QString receiver = ui->lineEdit_receiver_email->text();
    const QString pwd = ui->lineEdit_sender_pwd->text();
    const QString smtp = ui->lineEdit_smtp_server->text();
    if (!sender.isEmpty() && !validEmail(sender))
        return QCoreApplication::translate("VeDevSettingDialog", "无效的发送者邮箱！");
    if (!receiver.isEmpty() && !validEmail(receiver))
        return QCoreApplication::translate("VeDevSettingDialog", "无效的接收者邮箱！");
    bool number = false;
    const int port = ui->lineEdit_smtp_port->text().toInt(&number);
    if (!number || port < 1 || port > 65535)
        return QCoreApplication::translate("VeDevSettingDialog", "无效的SMTP端口");
    if (TvDialogSupport::breaksRecord(pwd) || TvDialogSupport::breaksRecord(smtp))
        return QCoreApplication::translate("VeDevSettingDialog", "输入的内容不能包含 ; 或 =");
    copyField(info->sedemail, sender);
    copyField(info->user, sender.section(QLatin1Char('@'), 0, 0));
    copyField(info->pwd, pwd);
    info->port = port;
    copyField(info->reemail, receiver);
    copyField(info->smtpser, smtp);
    info->entype = ui->comboBox_email_encryp->currentIndex();
    info->count = ui->comboBox_alarm_pic->currentIndex();
    return QString();
}

WiFiConfig wifiConfig(const WiFiInfo& info, const QString& sid, const QString& pwd) {
    WiFiConfig config{};
    std::memcpy(config.ip, info.ip, sizeof config.ip);
    std::memcpy(config.gateway, info.gateway, sizeof config.gateway);
    std::memcpy(config.mask, info.mask, sizeof config.mask);
    std::memcpy(config.dns, info.dns, sizeof config.dns);
    std::memcpy(config.mac, info.mac, sizeof config.mac);
    std::memcpy(config.security, info.security, sizeof config.security);
    copyField(config.sid, sid);
    copyField(config.pswd, pwd);
    return config;
}

bool validAddress(const QString& address) {
    const QStringList parts = address.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    for (const QString& part : parts)
        if (part.isEmpty())
            return false;
    return true;
}

bool validEmail(const QString& address) {
    return QRegExp(QLatin1String(kEmailPattern)).exactMatch(address);
}

QString smtpGuess(const QString& sender) {
    const int at = sender.indexOf(QLatin1Char('@'));
    return at < 0 ? QString() : QStringLiteral("smtp.") + sender.mid(at + 1);
}

void copyField(char* field, int size, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    int n = qMin(utf8.size(), size - 1);
    // Back off continuation bytes so the cut falls between characters.
    while (n > 0 && n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
        --n;
    std::memset(field, 0, static_cast<size_t>(size));
    std::memcpy(field, utf8.constData(), static_cast<size_t>(n));
}

} // namespace TvDevSettingForm
