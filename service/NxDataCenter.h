#pragma once

#include "NxParamRecords.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class NxAlarmCenter;
class NxJobQueue;
class NxDeviceQueryAdapter;
class NxLanCenter;
class NxLoginCenter;
class NxVideoCenter;
class NxSDCenter;
class NxWiFiSSIDCenter;
class VeCameraModel;

// The one entry point of the device service. Its first use creates every center (which registers the
// SDK callbacks in a fixed order) and starts the first LAN search. It owns the routing rule: a camera
// in the LAN table takes the LAN path with its handle, any other the cloud path with its device id.
// The operations block until the SDK returns, except the parameter fetch, which runs on the service's
// worker thread.
class NxDataCenter : public QObject {
    Q_OBJECT
public:
    static NxDataCenter* instance();

    // Command channel and selectors.
    qint32 sendData(VeCameraModel* camera, const QString& text);
    void syncFromLan(VeCameraModel* camera);
    // Copies the LAN fields on the caller's thread, then asks the SDK on the worker thread.
    void fetchParamsToLocal(VeCameraModel* camera);
    // Runs SDK work that waits for the network on the service's worker thread, in posting order.
    void runInBackground(std::function<void()> job);
    // The SDK's result: a camera that cannot do the command (no pan/tilt head) refuses it.
    qint32 sendSelector(qint32 selector, qint32 value, VeCameraModel* camera);
    void sendStreamSelector(VeCameraModel* camera);

    // Parameter records.
    qint32 getVideoParam(VeCameraModel* camera, VideoParam* param);
    qint32 setVideoParam(VeCameraModel* camera, qint32 selector, qint32 value);
    qint32 getIPInfo(VeCameraModel* camera, IPInfo* info);
    qint32 setIPInfo(VeCameraModel* camera, qint32 mode, const IPInfo& info);
    qint32 getWiFiInfo(VeCameraModel* camera, WiFiInfo* info);
    qint32 setWiFiInfo(VeCameraModel* camera, qint32 flag, qint32 open, const WiFiConfig& config);
    qint32 getEmailInfo(VeCameraModel* camera, EmailInfo* info);
    qint32 setEmailInfo(VeCameraModel* camera, const EmailInfo& info);
    qint32 getSDInfo(VeCameraModel* camera, SDInfo* info);
    qint32 setSDInfo(VeCameraModel* camera, const SDInfo& info);
    qint32 formatSD(VeCameraModel* camera);
    qint32 getOnvifState(VeCameraModel* camera, qint32* onvif, qint32* onvifaudio);
    qint32 setOnvif(VeCameraModel* camera, qint32 onvif, qint32 onvifaudio);
    qint32 searchSSID(VeCameraModel* camera, const QString& mac);

    // Maintenance.
    qint32 rebootDevice(VeCameraModel* camera, const QString& mac);
    qint32 resetDefault(VeCameraModel* camera);
    qint32 updateFirmware(VeCameraModel* camera);
    bool checkAccessPwd(const QString& localPwd, const QString& storedPwd);

    // Data-channel commands.
    qint32 sendWiFiJoin(VeCameraModel* camera, const QString& ssid, const QString& password);
    qint32 sendUpgradeUrl(VeCameraModel* camera, const QString& url);
    qint32 sendWiFiFlag(VeCameraModel* camera, bool on);
    qint32 sendCmd110(VeCameraModel* camera);
    qint32 setNetworkOptions(VeCameraModel* camera, bool prefer4G, bool hotspotOn, const QString& ssid,
                             const QString& password, bool switch1, bool switch2);

    // Owned, created in the constructor, never replaced.
    NxLanCenter* lanCenter = nullptr;
    NxAlarmCenter* alarmCenter = nullptr;
    NxLoginCenter* loginCenter = nullptr;
    NxWiFiSSIDCenter* wifiSsidCenter = nullptr;
    NxVideoCenter* videoCenter = nullptr;
    NxSDCenter* sdCenter = nullptr;

signals:
    void updateDeviceListSignal();

public slots:
    void findNewDeviceSlot(QString deviceId);

private:
    explicit NxDataCenter(QObject* parent = nullptr);
    ~NxDataCenter() override;

    bool isLanOnline(const VeCameraModel* camera) const;
    // The LAN table's handle when the camera is listed there, else the record's own.
    qint32 handleOf(const VeCameraModel* camera) const;
    qint32 selectorCall(VeCameraModel* camera, qint32 selector, qint32 value, qint32 extra);
    qint32 readRecord(const VeCameraModel* camera, int selector, char* buffer);

    std::unique_ptr<NxDeviceQueryAdapter> m_query;
    std::unique_ptr<NxJobQueue> m_jobs;
};
