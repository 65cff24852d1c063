#pragma once

#include "NxSDCenter.h"
#include "VeBasicDialog.h"
#include "VeSDDownloadSink.h"
#include "VeSDFileEntry.h"
#include "VeSDFileTable.h"

#include <QHash>
#include <QModelIndex>
#include <QMutex>
#include <QStringList>

#include <atomic>
#include <memory>

class QTableWidgetItem;
class VeCameraModel;
class VeSDDownloadDataBase;

namespace Ui {
class VeSDFilesDialog;
}

// The recordings on a camera's SD card, page by page, downloaded one at a time into local QuickTime
// files. The SDK calls wait for the camera and run on the service's worker; its callbacks arrive on SDK
// threads and reach the file table only through queued signals.
class VeSDFilesDialog : public VeBasicDialog {
    Q_OBJECT
public:
    // database: where downloads are remembered; the client's own when null.
    VeSDFilesDialog(VeCameraModel* camera, QWidget* parent = nullptr,
                    VeSDDownloadDataBase* database = nullptr);
    ~VeSDFilesDialog() override;

    static constexpr int kPageSize = 25;
    static constexpr int kQueryTicks = 11;
    // Seconds without data after which a download counts as cut off.
    static constexpr int kStallTicks = 5;

signals:
    void signalTotalFilesChanged(int total);
    void signalFileHashUpdate();
    void signalUpdateDownloadProgress(int bytes);
    void signalDownloadSucceed();
    void fileEntrySignal(VeSDFileEntry entry, int lastFlag);

private slots:
    void downloadNextFile();
    void slotTotalFilesChanged(int total);
    void slotFileHashUpdate();
    void slotDownloadFiles();
    void slotCancelDownloadFiles();
    void slotOpenFile();
    void slotUpdateDownloadProgress(int bytes);
    void on_pushButton_prev_clicked();
    void on_pushButton_next_clicked();
    void on_tableWidget_customContextMenuRequested(const QPoint& pos);
    void on_tableWidget_itemClicked(QTableWidgetItem* item);
    void on_tableWidget_itemPressed(QTableWidgetItem* item);
    void on_pushButton_open_clicked();
    void on_tableWidget_doubleClicked(const QModelIndex& index);
    void fileEntrySlot(VeSDFileEntry entry, int lastFlag);
    void recordingEndedSlot(QString path, bool ok);

public slots:
    // Escape asks like the close button while a file downloads.
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    static void sdFileCallback(void* context, int number, const char* entry, int lastFlag);
    static void sdDataCallback(void* context, int sequence, const unsigned char* data, int length,
                               short resolution, short encoding, short reserved, short frameType);

    void queryPage(int page);
    void listRequested(quint64 serial, qint32 result);
    void stopQueryTimer();
    void updatePageControls();
    void lookUpLocalCopy(VeSDFileEntry* entry);
    // Under the queue mutex: starts queued files until one starts.
    void startNextLocked();
    bool startDownloadFile(const QString& name);
    void downloadStarted(quint64 serial, qint32 result, const QString& callId);
    void finishDownload(QString name);
    void cancelInBackground(const QString& callId);
    void showTip(const QString& text);
    QString selectedName() const;
    QString progressText(const VeSDFileEntry& entry) const;
    void setProgressText(const QString& name, const QString& text);

    std::unique_ptr<Ui::VeSDFilesDialog> ui;
    VeCameraModel* m_camera;
    VeSDDownloadDataBase* m_database;
    NxSDCenter* m_center;
    NxSDCenter::Route m_route;

    int m_page = 1;
    int m_pageCount = 0;
    int m_totalFiles = 0;
    QHash<QString, VeSDFileEntry> m_files;
    std::unique_ptr<VeSDFileTable> m_table;
    int m_timerId = -1;
    int m_ticks = 0;
    int m_stallTimerId = -1;
    int m_stallTicks = 0;
    quint64 m_querySerial = 0;
    int m_selectedRow = -1;

    QMutex m_queueMutex;
    QStringList m_queue;
    QString m_currentName;
    QString m_callId;
    qint64 m_currentSize = 0;
    qint64 m_receivedBytes = 0;
    bool m_startPending = false;
    quint64 m_downloadSerial = 0;
    QHash<QString, QString> m_recordedNames; // local path -> card file name, until the file is closed

    // Read by the callbacks on SDK threads.
    std::atomic<bool> m_closing{false};
    std::atomic<bool> m_downloading{false};
    VeSDDownloadSink m_sink;
    // The dialog whose callbacks the SDK holds.
    static std::atomic<VeSDFilesDialog*> s_registered;
};
