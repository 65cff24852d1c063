// The live toolbar against the simulator and a private PulseAudio daemon: the head's buttons and presets,
// listening and talking through the sound card, and the snapshot and recording folders.
#include "../../tools/simulator/SimTalkMeter.h"
#include "AppTestSupport.h"
#include "MainWindow.h"
#include "NxDataCenter.h"
#include "NxLanCenter.h"
#include "PulseSession.h"
#include "SimProcess.h"
#include "TvCallWorker.h"
#include "TvDefaultSettings.h"
#include "TvDisplayMangeView.h"
#include "TvLiveToolbar.h"
#include "TvPlayWidget.h"
#include "TvTipWidget.h"
#include "VeCameraModel.h"
#include "VeOpenGLWidget.h"

#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const char kCam[] = "TB-001";
const char kOther[] = "TB-002";

// The values of "key=value" words of a control answer.
QMap<QString, QString> fields(const QString& answer) {
    QMap<QString, QString> out;
    for (const QString& word : answer.split(' ', Qt::SkipEmptyParts)) {
        const int eq = word.indexOf('=');
        if (eq > 0)
            out.insert(word.left(eq), word.mid(eq + 1));
    }
    return out;
}

} // namespace

class TestToolbar : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void withoutReadyCellNothingIsSent();
    void buttonsMoveTheCameraHead_data();
    void buttonsMoveTheCameraHead();
    void presetsAreStoredAndRecalled();
    void snapshotAndRecordFolders_data();
    void snapshotAndRecordFolders();
    void listenThenTalkThroughTheSoundCard();
    void withoutSoundServerListenAndTalkFailClearly();
    void cleanupTestCase();

private:
    QPushButton* button(const char* name) { return m_window->findChild<QPushButton*>(name); }
    TvDisplayMangeView* display() { return m_window->findChild<TvDisplayMangeView*>("widget_displayMan"); }
    TvTipWidget* tip() { return m_window->findChild<TvTipWidget*>("widget_snapTip"); }
    QMap<QString, QString> head() { return fields(m_sim.control(QStringLiteral("ptz ") + kCam)); }
    void play(const char* id);
    // Waits until the camera commands sent so far have reached the camera.
    void settle() { QVERIFY(TvCallWorker::instance()->waitForIdle(10000)); }

    PulseSession m_pulse;
    SimProcess m_sim;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_home;
};

void TestToolbar::initTestCase() {
    UnansweredBoxes::watch();
    QVERIFY2(m_pulse.start(), "PulseAudio did not start");
    QVERIFY2(
        m_sim.start({"--clip-seconds", "2", "--cameras", QStringLiteral("lan:%1,lan:%2").arg(kCam, kOther)}),
        "simulator did not start");
    TvDefaultSettings::instance()->setLogoutConfirm(false);
    m_window = std::make_unique<MainWindow>();
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QTRY_VERIFY_WITH_TIMEOUT(NxDataCenter::instance()->lanCenter->contains(kCam) &&
                                 NxDataCenter::instance()->lanCenter->contains(kOther),
                             20000);
}

void TestToolbar::play(const char* id) {
    VeCameraModel* camera = NxDataCenter::instance()->lanCenter->device(id);
    QVERIFY(camera);
    if (!camera->playing)
        QCOMPARE(m_window->playWithCamera(camera), 0);
    QTRY_VERIFY_WITH_TIMEOUT(
        display()->cellForKey(id) && display()->cellForKey(id)->state() == TvPlayStatePlaying, 30000);
    m_window->on_treeView_lan_pressed(camera->modelIndex);
    QCOMPARE(display()->selectedCell(), display()->cellForKey(id));
}

void TestToolbar::withoutReadyCellNothingIsSent() {
    const QMap<QString, QString> before = head();
    for (const char* name :
         {"pushBtn_ptz_up", "pushBtn_ptz_all", "pushBtn_flip_v", "pushBtn_optical_zoom_in", "pushBtn_listen",
          "pushBtn_speak", "pushBtn_record", "pushBtn_ptz_preset_do", "pushBtn_wifi"}) {
        tip()->hide();
        QTest::mouseClick(button(name), Qt::LeftButton);
        QVERIFY2(tip()->isVisible() && tip()->kind() == TvTipMessage && !button(name)->isChecked(), name);
    }
    // A release alone says nothing.
    tip()->hide();
    emit button("pushBtn_ptz_up")->released();
    QVERIFY(!tip()->isVisible());
    settle();
    QCOMPARE(head(), before);
}

