#include "VeSDFilesDialog.h"

#include "ui_VeSDFilesDialog.h"

#include "NxDataCenter.h"
#include "TvDefaultSettings.h"
#include "TvDesktop.h"
#include "TvHandOver.h"
#include "TvMutexLocker.h"
#include "VeCameraModel.h"
#include "VeSDDownloadDataBase.h"
#include "VeTitleBar.h"

#include <pcQuorvane.h>

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTableWidgetItem>
#include <QUrl>

std::atomic<VeSDFilesDialog*> VeSDFilesDialog::s_registered{nullptr};

namespace {

// Runs fn on the GUI thread unless the dialog is gone by then; else runs gone (may be empty).
template <typename Fn, typename Gone>
void backOnGui(const QPointer<VeSDFilesDialog>& guard, Fn fn, Gone gone) {
    QMetaObject::invokeMethod(QCoreApplication::instance(), tvHandOver([guard, fn, gone] {
                                  if (guard)
                                      fn(guard.data());
                                  else
                                      gone();
                              }),
                              Qt::QueuedConnection);
}

bool askOk(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, VeSDFilesDialog::tr("提示"), text,
                    QMessageBox::Ok | QMessageBox::Cancel, parent);
    return box.exec() == QMessageBox::Ok;
}

} // namespace

VeSDFilesDialog::VeSDFilesDialog(VeCameraModel* camera, QWidget* parent, VeSDDownloadDataBase* database)
    : VeBasicDialog(parent), ui(new Ui::VeSDFilesDialog), m_camera(camera),
      m_database(database ? database : VeSDDownloadDataBase::instance()),
      m_center(NxDataCenter::instance()->sdCenter) {
    qRegisterMetaType<VeSDFileEntry>("VeSDFileEntry");
    ui->setupUi(this);
    m_table = std::make_unique<VeSDFileTable>(
        ui->tableWidget,
        QStringList{tr("ID"), tr("Start Time"), tr("Filename"), tr("Size (MB)"), tr("Download Progress")});
    initTitleBar();
    m_titleBar->setTitleContent(tr("%1 SD卡录像查询").arg(camera ? camera->deviceId : QString()), 9);
    ui->pushButton_prev->setEnabled(false);
    ui->pushButton_next->setEnabled(false);

    connect(this, &VeSDFilesDialog::signalTotalFilesChanged, this, &VeSDFilesDialog::slotTotalFilesChanged);
    connect(this, &VeSDFilesDialog::signalFileHashUpdate, this, &VeSDFilesDialog::slotFileHashUpdate);
    connect(this, &VeSDFilesDialog::signalUpdateDownloadProgress, this,
            &VeSDFilesDialog::slotUpdateDownloadProgress);
    connect(this, &VeSDFilesDialog::signalDownloadSucceed, this, &VeSDFilesDialog::downloadNextFile);
    connect(this, &VeSDFilesDialog::fileEntrySignal, this, &VeSDFilesDialog::fileEntrySlot);
    connect(m_sink.recordCenter(), &VeRecordCenter::recordingEndedSignal, this,
            &VeSDFilesDialog::recordingEndedSlot);

    if (!m_database->isAvailable())
        qWarning() << "SD downloads are not remembered: no download database" << m_database->problem();
    s_registered = this;
    InitSdFile(this, &VeSDFilesDialog::sdFileCallback);
    nx_InitSdData(this, &VeSDFilesDialog::sdDataCallback);
    queryPage(m_page);
}

VeSDFilesDialog::~VeSDFilesDialog() {
    m_closing = true;
    // The SDK waits for a callback that is running: after this none can reach the dialog. A newer dialog
    // has replaced the registrations already (waiting the same way), and keeps them.
    VeSDFilesDialog* self = this;
    if (s_registered.compare_exchange_strong(self, nullptr)) {
        InitSdFile(nullptr, nullptr);
        nx_InitSdData(nullptr, nullptr);
    }
    if (m_downloading && !m_startPending)
        cancelInBackground(m_callId);
    m_sink.finish();
}

