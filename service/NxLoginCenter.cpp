#include "NxLoginCenter.h"

#include "NxAlarmLog.h"
#include "NxAsyncJob.h"
#include "NxDataCenter.h"
#include "NxDeviceStateCenter.h"
#include "NxRecordCodec.h"
#include "NxVideoCenter.h"
#include "TvDefaultSettings.h"
#include "VeCameraModel.h"

#include <pcQuorvane.h>

#include "TvHandOver.h"
#include "TvMutexLocker.h"
#include <QDebug>
#include <QMetaObject>
#include <QThread>
#include <QTimerEvent>

NxLoginCenter::NxLoginCenter(NxDataCenter* dataCenter, QObject* parent)
    : QObject(parent), m_dataCenter(dataCenter) {
    vmoInitModel(this, &NxLoginCenter::systemCallback);
    qRegisterMetaType<LoginCenterResultType>("LoginCenterResultType");
    qRegisterMetaType<VeCameraModel*>("VeCameraModel*");
    connect(this, &NxLoginCenter::registMonitorResultSignal, this, &NxLoginCenter::registMoniterSuccess);
    connect(this, &NxLoginCenter::startLoginTimerSignal, this, &NxLoginCenter::startLoginTimerSlot);
    connect(this, &NxLoginCenter::stopLoginTimerSignal, this, &NxLoginCenter::stopLoginTimerSlot);
    {
        TvMutexLocker locker(&listMutex);
        for (VeCameraModel* record : TvDefaultSettings::instance()->loadDeviceInfo()) {
            // A list saved with two entries for one id keeps the last; the other record is nobody's.
            if (VeCameraModel* old = cloudDevices.value(record->deviceId))
                delete old;
            cloudDevices.insert(record->deviceId, record);
        }
    }
    loginDefaultAsync();
}

void NxLoginCenter::setVideoCenter(NxVideoCenter* videoCenter) {
    m_videoCenter.store(videoCenter);
}

void NxLoginCenter::beginLocked(qint32 op) {
    pendingOp = op;
    ++m_opSerial;
    emit startLoginTimerSignal(pcq_AnswerWaitMs());
}

void NxLoginCenter::abandon(qint32 op, quint64 serial) {
    TvMutexLocker locker(&mainMutex);
    if (pendingOp != op || m_opSerial != serial)
        return;
    emit stopLoginTimerSignal();
    pendingOp = 0;
}

void NxLoginCenter::runInBackground(std::function<void()> job) {
    if (m_dataCenter)
        m_dataCenter->runInBackground(std::move(job));
    else
        NxAsyncJob::start(std::move(job));
}

bool NxLoginCenter::login(const QString& user, const QString& password) {
    TvDefaultSettings* settings = TvDefaultSettings::instance();
    return loginTo(user, password, settings->serverAddr(), settings->serverPort());
}

bool NxLoginCenter::loginTo(const QString& user, const QString& password, const QString& host, int port) {
    if (!TvMutexLocker::tryLock(&mainMutex))
        return false;
    if (!loggedIn && (pendingOp == 1 || pendingOp == 2)) {
        TvMutexLocker::unlockMutex(&mainMutex);
        return false;
    }
    loggedIn = false;
    beginLocked(1);
    const quint64 serial = m_opSerial;
    TvMutexLocker::unlockMutex(&mainMutex);
    // The password never reaches the log.
    qWarning() << "正在登录:" << user << "and"
               << "***" << host << "port" << port;
    const int result = vmoLogin_EX(user.toUtf8().constData(), password.toUtf8().constData(),
                                   host.toUtf8().constData(), port);
    if (result == PCQ_ERR_TIMEOUT) {
        // Sent, but its reply is late: the answer may still come within the wait.
        qWarning() << "登录请求未及时应答，继续等待";
        return true;
    }
    if (result < 0) {
        abandon(1, serial);
        return false;
    }
    return true;
}

void NxLoginCenter::loginDefault() {
    login(QString::fromLatin1(kDefaultAccount), QString::fromLatin1(kDefaultAccount));
}

