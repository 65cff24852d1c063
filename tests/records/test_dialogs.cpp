// The alarm log and settings dialogs with real widgets: filtering and clearing, OK and Cancel, the port
// field, and screenshots in English.
#include "TvDefaultSettings.h"
#include "VeAppLogDialog.h"
#include "VeAppSettingDialog.h"
#include "VeDataBase.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include <ctime>

namespace {

template <typename T> T* child(QWidget* dialog, const char* name) {
    T* widget = dialog->findChild<T*>(QLatin1String(name));
    if (!widget)
        qFatal("no widget %s", name);
    return widget;
}

// Screenshots only when asked for (KVAB_SHOT_DIR names the folder).
void grabTo(QWidget* dialog, const QString& name) {
    const QString folder = qEnvironmentVariable("KVAB_SHOT_DIR");
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return;
    dialog->grab().save(folder + QLatin1Char('/') + name);
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QTranslator m_english;

private slots:
    void initTestCase() {
        QVERIFY(m_english.load(QStringLiteral(":/tr_en_US"), QString(), QString(), QString()));
        QApplication::installTranslator(&m_english);
    }
    void init() { QSettings(QStringLiteral("ve"), QStringLiteral("KVAB")).clear(); }

    void cameraFilterListsCloudThenOtherLanCameras() {
        const QMap<QString, VeCameraModel*> cloud{{"B", nullptr}, {"A", nullptr}};
        const QMap<QString, VeCameraModel*> lan{{"C", nullptr}, {"A", nullptr}, {"0", nullptr}};
        QCOMPARE(VeAppLogDialog::cameraFilterIds(cloud, lan), (QStringList{"A", "B", "0", "C"}));
    }

    void logDialogFiltersAndClears() {
        VeDataBase log(m_dir.filePath(QStringLiteral("dialog.db")));
        for (int type : {0, 1, 2, 9})
            log.insertAlarm(QStringLiteral("CAM-A"), type);
        for (int type : {4, 5})
            log.insertAlarm(QStringLiteral("CAM-B"), type);
        QPointer<VeAppLogDialog> dialog =
            new VeAppLogDialog(&log, {QStringLiteral("CAM-A"), QStringLiteral("CAM-B")});
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        auto* combo = child<QComboBox>(dialog, "comboBox_devid");
        auto* table = child<QTableView>(dialog, "tableWidget");
        auto* clear = child<QPushButton>(dialog, "pushBtn_clear_log");
        QCOMPARE(table->model()->rowCount(), 6);
        grabTo(dialog, QStringLiteral("records_log_dialog.png"));

        combo->setCurrentIndex(1);
        QCOMPARE(table->model()->rowCount(), 4);
        // Newest first; a type the log does not know (9) still shows a text.
        QCOMPARE(table->model()->index(0, 2).data().toString(), QStringLiteral("Unknow message"));
        QCOMPARE(table->model()->index(3, 2).data().toString(), QStringLiteral("Motion detection"));
        QTest::mouseClick(clear, Qt::LeftButton);
        QCOMPARE(table->model()->rowCount(), 0);
        combo->setCurrentIndex(0);
        QCOMPARE(table->model()->rowCount(), 2);
        QTest::mouseClick(clear, Qt::LeftButton);
        QVERIFY(table->model()->rowCount() == 0 && log.allAlarms().size() == 0);
        dialog->close();
        QTRY_VERIFY(dialog.isNull());
    }

    void settingsOkStoresEverything_data() {
        QTest::addColumn<QString>("typedPort");
        QTest::addColumn<int>("storedPort");
        QTest::newRow("port") << QStringLiteral("9000") << 9000;
        QTest::newRow("letters cannot be typed") << QStringLiteral("abc") << 0;
        QTest::newRow("above the range") << QStringLiteral("70000") << 7000;
    }
    void settingsOkStoresEverything() {
        QFETCH(QString, typedPort);
        QFETCH(int, storedPort);
        TvDefaultSettings* settings = TvDefaultSettings::instance();
        const QString snap = m_dir.filePath(QStringLiteral("snap"));
        const QString rec = m_dir.filePath(QStringLiteral("rec"));
        QPointer<VeAppSettingDialog> dialog = new VeAppSettingDialog;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        child<QLineEdit>(dialog, "lineEdit_snap_dir")->setText(snap);
        child<QLineEdit>(dialog, "lineEdit_rec_dir")->setText(rec);
        child<QComboBox>(dialog, "comboBox_server_addr")
            ->setCurrentText(QStringLiteral("cloud.example.test"));
        auto* port = child<QLineEdit>(dialog, "lineEdit_server_port");
        port->clear();
        QTest::keyClicks(port, typedPort);
        QTest::mouseClick(child<QPushButton>(dialog, "pushBtn_ok"), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());

        QCOMPARE(settings->snapDir(), snap);
        QCOMPARE(settings->videoDir(), rec);
        QCOMPARE(settings->serverAddr(), QStringLiteral("cloud.example.test"));
        QCOMPARE(settings->serverPort(), storedPort);

        VeAppSettingDialog again;
        auto* offered = child<QComboBox>(&again, "comboBox_server_addr");
        QCOMPARE(offered->currentText(), QStringLiteral("cloud.example.test"));
        QCOMPARE(offered->findData(QStringLiteral("cloud.example.test")), 1);
    }

    void settingsCancelKeepsOnlyTheImmediateSettings() {
        TvDefaultSettings* settings = TvDefaultSettings::instance();
        const QString snap = settings->snapDir();
        const QString addr = settings->serverAddr();
        QPointer<VeAppSettingDialog> dialog = new VeAppSettingDialog;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        grabTo(dialog, QStringLiteral("records_settings_dialog.png"));

        child<QLineEdit>(dialog, "lineEdit_snap_dir")->setText(m_dir.filePath(QStringLiteral("elsewhere")));
        child<QComboBox>(dialog, "comboBox_server_addr")
            ->setCurrentText(QStringLiteral("other.example.test"));
        child<QLineEdit>(dialog, "lineEdit_server_port")->setText(QStringLiteral("1234"));
        child<QComboBox>(dialog, "comboBox_language")->setCurrentIndex(0);
        QTest::mouseClick(child<QCheckBox>(dialog, "checkBox_exit_confirm"), Qt::LeftButton);
        QTest::mouseClick(child<QCheckBox>(dialog, "checkBox_adaptive_streams"), Qt::LeftButton);
        QTest::mouseClick(child<QPushButton>(dialog, "pushBtn_cancel"), Qt::LeftButton);
        QTRY_VERIFY(dialog.isNull());

        QVERIFY(settings->language() == 0 && !settings->logoutConfirm() && !settings->adaptiveStreams());
        QCOMPARE(settings->snapDir(), snap);
        QCOMPARE(settings->serverAddr(), addr);
        QCOMPARE(settings->serverPort(), 8080);
        QCOMPARE(settings->localServerList().size(), 1);
    }
};

int main(int argc, char* argv[]) {
    // The stored server address is used in UTC+8 only; elsewhere the cloud host always wins.
    qputenv("TZ", "CST-8");
    tzset();
    QApplication app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_dialogs.moc"
