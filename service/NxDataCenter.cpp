#include "NxDataCenter.h"

#include "NxAlarmCenter.h"
#include "NxDeviceQueryAdapter.h"
#include "NxDeviceStateCenter.h"
#include "NxJobQueue.h"
#include "NxLanCenter.h"
#include "NxLoginCenter.h"
#include "NxRecordCodec.h"
#include "NxSDCenter.h"
#include "NxVideoCenter.h"
#include "NxWiFiSSIDCenter.h"
#include "TvDefaultSettings.h"
#include "VeCameraModel.h"

#include <pcQuorvane.h>

#include <QDebug>

#include <atomic>
#include <cstring>
#include <mutex>

namespace {

std::atomic<NxDataCenter*> g_dataCenter{nullptr};

QByteArray utf8(const QString& text) {
    return text.toUtf8();
}

} // namespace

NxDataCenter* NxDataCenter::instance() {
    if (NxDataCenter* center = g_dataCenter.load(std::memory_order_acquire))
        return center;
    // A caller on another thread waits until the first construction is complete.
    static std::mutex mutex;
    std::lock_guard<std::mutex> locker(mutex);
    if (!g_dataCenter.load(std::memory_order_relaxed)) {
        qWarning() << "Is it double init data center ?";
        // Never destroyed: SDK threads may reach the centers until the process ends.
        g_dataCenter.store(new NxDataCenter, std::memory_order_release);
    }
    return g_dataCenter.load(std::memory_order_acquire);
}

NxDataCenter::NxDataCenter(QObject* parent) : QObject(parent) {
    qRegisterMetaType<VeCameraModel*>("VeCameraModel*");
    m_jobs = std::make_unique<NxJobQueue>();
    m_query = std::make_unique<NxDeviceQueryAdapter>(this);
    TvDeviceQuery::install(m_query.get());

    lanCenter = new NxLanCenter(this, this);
    NxDeviceStateCenter::instance()->attachLanCenter(lanCenter);
    connect(lanCenter, &NxLanCenter::findNewDeviceSignal, this, &NxDataCenter::findNewDeviceSlot);

    loginCenter = new NxLoginCenter(this, this);
    videoCenter = new NxVideoCenter(this, this);
    loginCenter->setVideoCenter(videoCenter);
    wifiSsidCenter = new NxWiFiSSIDCenter(this, this);
    alarmCenter = new NxAlarmCenter(this);
    sdCenter = new NxSDCenter(this, this);

    lanCenter->refreshLan(1);
}

NxDataCenter::~NxDataCenter() = default;

bool NxDataCenter::isLanOnline(const VeCameraModel* camera) const {
    return NxDeviceStateCenter::instance()->isLanDevice(camera->deviceId);
}

qint32 NxDataCenter::handleOf(const VeCameraModel* camera) const {
    qint32 nxid = 0;
    if (!lanCenter->handleOf(camera->deviceId, &nxid))
        nxid = camera->nxid;
    return nxid;
}

qint32 NxDataCenter::sendData(VeCameraModel* camera, const QString& text) {
    if (!camera || camera->deviceId.isEmpty())
        return -1;
    qint32 nxid = 0;
    if (lanCenter->handleOf(camera->deviceId, &nxid))
        return vmoLanSendData_EX(nxid, utf8(text).constData(), 0);
    if (!NxDeviceStateCenter::instance()->isWanOnline(camera->deviceId))
        return -1;
    return vmoWanSendData_EX(utf8(camera->deviceId).constData(), utf8(text).constData(), 0);
}

void NxDataCenter::syncFromLan(VeCameraModel* camera) {
    if (!camera)
        return;
    VeCameraModel* lan = lanCenter->device(camera->deviceId);
    if (!lan || lan == camera)
        return;
    // The LAN record's handle may change under a new report: read it under the table's mutex.
    qint32 nxid = 0;
    if (lanCenter->handleOf(camera->deviceId, &nxid))
        camera->nxid = nxid;
    camera->devFlag = lan->devFlag;
    camera->audioTypeText = lan->audioTypeText;
    camera->audioType = VeCameraModel::audioTypeFor(camera->audioTypeText);
}