void NxLoginCenter::loginDefaultAsync() {
    // The settings store's QSettings object is the GUI thread's: read the server here, not on the job.
    TvDefaultSettings* settings = TvDefaultSettings::instance();
    const QString host = settings->serverAddr();
    const int port = settings->serverPort();
    NxAsyncJob::start([this, host, port] {
        loginTo(QString::fromLatin1(kDefaultAccount), QString::fromLatin1(kDefaultAccount), host, port);
    });
}

void NxLoginCenter::logout() {
    bool signOut = false;
    {
        TvMutexLocker locker(&mainMutex);
        emit stopLoginTimerSignal();
        signOut = loggedIn || pendingOp == 2;
        pendingOp = 0;
        loggedIn = false;
        NxDeviceStateCenter::instance()->clearWanState();
    }
    if (signOut)
        vmoLogOut();
    emit updateDeviceListSignal();
}

void NxLoginCenter::queryAllDeviceStatus() {
    if (TvMutexLocker::tryLock(&mainMutex)) {
        const bool idle = pendingOp == 0 && !loggedIn;
        TvMutexLocker::unlockMutex(&mainMutex);
        if (idle) {
            // Started after the release, so that the job's own login finds the mutex free.
            loginDefaultAsync();
            return;
        }
    }
    QStringList ids;
    {
        TvMutexLocker locker(&listMutex);
        ids = cloudDevices.keys();
    }
    if (ids.isEmpty())
        return;
    runInBackground([ids] { sendStatusRequests(ids); });
}

void NxLoginCenter::sendStatusRequests(const QStringList& ids) {
    // The SDK refuses texts of PCQ_TEXT_SIZE bytes or more: a long list goes in several requests.
    for (const NxRecordCodec::StatusRequest& batch : NxRecordCodec::statusRequests(ids, PCQ_TEXT_SIZE)) {
        qWarning() << "获取所有设备的状态" << batch.text;
        const int result = vmoGetDevStatus_EX(batch.text.constData(), batch.count);
        if (result < 0)
            qWarning("获取设备状态失败(%d): %d 个设备", result, batch.count);
    }
}

qint32 NxLoginCenter::queryDeviceStatus(const QString& deviceId) {
    return vmoGetDevStatus(deviceId.toUtf8().constData());
}

LoginCenterResultType NxLoginCenter::changeAccessPwd(const QString& first, const QString& second) {
    quint64 serial = 0;
    {
        TvMutexLocker locker(&mainMutex);
        beginLocked(3);
        serial = m_opSerial;
    }
    const int result = DoSetAccessPswd_EX(4, first.toUtf8().constData(), second.toUtf8().constData(), 3, 0);
    if (result == PCQ_ERR_TIMEOUT) {
        // The change may have been made: its answer (115) or the wait's end decides.
        qWarning() << "修改访问密码未及时应答，继续等待";
        return LoginCenterResultSuccess;
    }
    if (result < 0) {
        abandon(3, serial);
        return LoginCenterResultFailure;
    }
    return LoginCenterResultSuccess;
}

void NxLoginCenter::saveLocked() {
    TvDefaultSettings::instance()->saveDeviceInfo(cloudDevices.values());
}

void NxLoginCenter::addDevice(VeCameraModel* record) {
    if (!record)
        return;
    TvMutexLocker locker(&listMutex);
    VeCameraModel* old = cloudDevices.value(record->deviceId);
    if (old && old != record)
        m_retired.append(old);
    cloudDevices.insert(record->deviceId, record);
    saveLocked();
}

void NxLoginCenter::removeDevice(const QString& deviceId) {
    TvMutexLocker locker(&listMutex);
    if (VeCameraModel* old = cloudDevices.take(deviceId)) {
        m_retired.append(old);
        saveLocked();
    }
}

void NxLoginCenter::updateAlias(const QString& alias, VeCameraModel* record) {
    if (!record)
        return;
    TvMutexLocker locker(&listMutex);
    if (VeCameraModel* entry = cloudDevices.value(record->deviceId))
        entry->alias = alias;
    saveLocked();
}

void NxLoginCenter::updateAccessPwd(const QString& userPwd, const QString& devicePwd, VeCameraModel* record) {
    if (!record)
        return;
    TvMutexLocker locker(&listMutex);
    if (VeCameraModel* entry = cloudDevices.value(record->deviceId)) {
        entry->userAccess = userPwd;
        if (!devicePwd.isEmpty())
            entry->devAccess = devicePwd;
    }
    saveLocked();
}

