// SD-card recordings: entry texts and frame codes the camera may get wrong, and the dialog against the
// simulator: pages, downloads decoded back, re-download, a lost copy, closing mid-download, failures.
#include "../liveview/UnansweredBoxes.h"
#include "../media/MediaFixtures.h"
#include "NxAsyncJob.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "SimProcess.h"
#include "TvDefaultSettings.h"
#include "VeCameraModel.h"
#include "VeSDDownloadDataBase.h"
#include "VeSDDownloadSink.h"
#include "VeSDFileEntry.h"
#include "VeSDFilesDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTranslator>
#include <QtTest>

#include <functional>

namespace {

const char kCam[] = "KV-SDC-01";

// Presses a button of the next message box as soon as it shows; records its text.
void answerNextBox(QMessageBox::StandardButton button, QString* text) {
    QTimer::singleShot(50, [button, text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return answerNextBox(button, text);
        *text = box->text();
        box->button(button)->click();
    });
}

} // namespace

class TestSdFiles : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QTranslator m_english;
    SimProcess m_sim;
    std::unique_ptr<VeSDDownloadDataBase> m_db;
    VeCameraModel* m_camera = nullptr;

    QTableWidget* table(QWidget* d) { return d->findChild<QTableWidget*>(QStringLiteral("tableWidget")); }
    QString tip(QWidget* d) { return d->findChild<QLabel*>(QStringLiteral("label_tip"))->text(); }
    int rowOf(QWidget* d, const QString& name) {
        for (int r = 0; r < table(d)->rowCount(); ++r)
            if (table(d)->item(r, 2)->text() == name)
                return r;
        return -1;
    }
    QString cell(QWidget* d, const QString& name, int column) {
        const int r = rowOf(d, name);
        return r < 0 ? QString() : table(d)->item(r, column)->text();
    }
    // Presses the file's row, then runs one of the dialog's actions on it.
    void act(QWidget* d, const QString& name, const char* slot) {
        QTableWidgetItem* item = table(d)->item(rowOf(d, name), 2);
        QVERIFY(item);
        emit table(d)->itemPressed(item);
        QVERIFY(QMetaObject::invokeMethod(d, slot));
    }
    // Which of the row's menu items (Download, Cancel Download, Open file) are enabled, as "1"/"0".
    QString menuState(QWidget* d, const QString& name) {
        QString state;
        std::function<void()> read = [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (!menu)
                return QTimer::singleShot(20, read);
            for (QAction* action : menu->actions())
                if (!action->isSeparator())
                    state += action->isEnabled() ? '1' : '0';
            menu->close();
        };
        QTimer::singleShot(0, read);
        emit table(d)->customContextMenuRequested(
            table(d)->visualItemRect(table(d)->item(rowOf(d, name), 2)).center());
        return state;
    }
    QPointer<VeSDFilesDialog> openDialog(VeCameraModel* camera) {
        auto* d = new VeSDFilesDialog(camera, nullptr, m_db.get());
        d->show();
        return d;
    }
    void closeAndWait(QPointer<VeSDFilesDialog>& d) {
        d->close();
        QTRY_VERIFY(d.isNull());
    }
    // The page that holds the file, listed; the file's row exists.
    void showPageOf(VeSDFilesDialog* d, const QString& name) {
        QTRY_VERIFY_WITH_TIMEOUT(table(d)->rowCount() > 0 && d->cursor().shape() != Qt::WaitCursor, 15000);
        if (rowOf(d, name) < 0) {
            d->findChild<QPushButton*>(QStringLiteral("pushButton_next"))->click();
            QTRY_VERIFY_WITH_TIMEOUT(rowOf(d, name) >= 0 && d->cursor().shape() != Qt::WaitCursor, 15000);
        }
    }