void NxDataCenter::fetchParamsToLocal(VeCameraModel* camera) {
    if (!camera || camera->deviceId.isEmpty())
        return;
    syncFromLan(camera);
    // The record is the GUI's: the worker gets copies of what it needs.
    const QByteArray id = utf8(camera->deviceId);
    if (isLanOnline(camera)) {
        qWarning() << "局域网获取参数到本地" << camera->deviceId;
        const qint32 nxid = handleOf(camera);
        runInBackground([id, nxid] {
            for (int selector : {PCQ_SEL_PARAMS, PCQ_SEL_PARAMS_EXTRA, PCQ_SEL_REC_EMAIL})
                vmoGetLANInfo(id.constData(), nxid, selector, 0);
        });
    } else {
        qWarning() << "互联网获取参数到本地" << camera->deviceId;
        runInBackground([id] {
            vmoGetWANInfo(id.constData(), PCQ_SEL_PARAMS, 0);
            GetWanSysDevInfo(id.constData(), PCQ_SEL_SD_RECORD);
            GetWanSysDevInfo(id.constData(), PCQ_SEL_PARAMS_EXTRA);
        });
    }
}

void NxDataCenter::runInBackground(std::function<void()> job) {
    m_jobs->post(std::move(job));
}

qint32 NxDataCenter::selectorCall(VeCameraModel* camera, qint32 selector, qint32 value, qint32 extra) {
    const QByteArray id = utf8(camera->deviceId);
    if (isLanOnline(camera))
        return vmoSetLANInfo(id.constData(), handleOf(camera), selector, value, extra);
    return vmoSetWANInfo(id.constData(), selector, value, extra);
}

qint32 NxDataCenter::sendSelector(qint32 selector, qint32 value, VeCameraModel* camera) {
    if (!camera)
        return -1;
    syncFromLan(camera);
    return selectorCall(camera, selector, value, 0);
}

void NxDataCenter::sendStreamSelector(VeCameraModel* camera) {
    if (!camera)
        return;
    syncFromLan(camera);
    selectorCall(camera, PCQ_SEL_STREAM_START, 0, 0);
}

void NxDataCenter::findNewDeviceSlot(QString deviceId) {
    VeCameraModel* camera = lanCenter->device(deviceId);
    // A standard (ONVIF) camera signs in with what this client was last given for it: the library
    // forgets it when the client ends.
    if (camera && camera->devFlag.startsWith(QLatin1String("ONVIF"))) {
        const QString access = TvDefaultSettings::instance()->standardAccess(deviceId);
        if (!access.isEmpty()) {
            camera->userAccess = access;
            runInBackground([id = utf8(deviceId), secret = access.toUtf8()] {
                if (DoSetAccessPswd_EX(4, id.constData(), secret.constData(), 3, 0) < 0)
                    qWarning() << "the saved sign-in of camera" << id << "was refused by the library";
            });
        }
    }
    fetchParamsToLocal(camera);
}

qint32 NxDataCenter::readRecord(const VeCameraModel* camera, int selector, char* buffer) {
    std::memset(buffer, 0, NxRecordCodec::kRecordSize);
    const int result = GetLanSysInfo(buffer, selector, utf8(camera->deviceId).constData());
    buffer[NxRecordCodec::kRecordSize - 1] = '\0';
    return result;
}

qint32 NxDataCenter::getVideoParam(VeCameraModel* camera, VideoParam* param) {
    *param = VideoParam{};
    if (!camera)
        return -1;
    char buffer[NxRecordCodec::kRecordSize];
    const qint32 result = readRecord(camera, PCQ_SEL_REC_VIDEO, buffer);
    qWarning("video param %d %s", result, buffer);
    char extra[NxRecordCodec::kRecordSize];
    const qint32 extraResult = readRecord(camera, PCQ_SEL_REC_DEVICE, extra);
    qWarning("video param 205 %d %s", extraResult, extra);
    if (result >= 0)
        NxRecordCodec::parseVideoParam(buffer, sizeof buffer, param);
    return result;
}

qint32 NxDataCenter::setVideoParam(VeCameraModel* camera, qint32 selector, qint32 value) {
    if (!camera)
        return -1;
    qWarning("%s(%d)设置视频参数%d(%d)", qUtf8Printable(camera->deviceId), handleOf(camera), selector, value);
    // The IR-cut filter takes its state in the third place.
    const qint32 second = selector == PCQ_SEL_IR_CUT ? 2 : value;
    const qint32 third = selector == PCQ_SEL_IR_CUT ? value : 0;
    const qint32 result = selectorCall(camera, selector, second, third);
    qWarning("设置视频参数%d(%d, %d)返回 %d", selector, second, third, result);
    return result;
}

qint32 NxDataCenter::getIPInfo(VeCameraModel* camera, IPInfo* info) {
    *info = IPInfo{};
    if (!camera || !isLanOnline(camera)) {
        qWarning() << "局域网不在线，不能获取IP信息";
        return -1;
    }
    char buffer[NxRecordCodec::kRecordSize];
    const qint32 result = readRecord(camera, PCQ_SEL_REC_NETWORK, buffer);
    qWarning("获取的IP信息为 %s", buffer);
    if (result < 0) {
        qWarning() << "获取IP信息失败";
        return result;
    }
    NxRecordCodec::parseIPInfo(buffer, sizeof buffer, info);
    return result;
}

