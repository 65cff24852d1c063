#include "SimServer.h"

#include "AlawCodec.h"
#include "Md5.h"
#include "SimControl.h"
#include "SimMedia.h"
#include "SimRequests.h"
#include "WireReader.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <random>
#include <sys/socket.h>
#include <unistd.h>

using kvabwire::Op;

namespace {

constexpr std::size_t kMaxBacklog = 64u * 1024u * 1024u;

int listenOn(int port, int* boundPort, std::string* error) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        *error = std::strerror(errno);
        return -1;
    }
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || ::listen(fd, 16) < 0) {
        *error = "port " + std::to_string(port) + ": " + std::strerror(errno);
        ::close(fd);
        return -1;
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *boundPort = ntohs(addr.sin_port);
    return fd;
}

} // namespace

SimServer::SimServer(Options options) : m_opt(std::move(options)) {
    m_requests = std::make_unique<SimRequests>(*this);
    m_media = std::make_unique<SimMedia>(*this);
    m_control = std::make_unique<SimControl>(*this);
    m_surveyDelayMs = m_opt.surveyDelayMs;
    std::random_device rd;
    m_bootTag = rd() & 0xFFFF;
    m_nextToken = rd() | 1;
    for (const auto& spec : m_opt.cameras)
        addCamera(spec);
    // A two-tone chime, one second, looped on listening calls.
    std::vector<std::int16_t> chime;
    for (int i = 0; i < 8000; ++i) {
        const double f = (i < 4000) ? 440.0 : 660.0;
        const double env = 0.5 + 0.5 * std::sin(2.0 * M_PI * i / 8000.0);
        const auto s = static_cast<std::int16_t>(9000.0 * env * std::sin(2.0 * M_PI * f * i / 8000.0));
        chime.push_back(s);
    }
    m_tone = AlawCodec::encode(chime.data(), chime.size());
}

SimServer::~SimServer() {
    for (auto& s : m_sessions)
        if (s.second->fd >= 0)
            ::close(s.second->fd);
    for (auto& c : m_controls)
        if (c->fd >= 0)
            ::close(c->fd);
    for (int fd : {m_listenFd, m_controlFd, m_cloudFd, m_wakePipe[0], m_wakePipe[1]})
        if (fd >= 0)
            ::close(fd);
}

std::int64_t SimServer::nowUs() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void SimServer::addCamera(const CameraSpec& spec) {
    auto cam = std::make_unique<SimCamera>(spec.id, spec.lan, spec.cloud);
    cam->online = spec.online;
    cam->bootToken = m_nextToken++;
    m_cameras[spec.id] = std::move(cam);
}

bool SimServer::listen(std::string* error) {
    if (::pipe2(m_wakePipe, O_CLOEXEC | O_NONBLOCK) < 0) {
        *error = std::strerror(errno);
        return false;
    }
    const int wakeFd = m_wakePipe[1];
    m_clips = std::make_unique<ClipCache>([wakeFd] {
        const char c = 'c';
        [[maybe_unused]] ssize_t n = ::write(wakeFd, &c, 1);
    });
    m_listenFd = listenOn(m_opt.port, &m_port, error);
    if (m_listenFd < 0)
        return false;
    const int cport = m_opt.controlPort < 0 ? m_port + 1 : m_opt.controlPort;
    m_controlFd = listenOn(cport, &m_controlPort, error);
    if (m_controlFd < 0)
        return false;
    if (m_opt.cloudPort >= 0) {
        m_cloudFd = listenOn(m_opt.cloudPort, &m_cloudPort, error);
        if (m_cloudFd < 0)
            return false;
    }
    // Sub-stream clips are cheap: have them ready before the first call.
    for (const auto& c : m_cameras)
        m_clips->get(clipKey(*c.second, false));
    return true;
}

void SimServer::requestQuit() {
    m_quit = true;
    const char c = 'q';
    [[maybe_unused]] ssize_t n = ::write(m_wakePipe[1], &c, 1);
}