void TestToolbar::buttonsMoveTheCameraHead_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("holdMs"); // 0: a click
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("change"); // expected sign of the field's change, or its new value when `exact`
    QTest::addColumn<bool>("exact");
    QTest::newRow("zoom in") << "pushBtn_optical_zoom_in" << 0 << "zoom" << 1 << false;
    QTest::newRow("zoom out") << "pushBtn_optical_zoom_out" << 0 << "zoom" << -1 << false;
    QTest::newRow("up") << "pushBtn_ptz_up" << 400 << "tilt" << 1 << false;
    QTest::newRow("down") << "pushBtn_ptz_down" << 400 << "tilt" << -1 << false;
    QTest::newRow("left") << "pushBtn_ptz_left" << 400 << "pan" << -1 << false;
    QTest::newRow("right") << "pushBtn_ptz_right" << 400 << "pan" << 1 << false;
    QTest::newRow("horizontal cruise") << "pushBtn_ptz_horizontal" << 0 << "cruise" << 1 << true;
    QTest::newRow("vertical cruise") << "pushBtn_ptz_vertical" << 0 << "cruise" << 2 << true;
    QTest::newRow("vertical cruise off") << "pushBtn_ptz_vertical" << 0 << "cruise" << 0 << true;
    QTest::newRow("all cruise") << "pushBtn_ptz_all" << 0 << "cruise" << 3 << true;
    QTest::newRow("flip") << "pushBtn_flip_v" << 0 << "flip" << 1 << true;
    QTest::newRow("flip back") << "pushBtn_flip_v" << 0 << "flip" << 0 << true;
    QTest::newRow("mirror") << "pushBtn_flip_h" << 0 << "mirror" << 1 << true;
}

void TestToolbar::buttonsMoveTheCameraHead() {
    QFETCH(QString, name);
    QFETCH(int, holdMs);
    QFETCH(QString, field);
    QFETCH(int, change);
    QFETCH(bool, exact);
    play(kCam);
    if (QTest::currentDataTag() == QLatin1String("zoom in"))
        QTest::mouseClick(button("pushBtn_optical_zoom_in"), Qt::LeftButton); // off the lower limit first
    settle();
    const int before = head().value(field).toInt();
    QPushButton* b = button(qPrintable(name));
    if (holdMs > 0) {
        QTest::mousePress(b, Qt::LeftButton);
        settle();
        QTRY_COMPARE_WITH_TIMEOUT(head().value("moving").toInt() > 0, true, 2000);
        QTest::qWait(holdMs);
        QTest::mouseRelease(b, Qt::LeftButton);
        settle();
        const QMap<QString, QString> stopped = head(); // released: the head stands still
        QCOMPARE(stopped.value("moving"), QStringLiteral("0"));
        QTest::qWait(150);
        QCOMPARE(head().value(field), stopped.value(field));
    } else {
        QTest::mouseClick(b, Qt::LeftButton);
        settle();
    }
    const int after = head().value(field).toInt();
    if (exact)
        QCOMPARE(after, change);
    else
        QVERIFY2((after - before) * change > 0,
                 qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(after)));
}

void TestToolbar::presetsAreStoredAndRecalled() {
    play(kCam);
    QStringList stored;
    for (int n = 1; n <= TvLiveToolbar::kPresets; ++n) {
        QTest::mousePress(button("pushBtn_ptz_right"), Qt::LeftButton);
        QTest::qWait(60);
        QTest::mouseRelease(button("pushBtn_ptz_right"), Qt::LeftButton);
        settle();
        const QMap<QString, QString> here = head();
        stored << here.value("pan") + ":" + here.value("tilt");
        answerPopup([this] { QTest::mouseClick(button("pushBtn_ptz_preset_set"), Qt::LeftButton); }, n - 1);
        settle();
    }
    // Digital zoom on top of the pan: the cell's own level, with the window's picture kept on request.
    QTest::mouseClick(button("pushBtn_digit_zoom_in"), Qt::LeftButton);
    QTest::mouseClick(button("pushBtn_digit_zoom_in"), Qt::LeftButton);
    QTest::mouseClick(button("pushBtn_digit_zoom_out"), Qt::LeftButton);
    QCOMPARE(display()->selectedCell()->zoomLevel(), 1);
    if (qEnvironmentVariableIsSet("KVAB_SHOT_DIR")) {
        QTest::qWait(500);
        m_window->grab().save(qEnvironmentVariable("KVAB_SHOT_DIR") + "/toolbar-pan-zoom.png");
    }
    QStringList expected;
    for (int n = 1; n <= TvLiveToolbar::kPresets; ++n)
        expected << QString::number(n) + ":" + stored[n - 1];
    QCOMPARE(head().value("presets"), expected.join(','));
    for (int n = TvLiveToolbar::kPresets; n >= 1; --n) {
        answerPopup([this] { QTest::mouseClick(button("pushBtn_ptz_preset_do"), Qt::LeftButton); }, n - 1);
        settle();
        const QMap<QString, QString> there = head();
        QCOMPARE(there.value("preset").toInt(), n);
        QCOMPARE(there.value("pan") + ":" + there.value("tilt"), stored[n - 1]);
    }
}