qint32 NxDataCenter::setIPInfo(VeCameraModel* camera, qint32 mode, const IPInfo& info) {
    if (!camera)
        return -1;
    const QByteArray record = NxRecordCodec::formatIPInfo(info);
    if (record.isEmpty())
        return -1;
    qWarning("配置的IP地址信息为 %s", record.constData());
    return SetLanDevIP(mode == 1 ? 1 : 2, handleOf(camera), record.constData());
}

qint32 NxDataCenter::getWiFiInfo(VeCameraModel* camera, WiFiInfo* info) {
    *info = WiFiInfo{};
    if (!camera || !isLanOnline(camera)) {
        qWarning() << "局域网不在线，不能获取wifi信息";
        return -1;
    }
    char buffer[NxRecordCodec::kRecordSize];
    const qint32 result = readRecord(camera, PCQ_SEL_REC_WIFI, buffer);
    qWarning("获取的WiFi信息为 %s", NxRecordCodec::maskSecrets(QByteArray(buffer)).constData());
    if (result < 0) {
        qWarning() << "获取WiFi信息失败";
        return result;
    }
    NxRecordCodec::parseWiFiInfo(buffer, sizeof buffer, info);
    return result;
}

qint32 NxDataCenter::setWiFiInfo(VeCameraModel* camera, qint32 flag, qint32 open, const WiFiConfig& config) {
    if (!camera)
        return -1;
    const QByteArray record = NxRecordCodec::formatWiFiConfig(config);
    if (record.isEmpty())
        return -1;
    const qint32 result = SetLanWifi(flag, open, handleOf(camera), record.constData());
    qWarning("配置的WIFI信息为 %s 返回 %d", NxRecordCodec::maskSecrets(record).constData(), result);
    return result;
}

qint32 NxDataCenter::getEmailInfo(VeCameraModel* camera, EmailInfo* info) {
    *info = EmailInfo{};
    if (!camera)
        return -1;
    char buffer[NxRecordCodec::kRecordSize];
    const qint32 result = readRecord(camera, PCQ_SEL_REC_EMAIL, buffer);
    qWarning("获取的邮件报警配置信息为: %s", NxRecordCodec::maskSecrets(QByteArray(buffer)).constData());
    if (result < 0) {
        qWarning() << "获取邮件报警配置信息失败";
        return result;
    }
    NxRecordCodec::parseEmailInfo(buffer, sizeof buffer, info);
    return result;
}

qint32 NxDataCenter::setEmailInfo(VeCameraModel* camera, const EmailInfo& info) {
    if (!camera)
        return -1;
    const QByteArray record = NxRecordCodec::formatEmailInfo(info);
    if (record.isEmpty())
        return -1;
    qWarning("Email配置信息为 %s", NxRecordCodec::maskSecrets(record).constData());
    const QByteArray id = utf8(camera->deviceId);
    const qint32 result = isLanOnline(camera) ? nx_DoLocalMonSetAlarmEmail(handleOf(camera), id.constData(),
                                                                           record.constData(), 0)
                                              : nx_DoMonSetAlarmEmail(id.constData(), record.constData(), 0);
    if (result < 0)
        qWarning() << "配置Email信息失败";
    return result;
}

qint32 NxDataCenter::getSDInfo(VeCameraModel* camera, SDInfo* info) {
    *info = SDInfo{};
    if (!camera)
        return -1;
    char buffer[NxRecordCodec::kRecordSize];
    const qint32 result = readRecord(camera, PCQ_SEL_REC_SD, buffer);
    qWarning("获取的SD卡配置信息为: %s\n", buffer);
    if (result < 0) {
        qWarning() << "获取SD卡配置信息失败";
        return result;
    }
    NxRecordCodec::parseSDInfo(buffer, sizeof buffer, info);
    return result;
}

qint32 NxDataCenter::setSDInfo(VeCameraModel* camera, const SDInfo& info) {
    if (!camera)
        return -1;
    const QByteArray record = NxRecordCodec::formatSDInfo(info, camera->deviceId);
    if (record.isEmpty())
        return -1;
    qWarning("SD卡配置信息为 %s", record.constData());
    const qint32 result =
        isLanOnline(camera)
            ? SetLanSysInfo(handleOf(camera), PCQ_SEL_SD_RECORD, record.constData(), 0)
            : SetWanSysInfo(PCQ_SEL_SD_RECORD, utf8(camera->deviceId).constData(), record.constData(), 0);
    if (result < 0)
        qWarning() << "配置SD卡信息失败";
    return result;
}