QMap<QString, VeCameraModel*> NxLoginCenter::cloudDevicesSnapshot() const {
    TvMutexLocker locker(&listMutex);
    return cloudDevices;
}

QList<VeCameraModel*> NxLoginCenter::cloudDeviceList() const {
    TvMutexLocker locker(&listMutex);
    return cloudDevices.values();
}

VeCameraModel* NxLoginCenter::cloudDevice(const QString& deviceId) const {
    TvMutexLocker locker(&listMutex);
    return cloudDevices.value(deviceId);
}

int NxLoginCenter::pendingOperation() const {
    TvMutexLocker locker(&mainMutex);
    return pendingOp;
}

bool NxLoginCenter::isLoggedIn() const {
    TvMutexLocker locker(&mainMutex);
    return loggedIn;
}

void NxLoginCenter::systemCallback(void* context, int command, const char* text, int length) {
    const QByteArray body = NxRecordCodec::boundedText(text, length);
    if (!context) {
        qWarning("===-=-===ncmd %d cbuf %s ilen %d", command, NxRecordCodec::maskSecrets(body).constData(),
                 length);
        return;
    }
    static_cast<NxLoginCenter*>(context)->handleSystemCommand(command, body, length);
}

void NxLoginCenter::handleSystemCommand(int command, const QByteArray& text, int length) {
    // The device info record carries the camera's password.
    qWarning("===-=-===ncmd %d cbuf %s ilen %d", command, NxRecordCodec::maskSecrets(text).constData(),
             length);
    switch (command) {
    case 0: {
        qWarning() << "登录成功，请注册监控服务";
        {
            TvMutexLocker locker(&mainMutex);
            if (pendingOp != 1) {
                qWarning("登录应答来得太晚(%d)，忽略", pendingOp);
                break;
            }
            emit stopLoginTimerSignal();
            beginLocked(2);
        }
        // Not on the SDK's callback thread: the request waits for its reply. A refused request is only
        // logged; the wait reports it.
        NxAsyncJob::start([] {
            const int result = nx_RegionMonServer();
            if (result < 0)
                qWarning("注册监控服务请求返回 %d", result);
        });
        break;
    }
    case 1:
        qWarning() << "登录密码错误";
        break;
    case 3:
        NxAsyncJob::start([this] { logout(); });
        break;
    case 101:
        if (pendingOperation() != 2) {
            qWarning() << "注册监控服务的应答来得太晚，忽略";
        } else if (text == "1") {
            qWarning() << "注册监控服务成功";
            emit registMonitorResultSignal(LoginCenterResultSuccess);
        } else {
            qWarning() << "注册监控服务失败";
            emit registMonitorResultSignal(LoginCenterResultFailure);
        }
        break;
    case 104: {
        const QString id = QString::fromUtf8(text);
        NxAlarmLog::instance()->insertAlarm(id, NxAlarmLog::CameraOnline);
        NxDeviceStateCenter::instance()->setWanState(id, 1);
        emit updateDeviceListSignal();
        emit wanDeviceOnlineSignal(id);
        break;
    }
    case 105:
    case 106: {
        NxCallProgressRecord record;
        NxRecordCodec::parseCallProgress(text.constData(), text.size(), &record);
        qWarning("系统回调返回(%s, %d) %d", record.devid, record.flag, command);
        if (NxVideoCenter* video = m_videoCenter.load())
            video->handleCallProgress(QString::fromUtf8(record.devid), command, record.flag);
        break;
    }
    case 108: {
        const QString id = QString::fromUtf8(text);
        NxAlarmLog::instance()->insertAlarm(id, NxAlarmLog::CameraOffline);
        NxDeviceStateCenter::instance()->setWanState(id, 0);
        emit updateDeviceListSignal();
        break;
    }
    case 115: {
        const LoginCenterResultType result =
            text == "1" ? LoginCenterResultSuccess : LoginCenterResultFailure;
        {
            TvMutexLocker locker(&mainMutex);
            if (pendingOp != 3) {
                qWarning("修改访问密码的应答来得太晚(%d)，忽略", pendingOp);
                break;
            }
            emit stopLoginTimerSignal();
            pendingOp = 0;
        }
        emit updateAccessPwdResultSignal(result);
        break;
    }
    case 119:
        handleDeviceInfo(text);
        break;
    default:
        break;
    }
}

