#include "SdkConnection.h"

#include "SdkConfig.h"
#include "WireFramer.h"
#include "WireReader.h"
#include "pcQuorvane.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace pcq {

namespace {
constexpr int kConnectTimeoutMs = 500;
constexpr int kSendTimeoutMs = 2000;
constexpr int kReconnectIntervalMs = 500;
} // namespace

SdkConnection::SdkConnection(PortSource port, EventHandler onEvent, StateHandler onState)
    : m_port(std::move(port)), m_onEvent(std::move(onEvent)), m_onState(std::move(onState)) {
    m_reader = std::thread([this] { readerLoop(); });
}

SdkConnection::~SdkConnection() {
    stop();
}

void SdkConnection::stop() {
    m_stopping = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_fd >= 0)
            ::shutdown(m_fd, SHUT_RDWR);
    }
    m_cv.notify_all();
    if (m_reader.joinable())
        m_reader.join();
}

void SdkConnection::disconnect() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd >= 0) {
        // The reader sees the end and closes it; new requests already go to a new connection.
        ::shutdown(m_fd, SHUT_RDWR);
        m_fd = -1;
    }
}

int SdkConnection::tryConnect() {
    const int port = m_port();
    if (port <= 0 || port > 65535)
        return -1;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int flags = ::fcntl(fd, F_GETFL, 0);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    int rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    if (rc < 0 && errno == EINPROGRESS) {
        pollfd p{fd, POLLOUT, 0};
        rc = ::poll(&p, 1, kConnectTimeoutMs);
        int err = 0;
        socklen_t len = sizeof err;
        if (rc == 1 && ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) == 0 && err == 0)
            rc = 0;
        else
            rc = -1;
    }
    if (rc < 0) {
        ::close(fd);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    int rcvbuf = 1 << 20;
    ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &rcvbuf, sizeof rcvbuf);
    return fd;
}

bool SdkConnection::ensureConnected() {
    m_everUsed = true;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_fd >= 0)
            return true;
    }
    if (m_stopping)
        return false;
    std::lock_guard<std::mutex> connectLock(m_connectMutex);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_fd >= 0)
            return true;
    }
    const int fd = tryConnect();
    if (fd < 0)
        return false;
    kvabwire::WireWriter hello(kvabwire::Type::Request, kvabwire::Op::Hello, 0);
    hello.addInt(static_cast<std::int32_t>(kvabwire::kMagic)).addInt(1);
    const std::string& frame = hello.frame();
    if (::send(fd, frame.data(), frame.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(frame.size())) {
        ::close(fd);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_fd = fd;
    }
    m_cv.notify_all();
    if (m_onState)
        m_onState(true);
    return true;
}

bool SdkConnection::sendFrame(const std::string& frame) {
    std::lock_guard<std::mutex> sendLock(m_sendMutex);
    int fd;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        fd = m_fd;
    }
    if (fd < 0)
        return false;
    std::size_t sent = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kSendTimeoutMs);
    while (sent < frame.size()) {
        const ssize_t n = ::send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
    if (sent < frame.size()) {
        // A half-written frame would corrupt the stream: give the connection up.
        std::fprintf(stderr, "pcQuorvane: send failed, dropping the connection\n");
        ::shutdown(fd, SHUT_RDWR);
        return false;
    }
    return true;
}

bool SdkConnection::post(kvabwire::WireWriter& message) {
    if (!ensureConnected())
        return false;
    message.setSeq(0);
    return sendFrame(message.frame());
}