qint32 NxDataCenter::formatSD(VeCameraModel* camera) {
    if (!camera)
        return -1;
    const qint32 result = DoLocalMonFormatSD(handleOf(camera), 0);
    if (result < 0)
        qWarning() << "格式化SD卡失败" << result;
    return result;
}

qint32 NxDataCenter::getOnvifState(VeCameraModel* camera, qint32* onvif, qint32* onvifaudio) {
    *onvif = 0;
    *onvifaudio = 0;
    if (!camera)
        return -1;
    char buffer[NxRecordCodec::kRecordSize];
    const qint32 result = readRecord(camera, PCQ_SEL_REC_ONVIF, buffer);
    qWarning() << "获取ONVIF状态返回：" << buffer;
    NxRecordCodec::parseOnvif(buffer, sizeof buffer, onvif, onvifaudio);
    return result;
}

qint32 NxDataCenter::setOnvif(VeCameraModel* camera, qint32 onvif, qint32 onvifaudio) {
    if (!camera)
        return -1;
    const qint32 result = selectorCall(camera, PCQ_SEL_ONVIF, onvif, onvifaudio);
    qWarning("设置ONVIF功能：onvif = %d, onvif audio = %d; return %d", onvif, onvifaudio, result);
    return result;
}

qint32 NxDataCenter::searchSSID(VeCameraModel* camera, const QString& mac) {
    if (!camera || !isLanOnline(camera)) {
        qWarning() << "局域网不在线，搜索SSID失败";
        return -1;
    }
    const qint32 result = DoLanGetWifiSid(handleOf(camera), utf8(mac).constData(), 0);
    qWarning() << "搜索SSID列表返回" << result;
    return result;
}

qint32 NxDataCenter::rebootDevice(VeCameraModel* camera, const QString& mac) {
    if (!camera)
        return -1;
    if (isLanOnline(camera))
        return vmoSetLANInfo(utf8(mac).constData(), handleOf(camera), PCQ_SEL_REBOOT, 0, 0);
    return vmoSetWANInfo(utf8(camera->deviceId).constData(), PCQ_SEL_REBOOT, 0, 0);
}

qint32 NxDataCenter::resetDefault(VeCameraModel* camera) {
    if (!camera)
        return -1;
    return vmoSetLANInfo(utf8(camera->deviceId).constData(), handleOf(camera), PCQ_SEL_FACTORY_RESET, 0, 0);
}

qint32 NxDataCenter::updateFirmware(VeCameraModel* camera) {
    if (!camera)
        return -1;
    return vmoSetLANInfo(utf8(camera->deviceId).constData(), handleOf(camera), PCQ_SEL_FIRMWARE, 0, 0);
}

bool NxDataCenter::checkAccessPwd(const QString& localPwd, const QString& storedPwd) {
    // Only whether a text was given goes to the log, never the text.
    qWarning() << "localPwd" << (localPwd.isEmpty() ? "" : "***");
    qWarning() << "wan password" << (storedPwd.isEmpty() ? "" : "***");
    if (storedPwd.isEmpty())
        return false;
    return vmoCheckAccessPwd(utf8(localPwd).constData(), utf8(storedPwd).constData()) == 1;
}

qint32 NxDataCenter::sendWiFiJoin(VeCameraModel* camera, const QString& ssid, const QString& password) {
    return sendData(camera, QStringLiteral("cmd=102;sid=%1;pswd=%2;").arg(ssid, password));
}

qint32 NxDataCenter::sendUpgradeUrl(VeCameraModel* camera, const QString& url) {
    return sendData(camera, QStringLiteral("cmd=101;url=%1;").arg(url));
}

qint32 NxDataCenter::sendWiFiFlag(VeCameraModel* camera, bool on) {
    return sendData(camera, QStringLiteral("cmd=103;wififlag=%1;").arg(on ? 1 : 0));
}

qint32 NxDataCenter::sendCmd110(VeCameraModel* camera) {
    return sendData(camera, QStringLiteral("data=cmd-110;"));
}

qint32 NxDataCenter::setNetworkOptions(VeCameraModel* camera, bool prefer4G, bool hotspotOn,
                                       const QString& ssid, const QString& password, bool switch1,
                                       bool switch2) {
    sendData(camera, QStringLiteral("data=cmd-2003-net-%1;").arg(prefer4G ? 1 : 0));
    if (hotspotOn)
        sendData(camera, QStringLiteral("data=cmd-2004-AP-1-ssid-%1-pwd-%2;").arg(ssid, password));
    else
        sendData(camera, QStringLiteral("data=cmd-2004-AP-0;"));
    sendData(camera, QStringLiteral("data=cmd-2005-%1").arg(switch1 ? 1 : 0));
    return sendData(camera, QStringLiteral("data=cmd-2006-%1").arg(switch2 ? 1 : 0));
}
