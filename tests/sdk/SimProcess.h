#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// Runs kvab-camsim for a test on free loopback ports (SDK, cloud, control) and talks to its control port.
class SimProcess {
public:
    ~SimProcess() { kill(); } // not copyable: it owns a QProcess

    // Starts the simulator (port 0 picks a free port) and points the client at it: the SDK's endpoint at
    // its SDK port, the settings store's cloud server port at its cloud port.
    bool start(const QStringList& args, int port = 0);
    void kill();
    int port() const { return m_port; }
    int cloudPort() const { return m_cloudPort; }
    // One control command; returns its answer line ("ok ..." or "error ...").
    QString control(const QString& command);

private:
    QProcess m_process;
    int m_port = 0;
    int m_controlPort = 0;
    int m_cloudPort = 0;
};