void VeSDFilesDialog::sdFileCallback(void* context, int number, const char* entry, int lastFlag) {
    auto* self = static_cast<VeSDFilesDialog*>(context);
    if (!self)
        return;
    if (self->m_closing) {
        qWarning("nxCallbackSDFile is destruct.......");
        return;
    }
    if (!entry || !*entry) {
        // An empty final entry is how a camera lists an empty card: the wait ends now.
        if (lastFlag == 0)
            emit self->signalFileHashUpdate();
        return;
    }
    VeSDFileEntry parsed;
    QString problem;
    if (!VeSDFileEntry::parse(QByteArray(entry), &parsed, &problem)) {
        qWarning() << "SD file entry refused:" << problem << number << entry;
        // The page's last entry still ends the wait.
        if (lastFlag == 0)
            emit self->signalFileHashUpdate();
        return;
    }
    emit self->fileEntrySignal(parsed, lastFlag);
}

void VeSDFilesDialog::sdDataCallback(void* context, int, const unsigned char* data, int length,
                                     short resolution, short, short, short frameType) {
    auto* self = static_cast<VeSDFilesDialog*>(context);
    if (!self)
        return;
    if (self->m_closing) {
        qWarning("nxMediaSDCallback is destruct.......");
        return;
    }
    if (!self->m_downloading)
        return;
    switch (self->m_sink.take(data, length, resolution, frameType)) {
    case VeSDDownloadSink::Frame::End:
        emit self->signalDownloadSucceed();
        break;
    case VeSDDownloadSink::Frame::Received:
        emit self->signalUpdateDownloadProgress(length);
        break;
    default:
        break;
    }
}

void VeSDFilesDialog::queryPage(int page) {
    setCursor(Qt::WaitCursor);
    m_files.clear();
    m_table->clear();
    m_selectedRow = -1;
    ui->label_tip->clear();
    m_ticks = 0;
    if (m_timerId >= 0)
        killTimer(m_timerId);
    m_timerId = startTimer(1000, Qt::CoarseTimer);
    m_route = m_center->routeOf(m_camera);
    const NxSDCenter::Route route = m_route;
    const quint64 serial = ++m_querySerial;
    const QPointer<VeSDFilesDialog> guard(this);
    NxDataCenter::instance()->runInBackground([guard, route, page, serial] {
        const qint32 result = NxSDCenter::readSdData(route, page, kPageSize);
        backOnGui(
            guard, [serial, result](VeSDFilesDialog* d) { d->listRequested(serial, result); }, [] {});
    });
}

void VeSDFilesDialog::listRequested(quint64 serial, qint32 result) {
    if (serial != m_querySerial || result >= 0)
        return;
    qWarning() << "SD list request failed" << result;
    stopQueryTimer();
    showTip(tr("读取SD卡录像失败"));
}

void VeSDFilesDialog::stopQueryTimer() {
    if (m_timerId >= 0)
        killTimer(m_timerId);
    m_timerId = -1;
    unsetCursor();
}

void VeSDFilesDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() == m_stallTimerId) {
        if (!m_downloading) {
            killTimer(m_stallTimerId);
            m_stallTimerId = -1;
        } else if (++m_stallTicks >= kStallTicks) {
            // The camera or the connection went away: keep what came and go on with the queue.
            qWarning() << "SD download stalled:" << m_currentName << m_receivedBytes;
            showTip(tr("下载中断：%1").arg(m_currentName));
            TvMutexLocker locker(&m_queueMutex);
            finishDownload(m_currentName);
            startNextLocked();
        }
        return;
    }
    if (event->timerId() != m_timerId)
        return VeBasicDialog::timerEvent(event);
    if (++m_ticks < kQueryTicks)
        return;
    qWarning() << "timerEvent";
    stopQueryTimer();
    if (m_files.isEmpty())
        showTip(tr("SD卡中没有录像"));
}

void VeSDFilesDialog::lookUpLocalCopy(VeSDFileEntry* entry) {
    entry->downloaded = entry->complete = false;
    VeSDDownloadDataBase::Row row;
    if (!m_database->findDownload(m_camera->deviceId, entry->name, &row))
        return;
    if (!QFileInfo(row.path).isFile()) {
        qWarning() << "local copy is gone:" << row.path;
        m_database->deleteDownload(m_camera->deviceId, entry->name);
        return;
    }
    entry->downloaded = true;
    entry->complete = row.size >= entry->size;
}

