#pragma once

#include <QByteArray>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QtGlobal>

#include <cmath>
#include <cstring>
#include <vector>

// A private PulseAudio daemon for sound tests: two null sinks, "kvab_out" the default output (its
// monitor records what the client plays) and "kvab_mic", whose monitor is the default input (what is
// played into it is the client's microphone). Start it before the first audio device is looked up.
class PulseSession {
public:
    bool start() {
        if (!m_dir.isValid())
            return false;
        qputenv("XDG_RUNTIME_DIR", m_dir.path().toLocal8Bit());
        qputenv("PULSE_SERVER", ("unix:" + m_dir.path() + "/pulse/native").toLocal8Bit());
        const bool up =
            run("pulseaudio", {"-n", "--daemonize=yes", "--exit-idle-time=-1",
                               "--load=module-native-protocol-unix auth-anonymous=1",
                               "--load=module-null-sink sink_name=kvab_out rate=8000 channels=1",
                               "--load=module-null-sink sink_name=kvab_mic rate=8000 channels=1"});
        m_started = up;
        return up && run("pactl", {"set-default-sink", "kvab_out"}) &&
               run("pactl", {"set-default-source", "kvab_mic.monitor"});
    }
    ~PulseSession() { stop(); }
    // The sound server goes away, as when a desktop's daemon dies.
    void stop() {
        if (m_started)
            run("pulseaudio", {"--kill"});
        m_started = false;
    }

    // Records `ms` milliseconds of what the client plays, as 8 kHz mono 16-bit samples.
    std::vector<qint16> record(int ms) {
        QProcess rec;
        rec.setProcessEnvironment(env());
        rec.start("parec", {"-d", "kvab_out.monitor", "--raw", "--rate=8000", "--channels=1",
                            "--format=s16le", "--latency-msec=20"});
        rec.waitForStarted();
        QByteArray bytes;
        QElapsedTimer clock;
        clock.start();
        // The client's output is fed from the event loop, which keeps running meanwhile.
        while (clock.elapsed() < ms) {
            QTest::qWait(20);
            bytes += rec.readAllStandardOutput();
        }
        rec.kill();
        rec.waitForFinished();
        std::vector<qint16> samples(size_t(bytes.size() / 2));
        memcpy(samples.data(), bytes.constData(), samples.size() * 2);
        return samples;
    }

    // Plays `seconds` of a sine of `hz` into the microphone, in the background.
    void playIntoMicrophone(int hz, int seconds) {
        QByteArray pcm;
        for (int i = 0; i < 8000 * seconds; ++i) {
            const auto s = qint16(12000.0 * std::sin(2.0 * M_PI * hz * i / 8000.0));
            pcm.append(char(s & 0xFF)).append(char((s >> 8) & 0xFF));
        }
        m_player.setProcessEnvironment(env());
        m_player.start("pacat", {"-d", "kvab_mic", "--raw", "--rate=8000", "--channels=1", "--format=s16le",
                                 "--latency-msec=20"});
        m_player.waitForStarted();
        m_player.write(pcm);
        m_player.closeWriteChannel();
    }

    // The environment of a PulseAudio client of this daemon.
    QProcessEnvironment environment() const { return env(); }

private:
    QProcessEnvironment env() const {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("HOME", m_dir.path()); // the daemon's cookie and state stay in the private folder
        return e;
    }
    bool run(const QString& program, const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(env());
        p.start(program, args);
        if (!p.waitForFinished(10000) || p.exitCode() != 0) {
            qWarning("%s failed: %s", qPrintable(program), p.readAllStandardError().constData());
            return false;
        }
        return true;
    }

    QTemporaryDir m_dir{QDir::tempPath() + "/kvab-pulse-XXXXXX"};
    QProcess m_player;
    bool m_started = false;
};