SimCamera* SimServer::camera(const std::string& id) {
    auto it = m_cameras.find(id);
    return it == m_cameras.end() ? nullptr : it->second.get();
}

SimCamera* SimServer::reachable(Session& s, const std::string& id, int path) {
    SimCamera* cam = camera(id);
    if (!cam || !cam->online || cam->rebooting)
        return nullptr;
    const bool viaLan = cam->lan() && s.lan;
    const bool viaWan = cam->cloud() && s.loggedIn;
    if (path == kvabwire::kPathLan)
        return viaLan ? cam : nullptr;
    if (path == kvabwire::kPathWan)
        return viaWan ? cam : nullptr;
    return (viaLan || viaWan) ? cam : nullptr;
}

SimServer::Session* SimServer::session(std::uint64_t id) {
    auto it = m_sessions.find(id);
    return (it == m_sessions.end() || it->second->dead) ? nullptr : it->second.get();
}

ClipKey SimServer::clipKey(const SimCamera& cam, bool main) const {
    const int kbps = main ? cam.bitRateKbps() : std::max(128, cam.bitRateKbps() / 4);
    return ClipKey{cam.id(), main ? 1920 : 640, main ? 1080 : 360, cam.frameRate(), kbps, m_opt.clipSeconds};
}

int SimServer::fileBytes(const SimCamera& cam, const SimCamera::SdFile& file) {
    const ClipKey key = clipKey(cam, cam.sdMainStream());
    const int frames = file.seconds * key.rate;
    if (auto clip = m_clips->get(key)) {
        std::size_t total = 0;
        for (int i = 0; i < frames; ++i)
            total += clip->frames[static_cast<std::size_t>(i) % clip->frames.size()].data.size();
        return static_cast<int>(total);
    }
    return file.seconds * key.kbps * 125;
}

// ---- sockets ----

void SimServer::acceptSession(int listenFd, Session::Paths paths) {
    for (;;) {
        const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int sndbuf = 2 << 20;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
        auto s = std::make_unique<Session>();
        s->fd = fd;
        s->id = m_nextSession++;
        s->paths = paths;
        m_sessions[s->id] = std::move(s);
    }
}

