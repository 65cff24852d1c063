#pragma once

#include <QString>

// Small process-wide helpers shared by the shell and the dialogs.
namespace TvGlobal {

// The e-mail pattern the e-mail alarm fields share (QRegExp syntax).
extern const char* const kEmailPattern;

// Whether the whole text matches the e-mail pattern, case-sensitively.
bool isValidEmail(const QString& text);

// "CPU : N%": the machine's load since the previous call (since boot on the first call).
QString cpuUsageText();

// ":/tr_zh_CN" for language 0, ":/tr_en_US" for every other value.
QString translatorPathFor(int language);

} // namespace TvGlobal
