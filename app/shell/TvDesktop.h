#pragma once

#include <QString>

// Hands folders and files to the desktop's own file manager or viewer.
namespace TvDesktop {

// Opens the folder in the file manager; false (and a log line) when nothing could open it.
bool openFolder(const QString& path);

} // namespace TvDesktop