int SdkConnection::request(kvabwire::WireWriter& message, std::string* replyText, ReplyHook onReply) {
    if (m_stopping)
        return PCQ_ERR_NO_SERVICE;
    if (!ensureConnected())
        return PCQ_ERR_NO_SERVICE;
    auto pending = std::make_shared<Pending>();
    pending->onReply = std::move(onReply);
    std::uint32_t seq;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        seq = ++m_seq;
        if (seq == 0)
            seq = ++m_seq;
        pending->fd = m_fd;
        m_pending[seq] = pending;
    }
    message.setSeq(seq);
    if (!sendFrame(message.frame())) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_pending.erase(seq);
        return PCQ_ERR_NO_SERVICE;
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    const bool done = m_cv.wait_for(lock, std::chrono::milliseconds(SdkConfig::requestTimeoutMs()),
                                    [&] { return pending->done || m_stopping; });
    m_pending.erase(seq);
    if (!done || !pending->done)
        return m_stopping ? PCQ_ERR_NO_SERVICE : PCQ_ERR_TIMEOUT;
    if (replyText)
        *replyText = std::move(pending->text);
    return pending->result;
}

void SdkConnection::dropConnection(int fd, int failResult) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_fd == fd)
            m_fd = -1;
        ::shutdown(fd, SHUT_RDWR);
        for (auto& entry : m_pending) {
            if (entry.second->fd != fd)
                continue;
            entry.second->done = true;
            entry.second->result = failResult;
        }
    }
    m_cv.notify_all();
    {
        std::lock_guard<std::mutex> sendLock(m_sendMutex);
        ::close(fd);
    }
    if (m_onState && !m_stopping)
        m_onState(false);
}

void SdkConnection::readerLoop() {
    std::vector<char> buf(256 * 1024);
    while (!m_stopping) {
        int fd;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_cv.wait_for(lock, std::chrono::milliseconds(kReconnectIntervalMs),
                          [&] { return m_fd >= 0 || m_stopping; });
            fd = m_fd;
        }
        if (m_stopping)
            break;
        if (fd < 0) {
            // Come back by ourselves once the service is there again, so events resume.
            if (m_everUsed)
                ensureConnected();
            continue;
        }
        kvabwire::WireFramer framer;
        int failResult = PCQ_ERR_NO_SERVICE;
        while (!m_stopping) {
            pollfd p{fd, POLLIN, 0};
            const int rc = ::poll(&p, 1, 200);
            if (rc == 0)
                continue;
            if (rc < 0 && errno == EINTR)
                continue;
            const ssize_t n = (rc > 0) ? ::recv(fd, buf.data(), buf.size(), 0) : -1;
            if (n <= 0) {
                if (n < 0 && (errno == EINTR || errno == EAGAIN))
                    continue;
                if (!m_stopping)
                    std::fprintf(stderr, "pcQuorvane: connection to the camera service lost\n");
                break;
            }
            framer.append(buf.data(), static_cast<std::size_t>(n));
            const char* body = nullptr;
            std::size_t size = 0;
            bool bad = false;
            while (framer.next(&body, &size)) {
                kvabwire::WireReader reader(body, size);
                if (!reader.ok()) {
                    bad = true;
                    break;
                }
                if (reader.type() == kvabwire::Type::Reply) {
                    const int result = reader.readInt();
                    std::string text = reader.readBytes();
                    if (!reader.ok()) {
                        bad = true;
                        break;
                    }
                    std::lock_guard<std::mutex> lock(m_mutex);
                    auto it = m_pending.find(reader.seq());
                    if (it != m_pending.end()) {
                        // Under the lock: a caller that has given up no longer takes the reply's effects.
                        if (it->second->onReply)
                            it->second->onReply(result, text);
                        it->second->done = true;
                        it->second->result = result;
                        it->second->text = std::move(text);
                    }
                    m_cv.notify_all();
                } else if (reader.type() == kvabwire::Type::Event) {
                    if (m_onEvent)
                        m_onEvent(body, size);
                }
            }
            if (bad || framer.broken()) {
                std::fprintf(stderr, "pcQuorvane: malformed message from the camera service, dropping it\n");
                failResult = PCQ_ERR_PROTOCOL;
                break;
            }
        }
        dropConnection(fd, failResult);
    }
}

} // namespace pcq