void VeSDFilesDialog::fileEntrySlot(VeSDFileEntry entry, int lastFlag) {
    if (m_closing)
        return;
    m_ticks = 0;
    lookUpLocalCopy(&entry);
    entry.downloading = entry.name == m_currentName;
    m_files.insert(entry.name, entry);
    if (lastFlag == 0)
        emit signalFileHashUpdate();
    if (m_totalFiles == 0 && entry.id > 0) {
        // The first entry of a listing carries the highest id.
        m_totalFiles = entry.id;
        emit signalTotalFilesChanged(entry.id);
    }
}

void VeSDFilesDialog::slotTotalFilesChanged(int total) {
    m_pageCount = (total + kPageSize - 1) / kPageSize;
    updatePageControls();
}

void VeSDFilesDialog::updatePageControls() {
    ui->label_page->setText(QStringLiteral("%1").arg(m_page));
    ui->label_pageCount->setText(QStringLiteral("%1").arg(m_pageCount));
    ui->pushButton_next->setEnabled(m_page < m_pageCount);
    ui->pushButton_prev->setEnabled(m_page > 1);
}

void VeSDFilesDialog::slotFileHashUpdate() {
    stopQueryTimer();
    updatePageControls();
    const QString selected = selectedName();
    m_table->fill(m_files, [this](const VeSDFileEntry& entry) { return progressText(entry); });
    m_selectedRow = m_table->rowOf(selected);
    if (m_files.isEmpty())
        showTip(tr("SD卡中没有录像"));
}

void VeSDFilesDialog::on_pushButton_prev_clicked() {
    if (m_timerId >= 0 || m_page <= 1)
        return;
    queryPage(--m_page);
}

void VeSDFilesDialog::on_pushButton_next_clicked() {
    if (m_timerId >= 0 || m_page >= m_pageCount)
        return;
    queryPage(++m_page);
}

void VeSDFilesDialog::slotDownloadFiles() {
    const QString name = selectedName();
    if (name.isEmpty() || m_closing)
        return;
    VeSDDownloadDataBase::Row row;
    if (m_database->findDownload(m_camera->deviceId, name, &row)) {
        const bool exists = QFileInfo(row.path).isFile();
        const bool complete = row.size >= m_files.value(name).size;
        if (exists && complete) {
            if (!askOk(this, tr("该文件已经下载，确定要重新下载？")))
                return;
            QFile::remove(row.path);
            m_database->deleteDownload(m_camera->deviceId, name);
            m_files[name].downloaded = m_files[name].complete = false;
            setProgressText(name, progressText(m_files.value(name)));
            return;
        }
        // A part of the file is worth nothing once the whole is on its way.
        if (exists)
            QFile::remove(row.path);
        m_database->deleteDownload(m_camera->deviceId, name);
        m_files[name].downloaded = m_files[name].complete = false;
    }
    TvMutexLocker locker(&m_queueMutex);
    if (!m_queue.contains(name) && name != m_currentName) {
        m_queue.append(name);
        setProgressText(name, tr("Wait for download"));
    }
    qWarning() << "slotDownloadFiles" << m_queue;
    if (!m_downloading)
        startNextLocked();
}

void VeSDFilesDialog::startNextLocked() {
    while (!m_queue.isEmpty() && !m_downloading) {
        const QString name = m_queue.takeFirst();
        startDownloadFile(name);
    }
}

bool VeSDFilesDialog::startDownloadFile(const QString& name) {
    const VeSDFileEntry entry = m_files.value(name);
    const QString folder = TvDefaultSettings::instance()->videoDir();
    if (!QDir().mkpath(folder) || !QFileInfo(folder).isWritable()) {
        qWarning() << "SD download skipped: folder not writable" << folder << name;
        showTip(tr("无法写入录像文件夹：%1").arg(folder));
        setProgressText(name, progressText(entry));
        return false;
    }
    m_downloading = true;
    m_currentName = name;
    m_currentSize = entry.size;
    m_receivedBytes = 0;
    m_stallTicks = 0;
    if (m_stallTimerId < 0)
        m_stallTimerId = startTimer(1000, Qt::CoarseTimer);
    m_callId.clear();
    m_sink.begin(folder + QLatin1Char('/') + entry.localFileName());
    m_route = m_center->routeOf(m_camera);
    const NxSDCenter::Route route = m_route;
    const quint64 serial = ++m_downloadSerial;
    m_startPending = true;
    const QPointer<VeSDFilesDialog> guard(this);
    NxDataCenter::instance()->runInBackground([guard, route, name, serial] {
        QString callId;
        const qint32 result = NxSDCenter::downloadFile(route, name, &callId);
        backOnGui(
            guard,
            [serial, result, callId](VeSDFilesDialog* d) { d->downloadStarted(serial, result, callId); },
            [route, result, callId] {
                // Nobody wants the data any more.
                if (result >= 0)
                    NxDataCenter::instance()->runInBackground(
                        [route, callId] { NxSDCenter::cancelDownloadFile(route, callId); });
            });
    });
    if (m_files.contains(name))
        m_files[name].downloading = true;
    setProgressText(name, tr("Downloading") + QStringLiteral(" (0/%1 kB)").arg(entry.size / 1024));
    return true;
}

