#include "SimProcess.h"

#include "TvDefaultSettings.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

bool SimProcess::start(const QStringList& args, int port) {
    const QStringList ports{"--port",         QString::number(port),
                            "--control-port", "0",
                            "--cloud-port",   "0",
                            "--parent",       QString::number(QCoreApplication::applicationPid())};
    m_process.start(QStringLiteral(KVAB_CAMSIM_PATH), args + ports);
    if (!m_process.waitForStarted(5000))
        return false;
    QElapsedTimer timer;
    timer.start();
    QByteArray out;
    static const QRegularExpression re("sdk port (\\d+) control port (\\d+) .*cloud port (\\d+)\\n");
    while (timer.elapsed() < 10000) {
        m_process.waitForReadyRead(200);
        out += m_process.readAllStandardOutput();
        const auto m = re.match(QString::fromUtf8(out));
        if (m.hasMatch()) {
            m_port = m.captured(1).toInt();
            m_controlPort = m.captured(2).toInt();
            m_cloudPort = m.captured(3).toInt();
            qputenv("KVAB_SDK_ENDPOINT", QByteArray("127.0.0.1:") + QByteArray::number(m_port));
            TvDefaultSettings::instance()->setServerPort(m_cloudPort);
            return true;
        }
        if (m_process.state() != QProcess::Running)
            return false;
    }
    return false;
}

void SimProcess::kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString SimProcess::control(const QString& command) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<quint16>(m_controlPort));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
        if (fd >= 0)
            ::close(fd);
        return QStringLiteral("error no control connection");
    }
    const QByteArray line = command.toUtf8() + "\n";
    ::send(fd, line.constData(), static_cast<size_t>(line.size()), MSG_NOSIGNAL);
    QByteArray answer;
    char buf[4096];
    while (!answer.contains('\n')) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        answer.append(buf, static_cast<int>(n));
    }
    ::close(fd);
    return QString::fromUtf8(answer).trimmed();
}
