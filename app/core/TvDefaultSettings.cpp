#include "TvDefaultSettings.h"

#include "DeviceRecord.h"
#include "TvFileManager.h"
#include "VeCameraModel.h"

#include <QDateTime>
#include <QDebug>
#include <QSettings>
#include <QStandardPaths>

#include <cstring>

const char* const g_settingKey_snapDir = "g_settingKey_snapDir";
const char* const g_settingKey_videoDir = "g_settingKey_videoDir";
const char* const g_settingKey_serverAddr = "g_settingKey_serverAddr";
const char* const g_settingKey_serverPort = "g_settingKey_serverPort";
const char* const g_settingKey_localServerList = "g_settingKey_localServerList";
const char* const g_settingKey_deviceInfo = "g_settingKey_deviceInfo";
const char* const g_settingKey_logout_confirm = "g_settingKey_logout_confirm";
const char* const g_settingKey_language = "g_settingKey_language";
const char* const g_settingKey_adaptiveStreams = "g_settingKey_adaptiveStreams";
const char* const g_settingKey_standardAccess = "g_settingKey_standardAccess";

// Both point at this machine, where the simulated cloud service listens.
const char* const TvDefaultSettings::kCloudHost = "127.0.0.1";
const char* const TvDefaultSettings::kDefaultHost = "127.0.0.1";

namespace {
QString key(const char* name) {
    return QString::fromLatin1(name);
}
QStringList defaultServerList() {
    return {QString::fromLatin1(TvDefaultSettings::kDefaultHost)};
}
} // namespace

TvDefaultSettings* TvDefaultSettings::instance() {
    static TvDefaultSettings* settings = new TvDefaultSettings; // lives until the process ends
    return settings;
}

TvDefaultSettings::TvDefaultSettings(QObject* parent)
    : QObject(parent), m_settings(new QSettings(QSettings::NativeFormat, QSettings::UserScope,
                                                QStringLiteral("ve"), QStringLiteral("KVAB"), this)) {
    if (!m_settings->isWritable())
        qWarning() << "settings store is not writable, changes will not persist:" << m_settings->fileName();
}

void TvDefaultSettings::setAndSync(const char* name, const QVariant& value) {
    m_settings->setValue(key(name), value);
    m_settings->sync();
    if (m_settings->status() != QSettings::NoError)
        qWarning() << "settings could not be written:" << m_settings->fileName() << "status"
                   << m_settings->status();
}

QString TvDefaultSettings::folderSetting(const char* name, const QString& subFolder) {
    if (m_settings->contains(key(name)))
        return m_settings->value(key(name)).toString();
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    TvFileManager::instance()->makePath(cache);
    const QString dir = cache + subFolder;
    // A folder that cannot be made is still stored: its users report the failure when they write there.
    TvFileManager::instance()->makePath(dir);
    setAndSync(name, dir);
    return m_settings->value(key(name), dir).toString();
}

QString TvDefaultSettings::snapDir() {
    return folderSetting(g_settingKey_snapDir, QStringLiteral("/Pictures"));
}
void TvDefaultSettings::setSnapDir(const QString& dir) {
    setAndSync(g_settingKey_snapDir, dir);
}
QString TvDefaultSettings::videoDir() {
    return folderSetting(g_settingKey_videoDir, QStringLiteral("/Videos"));
}
void TvDefaultSettings::setVideoDir(const QString& dir) {
    setAndSync(g_settingKey_videoDir, dir);
}

int TvDefaultSettings::utcOffsetHours() {
    return QDateTime::currentDateTime().offsetFromUtc() / 3600;
}

QString TvDefaultSettings::serverAddr() {
    const int offset = utcOffsetHours();
    qWarning() << "timezone is" << offset;
    if (offset != 8)
        return QString::fromLatin1(kCloudHost);
    return m_settings->value(key(g_settingKey_serverAddr), QString::fromLatin1(kDefaultHost)).toString();
}

void TvDefaultSettings::setServerAddr(const QString& addr) {
    setAndSync(g_settingKey_serverAddr, addr);
}

int TvDefaultSettings::serverPort() {
    return m_settings->value(key(g_settingKey_serverPort), kDefaultPort).toInt();
}
void TvDefaultSettings::setServerPort(int port) {
    setAndSync(g_settingKey_serverPort, port);
}

QStringList TvDefaultSettings::localServerList() {
    return m_settings->value(key(g_settingKey_localServerList), defaultServerList()).toStringList();
}

void TvDefaultSettings::addLocalServer(const QString& addr) {
    const QStringList defaults = defaultServerList();
    if (defaults.contains(addr))
        return;
    QStringList list = localServerList();
    list.removeAll(addr);
    // Right after the default entries: default host, then the newest address, then older ones.
    list.insert(std::min(defaults.size(), list.size()), addr);
    setAndSync(g_settingKey_localServerList, list);
}

void TvDefaultSettings::saveDeviceInfo(QList<VeCameraModel*> list) {
    QByteArray bytes;
    bytes.reserve(static_cast<int>(sizeof(DeviceRecord)) * list.size());
    for (const VeCameraModel* camera : list) {
        if (!camera)
            continue;
        DeviceRecord record;
        camera->toDeviceRecord(&record);
        bytes.append(reinterpret_cast<const char*>(&record), static_cast<int>(sizeof record));
    }
    m_settings->setValue(key(g_settingKey_deviceInfo), bytes);
}

QList<VeCameraModel*> TvDefaultSettings::loadDeviceInfo() {
    QList<VeCameraModel*> list;
    if (!m_settings->contains(key(g_settingKey_deviceInfo)))
        return list;
    const QByteArray bytes = m_settings->value(key(g_settingKey_deviceInfo)).toByteArray();
    const int count = bytes.size() / static_cast<int>(sizeof(DeviceRecord));
    if (bytes.size() % static_cast<int>(sizeof(DeviceRecord)) != 0)
        qWarning() << "saved device list has" << bytes.size() % static_cast<int>(sizeof(DeviceRecord))
                   << "trailing bytes, ignored";
    for (int i = 0; i < count; ++i) {
        DeviceRecord record;
        std::memcpy(&record, bytes.constData() + i * static_cast<int>(sizeof record), sizeof record);
        list.append(VeCameraModel::fromDeviceRecord(record));
    }
    return list;
}

bool TvDefaultSettings::logoutConfirm() {
    return m_settings->value(key(g_settingKey_logout_confirm), true).toBool();
}
void TvDefaultSettings::setLogoutConfirm(bool on) {
    setAndSync(g_settingKey_logout_confirm, on);
}

int TvDefaultSettings::language() {
    return m_settings->value(key(g_settingKey_language), kDefaultLanguage).toInt();
}
void TvDefaultSettings::setLanguage(int language) {
    setAndSync(g_settingKey_language, language);
}

bool TvDefaultSettings::adaptiveStreams() {
    return m_settings->value(key(g_settingKey_adaptiveStreams), true).toBool();
}
void TvDefaultSettings::setAdaptiveStreams(bool on) {
    setAndSync(g_settingKey_adaptiveStreams, on);
}

QString TvDefaultSettings::standardAccess(const QString& deviceId) {
    return m_settings->value(key(g_settingKey_standardAccess)).toMap().value(deviceId).toString();
}

void TvDefaultSettings::setStandardAccess(const QString& deviceId, const QString& access) {
    QVariantMap all = m_settings->value(key(g_settingKey_standardAccess)).toMap();
    all.insert(deviceId, access);
    setAndSync(g_settingKey_standardAccess, all);
}