void VeSDFilesDialog::downloadStarted(quint64 serial, qint32 result, const QString& callId) {
    if (serial != m_downloadSerial) {
        // The download was cancelled while the camera answered.
        if (result >= 0)
            cancelInBackground(callId);
        return;
    }
    m_startPending = false;
    if (result >= 0) {
        m_callId = callId;
        qWarning() << "startDownloadFile"
                   << "callid " << callId;
        return;
    }
    qWarning() << "SD download not started" << m_currentName << result;
    showTip(tr("下载失败：%1").arg(m_currentName));
    const QString name = m_currentName;
    m_downloading = false;
    m_currentName.clear();
    m_sink.finish();
    if (m_files.contains(name))
        m_files[name].downloading = false;
    setProgressText(name, progressText(m_files.value(name)));
    TvMutexLocker locker(&m_queueMutex);
    startNextLocked();
}

void VeSDFilesDialog::slotUpdateDownloadProgress(int bytes) {
    if (!m_downloading)
        return;
    m_stallTicks = 0;
    m_receivedBytes += bytes;
    // The size as listed when the download started: the page may have changed since.
    setProgressText(m_currentName,
                    tr("Downloading") +
                        QStringLiteral(" (%1/%2) kB").arg(m_receivedBytes / 1024).arg(m_currentSize / 1024));
}

void VeSDFilesDialog::cancelInBackground(const QString& callId) {
    const NxSDCenter::Route route = m_route;
    NxDataCenter::instance()->runInBackground(
        [route, callId] { NxSDCenter::cancelDownloadFile(route, callId); });
}

void VeSDFilesDialog::finishDownload(QString name) { // a copy: the current name is cleared here
    if (name.isEmpty())
        return;
    if (m_startPending)
        ++m_downloadSerial; // its answer closes the call when it comes
    else
        cancelInBackground(m_callId);
    m_startPending = false;
    m_downloading = false;
    const QString path = m_sink.finish();
    const bool listed = m_files.contains(name);
    VeSDFileEntry entry = m_files.value(name);
    if (!path.isEmpty()) {
        m_recordedNames.insert(path, name);
        m_database->insertDownload(m_camera->deviceId, name, path, m_receivedBytes);
        entry.downloaded = true;
        entry.complete = m_sink.endReached() && m_receivedBytes >= m_currentSize;
        if (!entry.complete)
            qWarning() << "SD download kept in part:" << name << m_receivedBytes << "of" << m_currentSize;
    } else if (m_receivedBytes > 0) {
        qWarning() << "SD download without a key frame, nothing kept:" << name;
        showTip(tr("下载失败：%1").arg(name));
    }
    m_currentName.clear();
    m_callId.clear();
    m_receivedBytes = 0;
    entry.downloading = false;
    // A file of another page stays out of this page's table.
    if (listed)
        m_files.insert(name, entry);
    setProgressText(name, progressText(entry));
}

void VeSDFilesDialog::recordingEndedSlot(QString path, bool ok) {
    const QString name = m_recordedNames.take(path);
    if (ok || name.isEmpty())
        return;
    qWarning() << "SD download file failed:" << path;
    showTip(tr("录像文件写入失败：%1").arg(path));
    if (QFileInfo(path).isFile())
        return;
    m_database->deleteDownload(m_camera->deviceId, name);
    if (m_files.contains(name)) {
        m_files[name].downloaded = m_files[name].complete = false;
        setProgressText(name, progressText(m_files.value(name)));
    }
}

void VeSDFilesDialog::downloadNextFile() {
    TvMutexLocker locker(&m_queueMutex);
    finishDownload(m_currentName);
    startNextLocked();
}

