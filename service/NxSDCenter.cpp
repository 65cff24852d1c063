#include "NxSDCenter.h"

#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "VeCameraModel.h"

#include <pcQuorvane.h>

#include <QDebug>

NxSDCenter::NxSDCenter(NxDataCenter* dataCenter, QObject* parent)
    : QObject(parent), m_dataCenter(dataCenter) {}

NxSDCenter::Route NxSDCenter::routeOf(VeCameraModel* camera) {
    Route route;
    if (!camera)
        return route;
    m_dataCenter->syncFromLan(camera);
    route.deviceId = camera->deviceId.toUtf8();
    route.lan = NxDeviceStateCenter::instance()->isLanDevice(camera->deviceId);
    if (!m_dataCenter->lanCenter->handleOf(camera->deviceId, &route.nxid))
        route.nxid = camera->nxid;
    return route;
}

qint32 NxSDCenter::readSdData(VeCameraModel* camera, int page, int pageSize) {
    return readSdData(routeOf(camera), page, pageSize);
}

qint32 NxSDCenter::downloadFile(VeCameraModel* camera, const QString& name, QString* callId) {
    return downloadFile(routeOf(camera), name, callId);
}

qint32 NxSDCenter::cancelDownloadFile(VeCameraModel* camera, const QString& callId) {
    // No sync here: a call is closed where it was opened, and closing must not wait for the LAN table.
    Route route;
    if (camera) {
        route.deviceId = camera->deviceId.toUtf8();
        route.lan = NxDeviceStateCenter::instance()->isLanDevice(camera->deviceId);
    }
    return cancelDownloadFile(route, callId);
}

qint32 NxSDCenter::readSdData(const Route& route, int page, int pageSize) {
    if (route.deviceId.isEmpty())
        return -1;
    if (route.lan)
        return DoLanReadSdData(route.nxid, page, pageSize, 0);
    return DoMonSDReadData(route.deviceId.constData(), page, pageSize, 0);
}

qint32 NxSDCenter::downloadFile(const Route& route, const QString& name, QString* callId) {
    qWarning() << "downloadFile" << route.deviceId << name;
    callId->clear();
    if (route.deviceId.isEmpty())
        return -1;
    char buffer[PCQ_CALL_ID_SIZE] = {};
    const QByteArray file = name.toUtf8();
    qint32 result;
    if (route.lan) {
        qWarning() << "lan download file" << route.nxid;
        result = DoLanDowSdData(buffer, route.nxid, file.constData(), 0);
    } else {
        qWarning() << "wan download file";
        result = DoMonDowSdData(buffer, route.deviceId.constData(), file.constData(), 0);
    }
    buffer[PCQ_CALL_ID_SIZE - 1] = '\0';
    if (result >= 0)
        *callId = QString::fromUtf8(buffer);
    qWarning() << "download file" << result << *callId;
    return result;
}

qint32 NxSDCenter::cancelDownloadFile(const Route& route, const QString& callId) {
    qWarning() << "cancelDownloadFile" << route.deviceId << callId;
    if (callId.isEmpty())
        return 0;
    const QByteArray call = callId.toUtf8();
    if (route.lan) {
        qWarning() << "lan cancel download";
        return vmoLANCloseCall(call.constData());
    }
    qWarning() << "wan cancel download";
    return vmoWANCloseCall(route.deviceId.constData(), call.constData());
}
