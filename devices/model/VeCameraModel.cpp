#include "VeCameraModel.h"

#include "DeviceRecord.h"
#include "TvDeviceQuery.h"

#include <QDebug>

#include <cstring>

namespace {

// A field's text ends at its first zero or at the field's end, whichever comes first.
QByteArray fieldBytes(const char* field, size_t size) {
    const void* zero = std::memchr(field, 0, size);
    const size_t length = zero ? static_cast<size_t>(static_cast<const char*>(zero) - field) : size;
    return QByteArray(field, static_cast<int>(length));
}

void copyField(char* field, size_t size, const QByteArray& bytes) {
    std::memcpy(field, bytes.constData(), std::min(size, static_cast<size_t>(bytes.size())));
}

// UTF-8 cut so that no character is split: a continuation byte (10xxxxxx) never starts the cut-off tail.
QByteArray utf8Prefix(const QString& text, int maxBytes) {
    QByteArray bytes = text.toUtf8();
    if (bytes.size() <= maxBytes)
        return bytes;
    int end = maxBytes;
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    bytes.truncate(end);
    return bytes;
}

} // namespace

VeCameraModel::VeCameraModel(const QString& deviceId, const QString& alias, const QString& devFlag,
                             const QString& audioTypeText, qint32 nxid, qint32 online,
                             const QString& devAccess, const QString& userAccess, QObject* parent)
    : QObject(parent), deviceId(deviceId), alias(alias), devFlag(devFlag), audioTypeText(audioTypeText),
      audioType(audioTypeFor(audioTypeText)), devAccess(devAccess), userAccess(userAccess), nxid(nxid),
      online(online) {}

VeCameraModel::~VeCameraModel() {
    qWarning() << "~VeCameraModel";
}

AudioType VeCameraModel::audioTypeFor(const QString& text) {
    if (text == QLatin1String("PCM"))
        return AudioTypePCM;
    if (text == QLatin1String("G711"))
        return AudioTypeG711;
    if (text == QLatin1String("G726"))
        return AudioTypeG726;
    if (text == QLatin1String("G729"))
        return AudioTypeG729;
    return AudioTypePCM;
}

VeCameraModel* VeCameraModel::fromDeviceRecord(const DeviceRecord& r, QObject* parent) {
    const auto latin1 = [](const char* field, size_t size) {
        return QString::fromLatin1(fieldBytes(field, size));
    };
    return new VeCameraModel(
        latin1(r.deviceId, sizeof r.deviceId), QString::fromUtf8(fieldBytes(r.alias, sizeof r.alias)),
        latin1(r.devFlag, sizeof r.devFlag), latin1(r.audioTypeText, sizeof r.audioTypeText), 0, 0,
        latin1(r.devAccess, sizeof r.devAccess), latin1(r.userAccess, sizeof r.userAccess), parent);
}

bool VeCameraModel::isLanOnline() const {
    const TvDeviceQuery* query = TvDeviceQuery::installed();
    return query && query->isLanDevice(deviceId);
}

bool VeCameraModel::isOnline() const {
    if (isLanOnline())
        return true;
    const TvDeviceQuery* query = TvDeviceQuery::installed();
    return query && query->isWanOnline(deviceId);
}

bool VeCameraModel::isAccessPwdValid() const {
    const TvDeviceQuery* query = TvDeviceQuery::installed();
    return query && query->checkAccessPwd(userAccess, devAccess);
}

void VeCameraModel::toDeviceRecord(DeviceRecord* r) const {
    std::memset(r, 0, sizeof *r);
    copyField(r->deviceId, sizeof r->deviceId, deviceId.toLatin1());
    copyField(r->alias, sizeof r->alias, utf8Prefix(alias, sizeof r->alias));
    copyField(r->devFlag, sizeof r->devFlag, devFlag.toLatin1());
    copyField(r->audioTypeText, sizeof r->audioTypeText, audioTypeText.toLatin1());
    copyField(r->devAccess, sizeof r->devAccess, devAccess.toLatin1());
    copyField(r->userAccess, sizeof r->userAccess, userAccess.toLatin1());
}