private slots:
    void entryTexts() {
        // What each text gives, as name|id|size|start|local file (empty: refused, with the reason). Of two
        // dots only .nxv goes; a short name or one that is not a date gives no start.
        QList<std::pair<const char*, const char*>> cases = {
            {"name=20240101120000.nxv;fid=7;size=1048576;",
             "20240101120000.nxv|7|1048576|2024-01-01T12:00:00|20240101120000.mov"},
            {"n=20240101120000.h264.nxv;i=3;s=9",
             "20240101120000.h264|3|9|2024-01-01T12:00:00|20240101120000.mov"},
            {"name=clip.nxv;id=1;size=5;", "clip.nxv|1|5||clip.mov"},
            {"name=20241399250000.nxv;id=1;size=5;", "20241399250000.nxv|1|5||20241399250000.mov"}};
        for (const char* bad : {"name=a.nxv;id=1", "name=a.nxv;id1;size=2", "name=a.nxv;id=x;size=2",
                                "name=a.nxv;id=1;size=2k", "name=a.nxv;id=1;size=-2", "name=;id=1;size=2",
                                "name=../../x.nxv;id=1;size=2", "name=a/b.nxv;id=1;size=2", ""})
            cases.append(std::make_pair(bad, ""));
        for (const auto& [text, want] : cases) {
            VeSDFileEntry entry;
            QString problem;
            const bool parsed = VeSDFileEntry::parse(text, &entry, &problem);
            QVERIFY2(problem.isEmpty() == parsed, text);
            const QStringList fields{entry.name, QString::number(entry.id), QString::number(entry.size),
                                     entry.startTime().toString(Qt::ISODate), entry.localFileName()};
            QCOMPARE(parsed ? fields.join('|') : QString(), QString(want));
        }
    }

    void framesOfOneDownload() {
        // Steps of one download in order: frames before begin and after finish belong to nobody, broken
        // lengths are refused, frames before the first key frame are counted but not recorded.
        using F = VeSDDownloadSink::Frame;
        static const unsigned char p[] = {0, 0, 0, 1, 0x41, 0xe0},
                                   key[] = {0, 0, 0, 1, 0x67, 0x42, 0x00, 0x28};
        const struct {
            const char* step; // "begin", "finish" or a frame
            const unsigned char* data;
            int length, frameType, resolution;
            F want;
            int cached;
        } steps[] = {{"early", p, 6, 1, 4, F::Idle, 0},
                     {"begin", nullptr, 0, 0, 0, F::Idle, 0},
                     {"P before key", p, 6, 1, 4, F::Received, 0},
                     {"negative", p, -5, 1, 4, F::Bad, 0},
                     {"empty", p, 0, 1, 4, F::Bad, 0},
                     {"huge", p, VeSDDownloadSink::kMaxFrameBytes + 1, 1, 4, F::Bad, 0},
                     {"no data", nullptr, 6, 1, 4, F::Bad, 0},
                     {"key, unknown resolution", key, 8, 2, 77, F::Received, 1},
                     {"end", nullptr, -110, 0, 4, F::End, 1},
                     {"finish", nullptr, 0, 0, 0, F::Idle, 0},
                     {"late", p, 6, 1, 4, F::Idle, 0}};
        VeSDDownloadSink sink;
        for (const auto& step : steps) {
            if (qstrcmp(step.step, "begin") == 0) {
                sink.begin(m_dir.filePath(QStringLiteral("sink.mov")));
            } else if (qstrcmp(step.step, "finish") == 0) {
                sink.finish();
            } else {
                QVERIFY2(sink.take(step.data, step.length, step.resolution, step.frameType) == step.want,
                         step.step);
            }
            QVERIFY2(sink.recordCenter()->cachedCount() == step.cached, step.step);
        }
        QVERIFY(sink.endReached());
    }

    void initTestCase() {
        UnansweredBoxes::watch();
        QVERIFY(m_english.load(QStringLiteral(":/tr_en_US"), QString(), QString(), QString()));
        QApplication::installTranslator(&m_english);
        qputenv("KVAB_SDK_TIMEOUT_MS", "1500");
        QVERIFY(m_sim.start({"--clip-seconds", "2", "--cameras", QStringLiteral("lan:%1").arg(kCam)}));
        TvDefaultSettings::instance()->saveDeviceInfo({});
        m_db = std::make_unique<VeSDDownloadDataBase>(m_dir.filePath(QStringLiteral("sddownload.db")));
        NxDataCenter* data = NxDataCenter::instance();
        QTRY_VERIFY_WITH_TIMEOUT(data->lanCenter->contains(kCam), 15000);
        m_camera = data->lanCenter->device(kCam);
        TvDefaultSettings::instance()->setVideoDir(m_dir.filePath(QStringLiteral("videos")));
    }

    void listsPagesAndDownloads() {
        QPointer<VeSDFilesDialog> d = openDialog(m_camera);
        // 30 files: page 1 holds the newest 25, the next page the rest.
        QTRY_COMPARE_WITH_TIMEOUT(table(d)->rowCount(), 25, 15000);
        QCOMPARE(d->findChild<QLabel*>(QStringLiteral("label_pageCount"))->text(), QStringLiteral("2"));
        QVERIFY(!d->findChild<QPushButton*>(QStringLiteral("pushButton_prev"))->isEnabled());
        // Page counts at the page boundary, then back to the card's own 30.
        for (int total : {25, 26, 1, 30}) {
            emit d->signalTotalFilesChanged(total);
            QCOMPARE(d->findChild<QLabel*>(QStringLiteral("label_pageCount"))->text(),
                     QString::number(total > 25 ? 2 : 1));
            QCOMPARE(d->findChild<QPushButton*>(QStringLiteral("pushButton_next"))->isEnabled(), total > 25);
        }
        const QString name = QStringLiteral("20240101120000.nxv");
        showPageOf(d, name);
        QVERIFY(table(d)->rowCount() == 5 && cell(d, name, 1) == QStringLiteral("2024-01-01 12:00:00"));
        QCOMPARE(table(d)->item(0, 1)->text(), QStringLiteral("2024-01-01 12:40:00")); // newest first

        // Queued twice and once more behind it: one download; the other is cancelled while it waits.
        const QString other = QStringLiteral("20240101121000.nxv");
        act(d, name, "slotDownloadFiles");
        act(d, name, "slotDownloadFiles");
        act(d, other, "slotDownloadFiles");
        QCOMPARE(cell(d, other, 4), QStringLiteral("Wait for download"));
        QCOMPARE(menuState(d, name) + menuState(d, other), QStringLiteral("010110"));
        act(d, other, "slotCancelDownloadFiles");
        QVERIFY(cell(d, other, 4) == QStringLiteral("Downloadable") && menuState(d, other) == "100");
        QTRY_COMPARE_WITH_TIMEOUT(cell(d, name, 4), QStringLiteral("Download success"), 30000);
        QCOMPARE(menuState(d, name), QStringLiteral("101"));
        const QString mov = TvDefaultSettings::instance()->videoDir() + QStringLiteral("/20240101120000.mov");
        VeSDDownloadDataBase::Row row;
        QVERIFY(m_db->findDownload(kCam, name, &row) && row.path == mov);
        // Keyed by camera and file.
        QVERIFY(!m_db->findDownload(kCam, other, &row) && !m_db->findDownload("KV-OTHER", name, &row));
        QVERIFY(VeRecordCenter::waitForWriters(10000));
        const auto p = MediaFixtures::readBack(mov);
        QVERIFY2(p.packets >= 8 * 15, qPrintable(QString::number(p.packets))); // eight seconds of video
        QCOMPARE(QSize(p.width, p.height), QSize(640, 360));
        // Timed by the stream's 25 frames a second, not by how fast the download came.
        QVERIFY2(qAbs(p.seconds - p.packets / 25.0) < 0.5, qPrintable(QString::number(p.seconds)));

        // The re-download question: OK removes the copy and its row and starts nothing.
        QString asked;
        answerNextBox(QMessageBox::Ok, &asked);
        act(d, name, "slotDownloadFiles");
        QVERIFY(asked.contains(QStringLiteral("re-download"), Qt::CaseInsensitive));
        QVERIFY(!QFile::exists(mov) && !m_db->findDownload(kCam, name, &row));
        QCOMPARE(cell(d, name, 4), QStringLiteral("Downloadable"));

        // A copy deleted behind the dialog's back is downloadable after the next listing, its row gone.
        act(d, name, "slotDownloadFiles");
        QTRY_COMPARE_WITH_TIMEOUT(cell(d, name, 4), QStringLiteral("Download success"), 30000);
        QVERIFY(VeRecordCenter::waitForWriters(10000) && QFile::remove(mov));
        d->findChild<QPushButton*>(QStringLiteral("pushButton_prev"))->click();
        showPageOf(d, name);
        QVERIFY(cell(d, name, 4) == QStringLiteral("Downloadable") && !m_db->findDownload(kCam, name, &row));

        // Three queued files download one at a time, in the order queued, each into a whole file.
        const QStringList three = {QStringLiteral("20240101123000.nxv"), QStringLiteral("20240101121000.nxv"),
                                   QStringLiteral("20240101124000.nxv")};
        for (const QString& file : three)
            act(d, file, "slotDownloadFiles");
        QStringList finished;
        int most = 0; // downloading at once, the most seen
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                int downloading = 0;
                for (const QString& file : three) {
                    downloading += cell(d, file, 4).startsWith(QStringLiteral("Downloading")) ? 1 : 0;
                    if (cell(d, file, 4) == QStringLiteral("Download success") && !finished.contains(file))
                        finished << file;
                }
                most = qMax(most, downloading);
                return finished.size() == 3;
            }(),
            60000);
        QVERIFY(finished == three && most == 1 && VeRecordCenter::waitForWriters(10000));
        for (const QString& file : three) {
            const QString copy = TvDefaultSettings::instance()->videoDir() + '/' + file.left(14) + ".mov";
            const auto q = MediaFixtures::readBack(copy);
            QVERIFY2(q.packets >= 8 * 15 && QSize(q.width, q.height) == QSize(640, 360), qPrintable(file));
            // Gone again, so that the later cases find these files downloadable.
            QVERIFY(QFile::remove(copy));
            m_db->deleteDownload(kCam, file);
        }
        closeAndWait(d);
    }

    void closingWhileDownloading() {
        // Cancel keeps it open and downloading; OK stops at once and keeps the part as a playable file.
        // Each round closes while SDK threads deliver frames: a late callback must find nothing.
        const QString name = QStringLiteral("20240101122000.nxv");
        for (int round = 0; round < 3; ++round) {
            QPointer<VeSDFilesDialog> d = openDialog(m_camera);
            showPageOf(d, name);
            act(d, name, "slotDownloadFiles");
            QTRY_VERIFY_WITH_TIMEOUT(cell(d, name, 4).contains(QStringLiteral(" kB")) &&
                                         !cell(d, name, 4).contains(QStringLiteral("(0/")),
                                     15000);
            if (round == 0 && qEnvironmentVariableIsSet("KVAB_SHOT_DIR"))
                d->grab().save(qEnvironmentVariable("KVAB_SHOT_DIR") +
                               QStringLiteral("/sdfiles_downloading.png"));
            QString asked;
            answerNextBox(QMessageBox::Cancel, &asked);
            QTest::keyClick(d, Qt::Key_Escape);
            QVERIFY(!asked.isEmpty() && d && d->isVisible());
            answerNextBox(QMessageBox::Ok, &asked);
            closeAndWait(d);
            VeSDDownloadDataBase::Row row;
            QVERIFY(m_db->findDownload(kCam, name, &row) && VeRecordCenter::waitForWriters(10000));
            QVERIFY(MediaFixtures::readBack(row.path).packets > 0);
            m_db->deleteDownload(kCam, name);
        }
    }

    void failuresAreShown() {
        // An unwritable folder: a tip, nothing recorded, the dialog goes on.
        const QString videos = TvDefaultSettings::instance()->videoDir();
        const QString blocked = m_dir.filePath(QStringLiteral("blocked"));
        QFile(blocked).open(QIODevice::WriteOnly);
        TvDefaultSettings::instance()->setVideoDir(blocked + QStringLiteral("/videos"));
        QPointer<VeSDFilesDialog> d = openDialog(m_camera);
        const QString name = QStringLiteral("20240101123000.nxv");
        showPageOf(d, name);
        act(d, name, "slotDownloadFiles");
        QVERIFY(tip(d).contains(blocked) && cell(d, name, 4) == QStringLiteral("Downloadable"));
        d->close();
        TvDefaultSettings::instance()->setVideoDir(videos);

        // Without a download table the card is still listed; the dialog closed just before (not yet
        // deleted) leaves this one's callbacks registered.
        VeSDDownloadDataBase broken(blocked + QStringLiteral("/sddownload.db"));
        QVERIFY(!broken.isAvailable());
        d = new VeSDFilesDialog(m_camera, nullptr, &broken);
        QTRY_COMPARE_WITH_TIMEOUT(table(d)->rowCount(), 25, 15000);
        closeAndWait(d);

        // A camera nobody reaches: the list request fails at once and says so.
        VeCameraModel nowhere(QStringLiteral("KV-NONE-9"), "", "", "G711", 0, 0, "", "");
        d = openDialog(&nowhere);
        QTRY_VERIFY_WITH_TIMEOUT(!tip(d).isEmpty(), 10000);
        QVERIFY(table(d)->rowCount() == 0 && d->cursor().shape() != Qt::WaitCursor);
        closeAndWait(d);

        // A download cut in the middle ends within seconds, kept in part and playable.
        d = openDialog(m_camera);
        const QString cut = QStringLiteral("20240101124000.nxv");
        showPageOf(d, cut);
        act(d, cut, "slotDownloadFiles");
        QTRY_VERIFY_WITH_TIMEOUT(!cell(d, cut, 4).contains(QStringLiteral("(0/")), 15000);
        QCOMPARE(m_sim.control(QStringLiteral("stall %1").arg(kCam)), QStringLiteral("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(cell(d, cut, 4), QStringLiteral("Partly downloaded"), 15000);
        QVERIFY(tip(d).contains(cut) && m_sim.control(QStringLiteral("unstall %1").arg(kCam)) == "ok");
        VeSDDownloadDataBase::Row row;
        QVERIFY(m_db->findDownload(kCam, cut, &row) && row.size > 0);
        QVERIFY(VeRecordCenter::waitForWriters(10000) && MediaFixtures::readBack(row.path).packets > 0);
        closeAndWait(d);

        // A freshly formatted card: the empty listing ends at once, long before the query's time-out.
        QVERIFY(NxDataCenter::instance()->formatSD(m_camera) >= 0);
        QElapsedTimer clock;
        clock.start();
        d = openDialog(m_camera);
        QTRY_VERIFY_WITH_TIMEOUT(d->cursor().shape() != Qt::WaitCursor, 15000);
        QVERIFY2(clock.elapsed() < (VeSDFilesDialog::kQueryTicks - 5) * 1000,
                 qPrintable(QString::number(clock.elapsed())));
        QVERIFY(table(d)->rowCount() == 0 && !tip(d).isEmpty());
        closeAndWait(d);
    }
    void cleanupTestCase() {
        // The lost connection starts a logout: it must have left the SDK before the SDK unloads.
        m_sim.kill();
        QTest::qWait(1000);
        QVERIFY(NxAsyncJob::waitForAll(10000) && VeRecordCenter::waitForWriters(10000));
    }
};

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    TestSdFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_sdfiles.moc"
