#pragma once

#include <QMutex>
#include <QObject>
#include <QString>

#include <atomic>

class NxDataCenter;
class VeCameraModel;
struct nxVideoFrame;

// Receives every media packet, on the SDK's thread, with the raw packet fields: the call identity
// (nullptr for audio), the payload and its length (valid only during the call), and the kind. The
// media pipeline turns them into media objects.
using NxStreamHandler = void (*)(const char* callId, const unsigned char* data, int length, bool isVideo);

// Opens and closes the SDK calls that carry a camera's media (video, listening, talking) and
// delivers the media packets to the installed stream handler.
class NxVideoCenter : public QObject {
    Q_OBJECT
public:
    explicit NxVideoCenter(NxDataCenter* dataCenter, QObject* parent = nullptr);

    qint32 openVideo(VeCameraModel* camera, bool mainStream);
    void closeCameraVideo(VeCameraModel* camera);
    qint32 openAudioListen(VeCameraModel* camera);
    void closeAudioListen(VeCameraModel* camera);
    qint32 openAudioSpeaker(VeCameraModel* camera);
    void closeAudioSpeaker(VeCameraModel* camera);

    // Cloud call progress (system commands 105 and 106); a cloud call counts as open already.
    void handleCallProgress(const QString& deviceId, int command, int flag);

    static void videoCallback(void* context, const nxVideoFrame* frame);
    static void audioCallback(void* context, int value, const unsigned char* data, int length);

    // The frame sink; none at construction, packets are dropped until the main window installs one.
    std::atomic<NxStreamHandler> streamHandler{nullptr};

private:
    enum CallKind { Video = 1, Listen = 2, Talk = 3 };
    qint32 openCall(VeCameraModel* camera, CallKind kind, int stream, QString* identity,
                    const char* lanFailed, const char* lanOk, const char* wanFailed, const char* wanOk);
    void closeCall(VeCameraModel* camera, QString* identity);
    qint32 lanHandle(const VeCameraModel* camera) const;

    QMutex mutex;
    NxDataCenter* m_dataCenter;
};