void TestToolbar::snapshotAndRecordFolders_data() {
    // The folder of both (<home>: a private one, <cache>: the cache's, %1: Pictures or Videos, the
    // defaults), deleted before the click or not; the warning shown, if any.
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("deleted");
    QTest::addColumn<QString>("box");
    QTest::addColumn<bool>("ok");
    QTest::newRow("present") << "<home>/present" << false << QString() << true;
    QTest::newRow("default deleted") << "<cache>/%1" << true << QString() << true;
    QTest::newRow("other missing") << "<home>/not-there" << true << QStringLiteral("文件夹不存在") << false;
    // Even root cannot create files in /proc: the job's failure reaches the tip.
    QTest::newRow("unwritable") << "/proc/self" << false << QString() << false;
}

void TestToolbar::snapshotAndRecordFolders() {
    QFETCH(QString, folder);
    QFETCH(bool, deleted);
    QFETCH(QString, box);
    QFETCH(bool, ok);
    play(kCam);
    QTRY_VERIFY_WITH_TIMEOUT(display()->selectedCell()->renderer(), 1000);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    for (const bool record : {false, true}) {
        QString tree = QString(folder).replace("<home>", m_home.path()).replace("<cache>", cache);
        if (tree.contains("%1"))
            tree = tree.arg(record ? "Videos" : "Pictures");
        QDir().mkpath(tree);
        if (deleted)
            QDir(tree).removeRecursively();
        TvDefaultSettings::instance()->setSnapDir(tree);
        TvDefaultSettings::instance()->setVideoDir(tree);
        tip()->hide();
        const QString shown =
            answerPopup([&] {
                QTest::mouseClick(button(record ? "pushBtn_record" : "pushBtn_snap"), Qt::LeftButton);
            }).boxText;
        QCOMPARE(shown, box);
        if (record && button("pushBtn_record")->isChecked()) {
            QTest::qWait(1500);
            QTest::mouseClick(button("pushBtn_record"), Qt::LeftButton);
        }
        QVERIFY(!button("pushBtn_record")->isChecked());
        if (!box.isEmpty()) {
            QVERIFY(!QDir(tree).exists());
            continue;
        }
        const TvTipWidgetType good = record ? TvTipRecordDone : TvTipSnapOk;
        const TvTipWidgetType bad = record ? TvTipRecordFailed : TvTipSnapFailed;
        QTRY_VERIFY_WITH_TIMEOUT(tip()->isVisible() && tip()->kind() == (ok ? good : bad), 10000);
        const QString pattern = QStringLiteral("%1_*.%2").arg(kCam, record ? "mov" : "jpg");
        if (ok)
            QTRY_VERIFY_WITH_TIMEOUT(!QDir(tree).entryList({pattern}).isEmpty(), 10000);
        else
            QTest::qWait(300); // a late success would turn the tip
        QCOMPARE(tip()->kind(), ok ? good : bad);
    }
    // Nothing else broke: the cell still plays.
    QCOMPARE(display()->selectedCell()->state(), TvPlayStatePlaying);
}

