#include "NxVideoCenter.h"

#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxLanCenter.h"
#include "VeCameraModel.h"

#include <pcQuorvane.h>

#include "TvMutexLocker.h"
#include <QDateTime>
#include <QDebug>

#include <cstring>

namespace {

QString identityText(const char (&buffer)[PCQ_CALL_ID_SIZE]) {
    const void* zero = std::memchr(buffer, 0, sizeof buffer);
    const int n = zero ? static_cast<int>(static_cast<const char*>(zero) - buffer) : PCQ_CALL_ID_SIZE - 1;
    return QString::fromUtf8(buffer, n);
}

} // namespace

NxVideoCenter::NxVideoCenter(NxDataCenter* dataCenter, QObject* parent)
    : QObject(parent), m_dataCenter(dataCenter) {
    nx_InitVideo(this, &NxVideoCenter::videoCallback);
    nx_InitAudio(this, &NxVideoCenter::audioCallback);
}

qint32 NxVideoCenter::lanHandle(const VeCameraModel* camera) const {
    // The LAN table's handle is the current one: a camera that restarted got a new handle.
    qint32 nxid = 0;
    if (m_dataCenter && m_dataCenter->lanCenter && m_dataCenter->lanCenter->handleOf(camera->deviceId, &nxid))
        return nxid;
    return camera->nxid;
}

qint32 NxVideoCenter::openCall(VeCameraModel* camera, CallKind kind, int stream, QString* identity,
                               const char* lanFailed, const char* lanOk, const char* wanFailed,
                               const char* wanOk) {
    char buffer[PCQ_CALL_ID_SIZE] = {};
    const QByteArray flag = camera->devFlag.toUtf8();
    int result;
    if (NxDeviceStateCenter::instance()->isLanDevice(camera->deviceId)) {
        const qint32 nxid = lanHandle(camera);
        if (kind == Video)
            qWarning() << "局域网呼叫的nxid为" << nxid;
        result = vmoLANCalling(kind, stream, buffer, nxid, flag.constData(), 0);
        if (result < 0) {
            qWarning() << lanFailed;
        } else {
            qWarning() << lanOk;
            *identity = identityText(buffer);
        }
    } else {
        result =
            vmoWANCalling(kind, stream, buffer, camera->deviceId.toUtf8().constData(), flag.constData(), 0);
        if (result < 0) {
            qWarning() << wanFailed;
        } else {
            *identity = identityText(buffer);
            qWarning() << wanOk;
        }
    }
    return result;
}

qint32 NxVideoCenter::openVideo(VeCameraModel* camera, bool mainStream) {
    if (!camera)
        return PCQ_ERR_ARGUMENT;
    TvMutexLocker locker(&mutex);
    qWarning().noquote() << camera->alias + QLatin1String("(") + camera->devFlag + QLatin1String(")") +
                                QString::fromUtf8("将以") +
                                QString::fromUtf8(mainStream ? "主码流" : "子码流") +
                                QString::fromUtf8("呼叫视频");
    if (m_dataCenter)
        m_dataCenter->syncFromLan(camera);
    return openCall(camera, Video, mainStream ? PCQ_STREAM_MAIN : PCQ_STREAM_SUB, &camera->callId,
                    "局域网呼叫失败", "局域网呼叫成功", "互联网呼叫第一步失败",
                    "互联网呼叫第一步成功，继续等待105回调");
}

qint32 NxVideoCenter::openAudioListen(VeCameraModel* camera) {
    if (!camera)
        return PCQ_ERR_ARGUMENT;
    TvMutexLocker locker(&mutex);
    return openCall(camera, Listen, PCQ_STREAM_SUB, &camera->listenCallId, "局域网音频收听失败",
                    "局域网音频收听成功", "互联网音频收听第一步失败",
                    "互联网音频收听第一步成功，继续等待105回调");
}

qint32 NxVideoCenter::openAudioSpeaker(VeCameraModel* camera) {
    if (!camera)
        return PCQ_ERR_ARGUMENT;
    TvMutexLocker locker(&mutex);
    return openCall(camera, Talk, PCQ_STREAM_SUB, &camera->talkCallId, "局域网音频对讲失败",
                    "局域网音频对讲成功", "互联网音频对讲第一步失败",
                    "互联网音频对讲第一步成功，继续等待105回调");
}

void NxVideoCenter::closeCall(VeCameraModel* camera, QString* identity) {
    const QByteArray id = identity->toUtf8();
    if (NxDeviceStateCenter::instance()->isLanDevice(camera->deviceId))
        vmoLANCloseCall(id.constData());
    else
        vmoWANCloseCall(camera->deviceId.toUtf8().constData(), id.constData());
    identity->clear();
}

void NxVideoCenter::closeCameraVideo(VeCameraModel* camera) {
    if (!camera)
        return;
    const bool lan = NxDeviceStateCenter::instance()->isLanDevice(camera->deviceId);
    if (lan)
        qWarning() << "closeCameraVideo" << QDateTime::currentDateTime();
    else
        qWarning() << "closeCameraVideo" << QDateTime::currentDateTime() << camera->deviceId
                   << camera->callId;
    {
        TvMutexLocker locker(&mutex);
        closeCall(camera, &camera->callId);
    }
    qWarning() << "closeCameraVideo" << QDateTime::currentDateTime();
}

void NxVideoCenter::closeAudioListen(VeCameraModel* camera) {
    if (!camera)
        return;
    qWarning() << "关闭收听" << camera->deviceId;
    TvMutexLocker locker(&mutex);
    closeCall(camera, &camera->listenCallId);
}

void NxVideoCenter::closeAudioSpeaker(VeCameraModel* camera) {
    if (!camera)
        return;
    qWarning() << "关闭对讲" << camera->deviceId;
    TvMutexLocker locker(&mutex);
    closeCall(camera, &camera->talkCallId);
}

void NxVideoCenter::handleCallProgress(const QString&, int, int) {
    // Serialised with the call operations; the call already counts as open.
    TvMutexLocker locker(&mutex);
}

void NxVideoCenter::videoCallback(void* context, const nxVideoFrame* frame) {
    if (!context || !frame)
        return;
    const NxStreamHandler handler = static_cast<NxVideoCenter*>(context)->streamHandler.load();
    if (!handler)
        return;
    if (!frame->data && frame->length > 0) {
        qWarning() << "videoCallback: packet without payload, length" << frame->length;
        return;
    }
    handler(frame->callId ? frame->callId : "", frame->data, frame->length, true);
}

void NxVideoCenter::audioCallback(void* context, int, const unsigned char* data, int length) {
    if (!context)
        return;
    const NxStreamHandler handler = static_cast<NxVideoCenter*>(context)->streamHandler.load();
    if (!handler)
        return;
    if (!data && length > 0) {
        qWarning() << "audioCallback: packet without payload, length" << length;
        return;
    }
    handler(nullptr, data, length, false);
}