void VeSDFilesDialog::slotCancelDownloadFiles() {
    const QString name = selectedName();
    TvMutexLocker locker(&m_queueMutex);
    if (!name.isEmpty() && name == m_currentName) {
        finishDownload(name);
        startNextLocked();
    } else if (m_queue.removeAll(name) > 0) {
        setProgressText(name, progressText(m_files.value(name)));
    }
}

void VeSDFilesDialog::slotOpenFile() {
    const QString name = selectedName();
    VeSDDownloadDataBase::Row row;
    if (name.isEmpty() || !m_database->findDownload(m_camera->deviceId, name, &row))
        return;
    if (!QFileInfo(row.path).isFile()) {
        showTip(tr("文件不存在：%1").arg(row.path));
        m_database->deleteDownload(m_camera->deviceId, name);
        m_files[name].downloaded = m_files[name].complete = false;
        setProgressText(name, progressText(m_files.value(name)));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(row.path))) {
        qWarning() << "no program could open" << row.path;
        showTip(tr("无法打开文件：%1").arg(row.path));
    }
}

void VeSDFilesDialog::on_pushButton_open_clicked() {
    const QString folder = TvDefaultSettings::instance()->videoDir();
    if (!TvDesktop::openFolder(folder))
        showTip(tr("无法打开文件夹：%1").arg(folder));
}

void VeSDFilesDialog::on_tableWidget_customContextMenuRequested(const QPoint& pos) {
    QTableWidgetItem* item = ui->tableWidget->itemAt(pos);
    if (!item)
        return;
    m_selectedRow = item->row();
    const QString name = selectedName();
    const VeSDFileEntry entry = m_files.value(name);
    bool queued;
    {
        TvMutexLocker locker(&m_queueMutex);
        queued = m_queue.contains(name);
    }
    QMenu menu(this);
    menu.addAction(tr("Download"), this, &VeSDFilesDialog::slotDownloadFiles)->setEnabled(!entry.downloading);
    menu.addSeparator();
    menu.addAction(tr("Cancel Download"), this, &VeSDFilesDialog::slotCancelDownloadFiles)
        ->setEnabled(entry.downloading || queued);
    menu.addAction(tr("Open file"), this, &VeSDFilesDialog::slotOpenFile)
        ->setEnabled(entry.downloaded && !entry.downloading);
    menu.exec(ui->tableWidget->viewport()->mapToGlobal(pos));
}

void VeSDFilesDialog::on_tableWidget_itemClicked(QTableWidgetItem* item) {
    m_selectedRow = item->row();
}

void VeSDFilesDialog::on_tableWidget_itemPressed(QTableWidgetItem* item) {
    m_selectedRow = item->row();
}

void VeSDFilesDialog::on_tableWidget_doubleClicked(const QModelIndex& index) {
    m_selectedRow = index.row();
    const VeSDFileEntry entry = m_files.value(selectedName());
    if (entry.downloaded && entry.complete && !entry.downloading)
        slotOpenFile();
    else
        slotDownloadFiles();
}

void VeSDFilesDialog::reject() {
    if (m_downloading)
        close();
    else
        VeBasicDialog::reject();
}

void VeSDFilesDialog::closeEvent(QCloseEvent* event) {
    if (m_downloading) {
        if (!askOk(this, tr("当前有文件正在下载，关闭后将停止下载，确定要关闭？"))) {
            event->ignore();
            return;
        }
        m_closing = true;
        TvMutexLocker locker(&m_queueMutex);
        m_queue.clear();
        finishDownload(m_currentName);
    }
    m_closing = true;
    VeBasicDialog::closeEvent(event);
}

void VeSDFilesDialog::showTip(const QString& text) {
    ui->label_tip->setText(text);
}

QString VeSDFilesDialog::selectedName() const {
    return m_table->nameAt(m_selectedRow);
}

QString VeSDFilesDialog::progressText(const VeSDFileEntry& entry) const {
    if (entry.downloading)
        return tr("Downloading");
    if (m_queue.contains(entry.name))
        return tr("Wait for download");
    if (entry.downloaded)
        return entry.complete ? tr("Download success") : tr("Partly downloaded");
    return tr("Downloadable");
}

void VeSDFilesDialog::setProgressText(const QString& name, const QString& text) {
    m_table->setProgressText(name, text);
}

// Compiled here rather than with the library's other meta-objects, so that programs linking the library
// without this dialog need no SDK.
#include "moc_VeSDFilesDialog.cpp"
