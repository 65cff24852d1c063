#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class NxDataCenter;
class VeCameraModel;

// The SDK's SD-card functions for one camera: its listing in pages, a file's download as a call, and
// closing that call. Keeps no state. The calls wait for the camera: run them off the GUI thread, with a
// Route taken on the GUI thread (the camera record is the GUI's).
class NxSDCenter : public QObject {
    Q_OBJECT
public:
    // Where a camera is reached, copied out of its record.
    struct Route {
        QByteArray deviceId;
        qint32 nxid = 0;
        bool lan = false;
    };

    explicit NxSDCenter(NxDataCenter* dataCenter, QObject* parent = nullptr);

    // Brings the record's handle up to date with the LAN table first.
    Route routeOf(VeCameraModel* camera);

    qint32 readSdData(VeCameraModel* camera, int page, int pageSize);
    qint32 downloadFile(VeCameraModel* camera, const QString& name, QString* callId);
    qint32 cancelDownloadFile(VeCameraModel* camera, const QString& callId);

    // The same on a route, from any thread.
    static qint32 readSdData(const Route& route, int page, int pageSize);
    static qint32 downloadFile(const Route& route, const QString& name, QString* callId);
    static qint32 cancelDownloadFile(const Route& route, const QString& callId);

private:
    NxDataCenter* m_dataCenter;
};