void TestToolbar::listenThenTalkThroughTheSoundCard() {
    play(kCam);
    TvPlayWidget* cell = display()->selectedCell();
    // A slow camera: the click returns before the call is open and the sound starts with its answer; a
    // second click while it opens ends it for good.
    m_sim.control(QStringLiteral("delay 1000"));
    for (const bool stopEarly : {true, false}) {
        QTest::mouseClick(button("pushBtn_listen"), Qt::LeftButton);
        QVERIFY(button("pushBtn_listen")->isChecked() && cell->isListeningOn() && !display()->isSoundOn());
        if (stopEarly) {
            QTest::mouseClick(button("pushBtn_listen"), Qt::LeftButton);
            QTest::qWait(1500);
        }
        QTRY_COMPARE_WITH_TIMEOUT(display()->isSoundOn(), !stopEarly, 5000);
        QVERIFY(cell->isListeningOn() == !stopEarly && button("pushBtn_listen")->isChecked() == !stopEarly);
    }
    m_sim.control(QStringLiteral("delay 0"));
    QTest::qWait(800);
    // The simulator's chime: 440 Hz for half a second, then 660 Hz.
    SimTalkMeter heard;
    const std::vector<qint16> samples = m_pulse.record(1500);
    heard.addPcm(samples.data(), samples.size());
    QVERIFY2(heard.rms() > 1000, qPrintable(QString::fromStdString(heard.describe())));
    const int hz = heard.dominantHz();
    QVERIFY2(std::abs(hz - 440) <= 20 || std::abs(hz - 660) <= 20,
             qPrintable(QString::fromStdString(heard.describe())));
    // Playback never lags more than its bound behind the decoded sound.
    QVERIFY(display()->pendingPlaybackBytes() <= 4800);

    // Talking stops listening first; the microphone's 1 kHz reaches the camera as A-law.
    m_pulse.playIntoMicrophone(1000, 8);
    QTest::mouseClick(button("pushBtn_speak"), Qt::LeftButton);
    QVERIFY(button("pushBtn_speak")->isChecked() && cell->isTalking());
    QTRY_VERIFY(display()->isTalkInputRunning());
    QVERIFY(!button("pushBtn_listen")->isChecked() && !cell->isListeningOn() && !display()->isSoundOn());
    // Half a second of the tone has reached the camera (the daemon hands over the capture in bursts).
    QTRY_VERIFY_WITH_TIMEOUT(
        fields(m_sim.control(QStringLiteral("talkaudio ") + kCam)).value("samples").toInt() >= 4000, 6000);
    const QMap<QString, QString> got = fields(m_sim.control(QStringLiteral("talkaudio ") + kCam));
    QVERIFY2(std::abs(got.value("freq").toInt() - 1000) <= 20 && got.value("rms").toInt() > 3000,
             qPrintable(m_sim.control(QStringLiteral("talkaudio ") + kCam)));

    // Listening again ends the talk; selecting another cell ends the listening.
    QTest::mouseClick(button("pushBtn_listen"), Qt::LeftButton);
    QVERIFY(!cell->isTalking() && !display()->isTalkInputRunning() && cell->isListeningOn());
    play(kOther);
    QVERIFY(!cell->isListeningOn() && !button("pushBtn_listen")->isChecked() && !display()->isSoundOn());
}

void TestToolbar::withoutSoundServerListenAndTalkFailClearly() {
    play(kCam);
    TvPlayWidget* cell = display()->selectedCell();
    QTest::mouseClick(button("pushBtn_listen"), Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(display()->isSoundOn() && cell->isListeningOn(), 5000);
    // The server dies while listening, then stays away for the next clicks. Each ends with the button
    // off, a tip, and nothing left half-open; nothing hangs.
    tip()->hide();
    m_pulse.stop();
    for (const char* name : {"", "pushBtn_listen", "pushBtn_speak"}) {
        if (*name) {
            tip()->hide();
            QTest::mouseClick(button(name), Qt::LeftButton);
        }
        QTRY_VERIFY2_WITH_TIMEOUT(tip()->isVisible() && tip()->kind() == TvTipMessage, name, 10000);
        QTRY_VERIFY2_WITH_TIMEOUT(
            !button("pushBtn_listen")->isChecked() && !button("pushBtn_speak")->isChecked(), name, 10000);
        QVERIFY2(!display()->isSoundOn() && !display()->isTalkInputRunning(), name);
        QVERIFY2(!cell->isListeningOn() && !cell->isTalking(), name);
    }
    QCOMPARE(cell->state(), TvPlayStatePlaying);
}

void TestToolbar::cleanupTestCase() {
    if (m_window)
        m_window->confirmExit();
    m_window.reset();
}

QTEST_MAIN(TestToolbar)
#include "test_toolbar.moc"
