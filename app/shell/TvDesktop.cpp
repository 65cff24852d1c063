#include "TvDesktop.h"

#include <QDebug>
#include <QDesktopServices>
#include <QUrl>

namespace TvDesktop {

bool openFolder(const QString& path) {
    const bool ok = QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    if (!ok)
        qWarning() << "no program could open the folder" << path;
    return ok;
}

} // namespace TvDesktop
