#include "VeSDFileEntry.h"

#include <QList>

const char* const VeSDFileEntry::kTimeFormat = "yyyyMMddhhmmss";

namespace {

// The value after "=" of one key=value part; false when the part has no "=".
bool valueOf(const QByteArray& part, QByteArray* value) {
    const int equals = part.indexOf('=');
    if (equals < 0)
        return false;
    *value = part.mid(equals + 1).trimmed();
    return true;
}

} // namespace

bool VeSDFileEntry::parse(const QByteArray& text, VeSDFileEntry* entry, QString* problem) {
    const QList<QByteArray> parts = text.split(';');
    if (parts.size() < 3) {
        *problem = QStringLiteral("fewer than three parts");
        return false;
    }
    QByteArray name, id, size;
    if (!valueOf(parts.at(0), &name) || !valueOf(parts.at(1), &id) || !valueOf(parts.at(2), &size)) {
        *problem = QStringLiteral("a part without \"=\"");
        return false;
    }
    VeSDFileEntry out;
    out.name = QString::fromUtf8(name);
    if (out.name.count(QLatin1Char('.')) > 1)
        out.name.remove(QStringLiteral(".nxv"));
    // The name becomes a local file name: nothing in it may lead out of the recording folder.
    if (out.name.isEmpty() || out.name.startsWith(QLatin1Char('.')) || out.name.contains(QLatin1Char('/')) ||
        out.name.contains(QLatin1Char('\\'))) {
        *problem = QStringLiteral("unusable file name");
        return false;
    }
    bool idOk = false, sizeOk = false;
    out.id = id.toInt(&idOk);
    out.size = size.toInt(&sizeOk);
    if (!idOk || !sizeOk || out.id < 0 || out.size < 0) {
        *problem = QStringLiteral("id or size is not a number of zero or more");
        return false;
    }
    *entry = out;
    return true;
}

QDateTime VeSDFileEntry::startTime() const {
    if (name.size() < 14)
        return QDateTime();
    return QDateTime::fromString(name.left(14), QLatin1String(kTimeFormat));
}

QString VeSDFileEntry::localFileName() const {
    return name.section(QLatin1Char('.'), 0, 0) + QStringLiteral(".mov");
}

QSize VeSDFileEntry::frameSize(int resolution, bool* known) {
    static const QSize sizes[] = {{320, 180}, {352, 288}, {320, 240},  {640, 360}, {640, 480},
                                  {704, 480}, {704, 576}, {1024, 768}, {1280, 720}};
    const bool listed = resolution >= 1 && resolution <= 9;
    // 0 is the main stream's full size, named by the SDK itself.
    if (known)
        *known = listed || resolution == 0;
    return listed ? sizes[resolution - 1] : QSize(1920, 1080);
}
