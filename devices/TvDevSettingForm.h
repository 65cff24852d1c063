#pragma once

#include "NxParamRecords.h"

#include <QString>

namespace Ui {
class VeDevSettingDialog;
}

// Fills the device settings pages from the camera's records, and the rules for what goes back: the
// address check, the e-mail pattern, the SMTP guess and the cut of texts into the records' fields.
namespace TvDevSettingForm {

void fillWired(Ui::VeDevSettingDialog* ui, const IPInfo& info);
void fillWireless(Ui::VeDevSettingDialog* ui, const WiFiInfo& info);
// Normalises the motion and sound values it cannot show.
void fillVideo(Ui::VeDevSettingDialog* ui, VideoParam* param, const QString& resolution);
void fillSD(Ui::VeDevSettingDialog* ui, const SDInfo& info, bool lanOnline);
void fillEmail(Ui::VeDevSettingDialog* ui, const EmailInfo& info);

// The pages read back into the records. Each returns the message for the first refused field, or an
// empty text when the record was filled.
QString readWired(Ui::VeDevSettingDialog* ui, IPInfo* info);
// The split size must be 5 to 100 MB; false (and the record untouched) otherwise.
bool readSD(Ui::VeDevSettingDialog* ui, SDInfo* info);
// An empty port becomes 25; addresses must match the e-mail pattern when given; texts cut to their fields.
QString readEmail(Ui::VeDevSettingDialog* ui, EmailInfo* info);
// The write form: the network and its password with the rest of the wireless record as read.
WiFiConfig wifiConfig(const WiFiInfo& info, const QString& sid, const QString& pwd);

// Four dot-separated parts, none empty (the editor keeps each part within 0..255).
bool validAddress(const QString& address);
bool validEmail(const QString& address);
// "smtp." and what follows the first "@"; empty when the text has no "@".
QString smtpGuess(const QString& sender);
// The text as UTF-8 cut to the field's size less its terminating zero, never inside a character.
void copyField(char* field, int size, const QString& text);
template <int N> void copyField(char (&field)[N], const QString& text) {
    copyField(field, N, text);
}

} // namespace TvDevSettingForm