void NxLoginCenter::handleDeviceInfo(const QByteArray& text) {
    NxDeviceInfoRecord info;
    NxRecordCodec::parseDeviceInfo(text.constData(), text.size(), &info);
    if (info.devid[0] == '\0' || info.pwd[0] == '\0') {
        emit didLoadDeviceInfoSignal(nullptr);
        return;
    }
    NxDeviceStateCenter::instance()->setWanState(QString::fromUtf8(info.devid), info.status == 1 ? 1 : 0);
    // Records and the settings store belong to the GUI thread: the GUI reads record fields without a
    // lock, so the record update, the save and the new record happen there.
    if (QThread::currentThread() == thread())
        applyDeviceInfo(info);
    else
        QMetaObject::invokeMethod(this, tvHandOver([this, info] { applyDeviceInfo(info); }),
                                  Qt::QueuedConnection);
}

void NxLoginCenter::applyDeviceInfo(const NxDeviceInfoRecord& info) {
    const QString id = QString::fromUtf8(info.devid);
    const QString devType = QString::fromUtf8(info.devtype);
    const QString audioType = QString::fromUtf8(info.audiotype);
    const QString pwd = QString::fromUtf8(info.pwd);
    VeCameraModel* record = nullptr;
    {
        TvMutexLocker locker(&listMutex);
        record = cloudDevices.value(id);
        if (record) {
            record->devFlag = devType;
            record->audioTypeText = audioType;
            record->audioType = VeCameraModel::audioTypeFor(audioType);
            record->devAccess = pwd;
            saveLocked();
            locker.unlock(); // a receiver on this thread reads the list again
            emit updateDeviceListSignal();
        }
    }
    if (!record) {
        // Not listed: the receiver (the add-device dialog) decides whether it joins the list. The
        // center is its parent, so a record no dialog takes is still owned (the center lives as long
        // as the process); a receiver may delete it.
        record = new VeCameraModel(id, id, devType, audioType, 0, 0, pwd, QString(), this);
    }
    emit didLoadDeviceInfoSignal(record);
    // Copies what it needs here; the SDK calls run on the service's worker thread.
    if (m_dataCenter)
        m_dataCenter->fetchParamsToLocal(record);
}

void NxLoginCenter::registMoniterSuccess(LoginCenterResultType result) {
    {
        TvMutexLocker locker(&mainMutex);
        // The wait may have ended between the answer and this slot: it has reported already.
        if (pendingOp != 2)
            return;
        emit stopLoginTimerSignal();
        pendingOp = 0;
        if (result == LoginCenterResultSuccess) {
            loggedIn = true;
            qWarning() << "告诉大家我登录成功了，获取本地设备列表的状态";
        }
    }
    if (result == LoginCenterResultSuccess)
        queryAllDeviceStatus();
    else
        runInBackground([] { vmoLogOut(); });
    // Raised after the release, so that a receiver may ask the center's state.
    emit loginResultSignal(result);
}

void NxLoginCenter::startLoginTimerSlot(int milliseconds) {
    // One wait at a time: a timer still running would fire for an operation that is already over.
    if (timerId != -1)
        killTimer(timerId);
    timerId = startTimer(milliseconds, Qt::CoarseTimer);
    qWarning() << "start login timer" << timerId;
}

void NxLoginCenter::stopLoginTimerSlot() {
    qWarning() << "stop login timer" << timerId;
    if (timerId != -1) {
        killTimer(timerId);
        timerId = -1;
    }
}

void NxLoginCenter::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timerId) {
        QObject::timerEvent(event);
        return;
    }
    qWarning() << "login center" << event;
    emit stopLoginTimerSignal();
    int expired = 0;
    {
        TvMutexLocker locker(&mainMutex);
        qWarning("互联网相关操作(%d)超时", pendingOp);
        expired = pendingOp;
        if (pendingOp >= 1 && pendingOp <= 3)
            pendingOp = 0;
    }
    if (expired == 1 || expired == 2)
        emit loginResultSignal(LoginCenterResultTimeout);
    else if (expired == 3)
        emit updateAccessPwdResultSignal(LoginCenterResultTimeout);
}
