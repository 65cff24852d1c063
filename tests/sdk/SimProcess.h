#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs kvab-camsim on free loopback ports for a test and talks to its control port.
class SimProcess {
public:
    SimProcess();
    ~SimProcess() { kill(); }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    // Starts the simulator (port 0 picks a free port) and points the SDK at it.
    bool start(const QStringList& args, int port = 0);
    void kill();
    bool running() const { return m_process.state() == QProcess::Running; }
    int port() const { return m_port; }
    // One control command; returns its answer line ("ok ..." or "error ...").
    QString control(const QString& command);

private:
    QProcess m_process;
    int m_port = 0;
    int m_controlPort = 0;
};