void SimServer::acceptControl() {
    for (;;) {
        const int fd = ::accept4(m_controlFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        auto c = std::make_unique<ControlClient>();
        c->fd = fd;
        m_controls.push_back(std::move(c));
    }
}

void SimServer::closeSession(Session& s) {
    if (s.dead)
        return;
    s.dead = true;
    ::close(s.fd);
    s.fd = -1;
    for (auto it = m_calls.begin(); it != m_calls.end();)
        it = (it->second.session == s.id) ? m_calls.erase(it) : std::next(it);
}

void SimServer::readSession(Session& s) {
    char buf[65536];
    for (;;) {
        const ssize_t n = ::recv(s.fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            closeSession(s);
            return;
        }
        if (n < 0)
            return;
        s.framer.append(buf, static_cast<std::size_t>(n));
        const char* body;
        std::size_t size;
        while (!s.dead && s.framer.next(&body, &size))
            handleFrame(s, body, size);
        if (s.framer.broken()) {
            std::fprintf(stderr, "kvab-camsim: session %llu sent a bad frame, closing it\n",
                         static_cast<unsigned long long>(s.id));
            closeSession(s);
            return;
        }
        if (s.dead)
            return;
    }
}

void SimServer::queueRaw(Session& s, const std::string& bytes) {
    if (s.dead)
        return;
    s.out.append(bytes); // compaction only in flush(): answer() relies on stable offsets
    if (s.out.size() - s.outPos > kMaxBacklog) {
        std::fprintf(stderr, "kvab-camsim: session %llu does not read, closing it\n",
                     static_cast<unsigned long long>(s.id));
        closeSession(s);
    }
}

void SimServer::queue(Session& s, kvabwire::WireWriter& w, bool media) {
    if (media && s.out.size() - s.outPos > kMaxMediaBacklog) {
        ++s.mediaDropped;
        return;
    }
    queueRaw(s, w.frame());
}

void SimServer::flush(Session& s) {
    while (!s.dead && s.outPos < s.out.size()) {
        const ssize_t n = ::send(s.fd, s.out.data() + s.outPos, s.out.size() - s.outPos, MSG_NOSIGNAL);
        if (n > 0) {
            s.outPos += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            break;
        closeSession(s);
        return;
    }
    if (s.outPos == s.out.size()) {
        s.out.clear();
        s.outPos = 0;
    } else if (s.outPos > (1u << 20)) {
        s.out.erase(0, s.outPos);
        s.outPos = 0;
    }
}

void SimServer::readControl(ControlClient& c) {
    char buf[4096];
    for (;;) {
        const ssize_t n = ::recv(c.fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            c.dead = true;
            return;
        }
        if (n < 0)
            break;
        c.in.append(buf, static_cast<std::size_t>(n));
        if (c.in.size() > 65536) {
            c.dead = true;
            return;
        }
    }
    std::size_t nl;
    while ((nl = c.in.find('\n')) != std::string::npos) {
        std::string line = c.in.substr(0, nl);
        c.in.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        c.out += control(line) + "\n";
    }
    while (!c.out.empty()) {
        const ssize_t n = ::send(c.fd, c.out.data(), c.out.size(), MSG_NOSIGNAL);
        if (n <= 0)
            break;
        c.out.erase(0, static_cast<std::size_t>(n));
    }
}

// ---- events ----

void SimServer::event(Session& s, Op op, const std::function<void(kvabwire::WireWriter&)>& fill, bool media) {
    kvabwire::WireWriter w(kvabwire::Type::Event, op, 0);
    fill(w);
    queue(s, w, media);
}

void SimServer::systemEvent(Session& s, int command, const std::string& text) {
    event(s, Op::EvSystem, [&](kvabwire::WireWriter& w) { w.addInt(command).addBytes(text); });
}

void SimServer::answerEvent(Session& s, Answer kind, int command, const std::string& text) {
    const int delayMs = m_answerDelayMs[kind];
    if (delayMs < 0)
        return; // a cloud that never answers
    if (delayMs == 0) {
        systemEvent(s, command, text);
        return;
    }
    const std::uint64_t sid = s.id;
    after(delayMs, [this, sid, command, text] {
        if (Session* later = session(sid))
            systemEvent(*later, command, text);
    });
}

void SimServer::lanReport(Session& s, const SimCamera& cam) {
    event(s, Op::EvLan, [&](kvabwire::WireWriter& w) {
        w.addText(cam.id().c_str())
            .addText(cam.flagText().c_str())
            .addInt(static_cast<std::int32_t>(cam.bootToken))
            .addInt(80)
            .addInt(1)
            .addText(cam.audioType().c_str());
    });
}

void SimServer::statusEvents(Session& s, const std::string& id) {
    s.watched.insert(id);
    SimCamera* cam = camera(id);
    char record[512];
    if (!cam || !cam->cloud()) {
        std::snprintf(record, sizeof record, "devid=%s;pwd=;status=0;devtype=;audiotype=;count=0;",
                      id.c_str());
        systemEvent(s, 119, record);
        systemEvent(s, 108, id);
        return;
    }
    const bool on = cam->online && !cam->rebooting;
    std::snprintf(record, sizeof record, "devid=%s;pwd=%s;status=%d;devtype=%s;audiotype=%s;count=%d;",
                  id.c_str(), kvabwire::Md5::hex(cam->accessPassword).c_str(), on ? 1 : 0,
                  cam->flagText().c_str(), cam->audioType().c_str(), 1);
    systemEvent(s, 119, record);
    systemEvent(s, on ? 104 : 108, id);
}

void SimServer::broadcastCloudState(const SimCamera& cam, bool online) {
    if (!cam.cloud())
        return;
    for (auto& entry : m_sessions) {
        Session& s = *entry.second;
        if (!s.dead && s.loggedIn && s.watched.count(cam.id()))
            systemEvent(s, online ? 104 : 108, cam.id());
    }
}

void SimServer::raiseAlarm(SimCamera& cam, bool io) {
    if (!cam.online || cam.rebooting)
        return;
    const std::string text = cam.id() + (io ? ";io;1" : ";motion;1");
    for (auto& entry : m_sessions) {
        Session& s = *entry.second;
        // With the paths on ports of their own, a camera on both reports on the LAN path only: the
        // client that watches both would otherwise hear each alarm twice.
        const bool viaCloud = cam.cloud() && s.loggedIn && !(cam.lan() && s.paths == Session::CloudOnly);
        if (s.dead || !((cam.lan() && s.lan) || viaCloud))
            continue;
        event(s, Op::EvAlarm, [&](kvabwire::WireWriter& w) {
            w.addInt(io ? 302 : 107).addText(text.c_str()).addInt(io ? 1 : 0).addInt(0);
        });
    }
}

void SimServer::cameraGone(const std::string& id, bool closeWan) {
    for (auto it = m_calls.begin(); it != m_calls.end();) {
        if (it->second.camera != id) {
            ++it;
            continue;
        }
        if (closeWan && it->second.wan)
            if (Session* s = session(it->second.session))
                systemEvent(*s, 106, "devid=" + id + ";flag=0;");
        it = m_calls.erase(it);
    }
}

void SimServer::cameraBack(SimCamera& cam) {
    for (auto& entry : m_sessions) {
        Session& s = *entry.second;
        if (!s.dead && s.lan && cam.lan())
            lanReport(s, cam);
    }
    broadcastCloudState(cam, true);
}

void SimServer::rebootCamera(SimCamera& cam) {
    cam.rebooting = true;
    cameraGone(cam.id(), true);
    broadcastCloudState(cam, false);
    const std::string id = cam.id();
    after(m_opt.rebootMs, [this, id] {
        SimCamera* c = camera(id);
        if (!c)
            return;
        c->rebooting = false;
        c->bootToken = m_nextToken++;
        if (c->online)
            cameraBack(*c);
    });
}

void SimServer::after(int ms, std::function<void()> run) {
    m_timers.emplace(nowUs() + static_cast<std::int64_t>(ms) * 1000, std::move(run));
}

void SimServer::runTimers(std::int64_t now) {
    while (!m_timers.empty() && m_timers.begin()->first <= now) {
        auto run = std::move(m_timers.begin()->second);
        m_timers.erase(m_timers.begin());
        run();
    }
    if (m_opt.alarmEverySeconds > 0 && now >= m_nextAlarmUs) {
        if (m_nextAlarmUs != 0 && !m_cameras.empty()) {
            static std::minstd_rand rng(7);
            auto it = m_cameras.begin();
            std::advance(it, static_cast<long>(rng() % m_cameras.size()));
            raiseAlarm(*it->second, rng() % 2 == 1);
        }
        m_nextAlarmUs = now + static_cast<std::int64_t>(m_opt.alarmEverySeconds) * 1000000;
    }
}

// ---- requests ----

void SimServer::handleFrame(Session& s, const char* body, std::size_t size) {
    kvabwire::WireReader r(body, size);
    if (!r.ok() || r.type() != kvabwire::Type::Request) {
        closeSession(s);
        return;
    }
    if (!s.hello) {
        if (r.op() != Op::Hello || static_cast<std::uint32_t>(r.readInt()) != kvabwire::kMagic) {
            std::fprintf(stderr, "kvab-camsim: a peer that does not speak our protocol, closing it\n");
            closeSession(s);
            return;
        }
        s.hello = true;
        return;
    }
    if (m_delayMs > 0) {
        // A slow service: the request is handled, and answered, only after the delay.
        auto copy = std::make_shared<std::string>(body, size);
        const std::uint64_t sid = s.id;
        after(m_delayMs, [this, copy, sid] {
            if (Session* later = session(sid)) {
                kvabwire::WireReader delayed(copy->data(), copy->size());
                answer(*later, delayed);
            }
        });
        return;
    }
    answer(s, r);
}

bool SimServer::wrongPath(const Session& s, kvabwire::Op op) {
    using kvabwire::Op;
    if (s.paths == Session::LanOnly)
        return op == Op::Login || op == Op::RegionMon;
    if (s.paths == Session::CloudOnly)
        return op == Op::LanRefresh;
    return false;
}

void SimServer::answer(Session& s, kvabwire::WireReader& r) {
    // Events that a request causes follow its reply: the reply goes in front of them.
    const std::size_t mark = s.out.size();
    std::string reply;
    int result = -1;
    ++m_requestCount;
    if (wrongPath(s, r.op()))
        std::fprintf(stderr, "kvab-camsim: request %d refused on this port\n", static_cast<int>(r.op()));
    else
        m_requests->handle(s, r, &reply, &result);
    if (s.dead)
        return;
    if (m_dropReplies > 0) {
        --m_dropReplies;
        return;
    }
    kvabwire::WireWriter w(kvabwire::Type::Reply, r.op(), r.seq());
    w.addInt(result).addBytes(reply);
    s.out.insert(mark, w.frame());
}

// ---- loop ----

void SimServer::run() {
    std::vector<pollfd> fds;
    std::vector<std::uint64_t> ids;
    while (!m_quit) {
        fds.clear();
        ids.clear();
        fds.push_back({m_listenFd, POLLIN, 0});
        fds.push_back({m_controlFd, POLLIN, 0});
        fds.push_back({m_wakePipe[0], POLLIN, 0});
        fds.push_back({m_cloudFd, POLLIN, 0}); // a negative descriptor is skipped by poll
        for (auto& e : m_sessions) {
            Session& s = *e.second;
            fds.push_back({s.fd, static_cast<short>(POLLIN | (s.outPos < s.out.size() ? POLLOUT : 0)), 0});
            ids.push_back(s.id);
        }
        const std::size_t firstControl = fds.size();
        for (auto& c : m_controls)
            fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
        std::int64_t due = m_media->nextDueUs();
        if (!m_timers.empty())
            due = std::min(due, m_timers.begin()->first);
        const std::int64_t wait = (due - nowUs() + 999) / 1000;
        ::poll(fds.data(), fds.size(),
               static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(wait, 50))));
        if (fds[2].revents & POLLIN) {
            char drain[64];
            while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & POLLIN)
            acceptSession(m_listenFd, m_cloudFd >= 0 ? Session::LanOnly : Session::Both);
        if (fds[3].revents & POLLIN)
            acceptSession(m_cloudFd, Session::CloudOnly);
        if (fds[1].revents & POLLIN)
            acceptControl();
        for (std::size_t i = 0; i < ids.size(); ++i) {
            Session* s = session(ids[i]);
            if (s && (fds[4 + i].revents & (POLLIN | POLLHUP | POLLERR)))
                readSession(*s);
        }
        for (std::size_t i = firstControl; i < fds.size(); ++i)
            if (fds[i].revents)
                readControl(*m_controls[i - firstControl]);
        const std::int64_t now = nowUs();
        runTimers(now);
        m_media->pumpCalls(now);
        for (auto it = m_sessions.begin(); it != m_sessions.end();) {
            flush(*it->second);
            it = it->second->dead ? m_sessions.erase(it) : std::next(it);
        }
        for (auto it = m_controls.begin(); it != m_controls.end();) {
            if ((*it)->dead) {
                ::close((*it)->fd);
                it = m_controls.erase(it);
            } else {
                ++it;
            }
        }
    }
}

std::string SimServer::control(const std::string& line) {
    return m_control->execute(line);
}
