#include "NxWiFiSSIDCenter.h"

#include "NxDataCenter.h"
#include "NxRecordCodec.h"

#include <pcQuorvane.h>

#include "TvMutexLocker.h"
#include <QDebug>
#include <QTimerEvent>

NxWiFiSSIDCenter::NxWiFiSSIDCenter(NxDataCenter* dataCenter, QObject* parent)
    : QObject(parent), m_dataCenter(dataCenter) {
    qRegisterMetaType<QList<VeSSIDInfoObject*>>("QList<VeSSIDInfoObject*>");
    InitGetWifiSid(this, &NxWiFiSSIDCenter::wifiCallback);
    connect(this, &NxWiFiSSIDCenter::startTimerSignal, this, &NxWiFiSSIDCenter::startTimerSlot);
    connect(this, &NxWiFiSSIDCenter::stopTimerSignal, this, &NxWiFiSSIDCenter::stopTimerSlot);
}

bool NxWiFiSSIDCenter::search(VeCameraModel* camera, const QString& mac) {
    {
        TvMutexLocker locker(&mutex);
        finished = false;
        emit startTimerSignal();
    }
    // Not under the mutex: the request waits for the network, and the reply may come before it returns.
    const int result = m_dataCenter ? m_dataCenter->searchSSID(camera, mac) : -1;
    // A late reply to the request itself leaves the survey running: its answer or the wait decides.
    if (result >= 0 || result == PCQ_ERR_TIMEOUT)
        return true;
    TvMutexLocker locker(&mutex);
    finished = true;
    emit stopTimerSignal();
    return false;
}

void NxWiFiSSIDCenter::stopSearch() {
    TvMutexLocker locker(&mutex);
    finished = true;
    emit stopTimerSignal();
}

void NxWiFiSSIDCenter::wifiCallback(void* context, const char* buffer, int length) {
    if (!context) {
        qWarning("wifi buf=====%s======len %d==", NxRecordCodec::boundedText(buffer, length).constData(),
                 length);
        return;
    }
    static_cast<NxWiFiSSIDCenter*>(context)->handleSurveyReply(buffer, length);
}

void NxWiFiSSIDCenter::handleSurveyReply(const char* buffer, int length) {
    QList<VeSSIDInfoObject*> networks;
    {
        TvMutexLocker locker(&mutex);
        qWarning("wifi buf=====%s======len %d==", NxRecordCodec::boundedText(buffer, length).constData(),
                 length);
        if (finished)
            return;
        finished = true;
        emit stopTimerSignal();
        if (length == 0 || length == -1) {
            locker.unlock();
            emit searchFailedSignal();
            return;
        }
        for (const QByteArray& entry : NxRecordCodec::surveyEntries(buffer, length)) {
            qWarning("word: %s", entry.constData());
            QString name;
            qint32 signal = 0;
            NxRecordCodec::parseSurveyEntry(entry, &name, &signal);
            auto* network = new VeSSIDInfoObject(name, signal);
            // Created on the SDK thread; the receiver on the GUI thread owns and deletes them.
            network->moveToThread(thread());
            networks.append(network);
        }
    }
    // Raised after the release: a receiver on this thread may start the next survey at once.
    emit searchSucceedSignal(networks);
}

void NxWiFiSSIDCenter::startTimerSlot() {
    if (timerId >= 0)
        killTimer(timerId);
    timerId = startTimer(pcq_AnswerWaitMs() / 2, Qt::CoarseTimer);
}

void NxWiFiSSIDCenter::stopTimerSlot() {
    if (timerId >= 0) {
        killTimer(timerId);
        timerId = -1;
    }
}

void NxWiFiSSIDCenter::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timerId) {
        QObject::timerEvent(event);
        return;
    }
    emit stopTimerSignal();
    bool expired = false;
    {
        TvMutexLocker locker(&mutex);
        expired = !finished;
        finished = true;
    }
    if (expired)
        emit searchFailedSignal();
}
