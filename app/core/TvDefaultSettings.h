#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

class QSettings;
class VeCameraModel;

// Setting keys; the strings are the keys themselves.
extern const char* const g_settingKey_snapDir;
extern const char* const g_settingKey_videoDir;
extern const char* const g_settingKey_serverAddr;
extern const char* const g_settingKey_serverPort;
extern const char* const g_settingKey_localServerList;
extern const char* const g_settingKey_deviceInfo;
extern const char* const g_settingKey_logout_confirm;
extern const char* const g_settingKey_language;
extern const char* const g_settingKey_adaptiveStreams;
extern const char* const g_settingKey_standardAccess;

// The per-user settings store. Every reader goes through the typed accessors, which supply the defaults.
class TvDefaultSettings : public QObject {
    Q_OBJECT
public:
    // Host for clients outside UTC+8, and the default host (first of every server list) inside it.
    static const char* const kCloudHost;
    static const char* const kDefaultHost;
    static constexpr int kDefaultPort = 8080;
    static constexpr int kDefaultLanguage = 2;

    static TvDefaultSettings* instance();

    QString snapDir();
    void setSnapDir(const QString& dir);
    QString videoDir();
    void setVideoDir(const QString& dir);

    QString serverAddr();
    void setServerAddr(const QString& addr);
    int serverPort();
    void setServerPort(int port);

    QStringList localServerList();
    void addLocalServer(const QString& addr);

    // The caller keeps ownership of the saved records and owns the loaded ones.
    void saveDeviceInfo(QList<VeCameraModel*> list);
    QList<VeCameraModel*> loadDeviceInfo();

    bool logoutConfirm();
    void setLogoutConfirm(bool on);
    int language();
    void setLanguage(int language);
    // Cameras play their sub stream in a grid of more than four cells and their main stream when they
    // fill the view; on by default.
    bool adaptiveStreams();
    void setAdaptiveStreams(bool on);
    // What this client signs in to a standard (ONVIF) camera with, "USER:PASSWORD", per device id:
    // such a camera is found on the LAN and is in no cloud list, so it is kept here.
    QString standardAccess(const QString& deviceId);
    void setStandardAccess(const QString& deviceId, const QString& access);

    // Whole hours east of UTC, truncated toward zero.
    static int utcOffsetHours();

private:
    explicit TvDefaultSettings(QObject* parent = nullptr);
    QString folderSetting(const char* key, const QString& subFolder);
    void setAndSync(const char* key, const QVariant& value);

    QSettings* m_settings;
};
