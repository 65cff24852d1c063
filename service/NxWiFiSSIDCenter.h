#pragma once

#include "VeSSIDInfoObject.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QString>

class NxDataCenter;
class VeCameraModel;

// Runs one Wi-Fi survey at a time on a LAN camera: asks for it, waits half the SDK's answer wait (10 s
// by default) for the survey callback and delivers exactly one result per successful search.
class NxWiFiSSIDCenter : public QObject {
    Q_OBJECT
public:
    explicit NxWiFiSSIDCenter(NxDataCenter* dataCenter, QObject* parent = nullptr);

    bool search(VeCameraModel* camera, const QString& mac);
    void stopSearch();

    static void wifiCallback(void* context, const char* buffer, int length);
    void handleSurveyReply(const char* buffer, int length);

signals:
    void searchFailedSignal();
    // The receiver owns the objects.
    void searchSucceedSignal(QList<VeSSIDInfoObject*> networks);
    void stopTimerSignal();
    void startTimerSignal();

public slots:
    void startTimerSlot();
    void stopTimerSlot();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    QMutex mutex;
    bool finished = true;
    int timerId = -1;
    NxDataCenter* m_dataCenter;
};
