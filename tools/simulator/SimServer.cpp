#include "SimServer.h"

#include "AlawEncoder.h"
#include "Md5.h"
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
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

using kvabwire::Op;

namespace {

constexpr std::size_t kMaxMediaBacklog = 8u * 1024u * 1024u;
constexpr std::size_t kMaxBacklog = 64u * 1024u * 1024u;
constexpr int kAudioBlock = 320; // 40 ms of 8 kHz A-law
constexpr std::int64_t kStreamStartUs = 150000;

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

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

int toInt(const std::string& s, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    return (s.empty() || *end) ? fallback : static_cast<int>(v);
}

} // namespace

SimServer::SimServer(Options options) : m_opt(std::move(options)) {
    std::random_device rd;
    m_bootTag = rd() & 0xFFFF;
    m_nextToken = rd() | 1;
    for (const auto& spec : m_opt.cameras)
        addCamera(spec);
    // A two-tone chime, one second, looped on listening calls.
    for (int i = 0; i < 8000; ++i) {
        const double f = (i < 4000) ? 440.0 : 660.0;
        const double env = 0.5 + 0.5 * std::sin(2.0 * M_PI * i / 8000.0);
        const auto s = static_cast<std::int16_t>(9000.0 * env * std::sin(2.0 * M_PI * f * i / 8000.0));
        m_tone.push_back(AlawEncoder::encode(s));
    }
}

SimServer::~SimServer() {
    for (auto& s : m_sessions)
        if (s.second->fd >= 0)
            ::close(s.second->fd);
    for (auto& c : m_controls)
        if (c->fd >= 0)
            ::close(c->fd);
    for (int fd : {m_listenFd, m_controlFd, m_wakePipe[0], m_wakePipe[1]})
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

void SimServer::acceptSession() {
    for (;;) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;
        int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        int sndbuf = 2 << 20;
        ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &sndbuf, sizeof sndbuf);
        auto s = std::make_unique<Session>();
        s->fd = fd;
        s->id = m_nextSession++;
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
        if (s.dead || !((cam.lan() && s.lan) || (cam.cloud() && s.loggedIn)))
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

void SimServer::answer(Session& s, kvabwire::WireReader& r) {
    // Events that a request causes follow its reply: the reply goes in front of them.
    const std::size_t mark = s.out.size();
    std::string reply;
    int result = -1;
    handleRequest(s, r, &reply, &result);
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

std::string SimServer::openCall(Session& s, SimCamera& cam, int kind, int stream, bool wan,
                                const std::string& file) {
    static const char kindLetter[] = "?VLTD";
    char id[64];
    std::snprintf(id, sizeof id, "%c-%.32s-%04x-%llu", kindLetter[kind], cam.id().c_str(), m_bootTag,
                  static_cast<unsigned long long>(m_nextCall++));
    Call call;
    call.id = id;
    call.session = s.id;
    call.camera = cam.id();
    call.kind = kind;
    call.stream = stream;
    call.wan = wan;
    // Media starts a little after the answer, as a camera's would: by then the caller has filed the identity.
    call.startUs = nowUs() + kStreamStartUs;
    if (kind == 1) {
        call.key = clipKey(cam, stream == 1);
        call.periodUs = 1000000 / call.key.rate;
        call.needKey = true;
    } else if (kind == 2) {
        call.periodUs = 40000;
    } else if (kind == 4) {
        call.key = clipKey(cam, cam.sdMainStream());
        call.periodUs = 1000000 / (call.key.rate * m_opt.sdSpeed);
        call.resolution = cam.sdMainStream() ? 0 : 4;
        const SimCamera::SdFile* f = cam.findFile(file);
        call.sdFrames = f ? f->seconds * call.key.rate : 0;
    }
    if (kind == 1 || kind == 4)
        call.clip = m_clips->get(call.key);
    m_calls[call.id] = call;
    return call.id;
}

void SimServer::handleRequest(Session& s, kvabwire::WireReader& r, std::string* reply, int* result) {
    *result = -1;
    switch (r.op()) {
    case Op::LanRefresh:
        s.lan = true;
        *result = 0;
        for (auto& c : m_cameras)
            if (c.second->lan() && c.second->online && !c.second->rebooting)
                lanReport(s, *c.second);
        return;
    case Op::Login: {
        const std::string user = r.readBytes();
        const std::string pwd = r.readBytes();
        r.readBytes();
        r.readInt();
        if (!r.ok())
            return;
        *result = 0;
        const bool good = user == m_opt.account && pwd == m_opt.accountPassword;
        s.loggedIn = good;
        s.registered = false;
        systemEvent(s, good ? 0 : 1, "");
        return;
    }
    case Op::RegionMon:
        *result = 0;
        s.registered = s.loggedIn;
        systemEvent(s, 101, s.loggedIn ? "1" : "0");
        return;
    case Op::Logout:
        *result = 0;
        s.loggedIn = false;
        s.registered = false;
        s.watched.clear();
        for (auto it = m_calls.begin(); it != m_calls.end();)
            it = (it->second.session == s.id && it->second.wan) ? m_calls.erase(it) : std::next(it);
        return;
    case Op::DevStatus: {
        const std::string id = r.readBytes();
        if (!r.ok() || !s.loggedIn || id.empty())
            return;
        *result = 0;
        statusEvents(s, id);
        return;
    }
    case Op::DevStatusEx: {
        const std::string request = r.readBytes();
        const int count = r.readInt();
        if (!r.ok() || !s.loggedIn)
            return;
        std::vector<std::string> ids;
        std::size_t pos = 0;
        while (pos < request.size()) {
            std::size_t end = request.find(';', pos);
            if (end == std::string::npos)
                end = request.size();
            const std::string item = request.substr(pos, end - pos);
            const auto eq = item.find('=');
            if (item.rfind("devid", 0) == 0 && eq != std::string::npos && eq + 1 < item.size())
                ids.push_back(item.substr(eq + 1));
            pos = end + 1;
        }
        if (ids.empty() || count != static_cast<int>(ids.size()))
            return;
        *result = 0;
        for (const auto& id : ids)
            statusEvents(s, id);
        return;
    }
    case Op::SetAccessPwd: {
        r.readInt();
        const std::string id = r.readBytes();
        const std::string pwd = r.readBytes();
        r.readInt();
        if (!r.ok() || !s.loggedIn)
            return;
        *result = 0;
        SimCamera* cam = reachable(s, id, kvabwire::kPathWan);
        const bool ok = cam && !pwd.empty() && pwd.size() <= 31;
        if (ok)
            cam->accessPassword = pwd;
        systemEvent(s, 115, ok ? "1" : "0");
        return;
    }
    case Op::Call: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int kind = r.readInt();
        const int stream = r.readInt();
        r.readBytes();
        if (!r.ok() || kind < 1 || kind > 3)
            return;
        SimCamera* cam = reachable(s, id, path);
        if (!cam)
            return;
        *reply = openCall(s, *cam, kind, kind == 1 ? stream : 0, path == kvabwire::kPathWan, std::string());
        *result = 0;
        if (path == kvabwire::kPathWan)
            systemEvent(s, 105, "devid=" + id + ";flag=1;");
        return;
    }
    case Op::CloseCall: {
        const std::string id = r.readBytes();
        auto it = m_calls.find(id);
        if (!r.ok() || it == m_calls.end() || it->second.session != s.id)
            return;
        m_calls.erase(it);
        *result = 0;
        return;
    }
    case Op::AudioData: {
        const std::string id = r.readBytes();
        std::size_t len = 0;
        r.readView(&len);
        auto it = m_calls.find(id);
        if (!r.ok() || it == m_calls.end() || it->second.session != s.id || it->second.kind != 3)
            return;
        if (SimCamera* cam = camera(it->second.camera)) {
            cam->talkBlocks += 1;
            cam->talkBytes += static_cast<std::int64_t>(len);
        }
        *result = 0;
        return;
    }
    case Op::SendData: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const std::string text = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, path) : nullptr;
        if (!cam)
            return;
        std::vector<SimCamera::Report> reports;
        *result = cam->dataCommand(text, &reports);
        for (const auto& rep : reports)
            event(s, Op::EvAlarm, [&](kvabwire::WireWriter& w) {
                w.addInt(rep.command).addText(rep.text.c_str()).addInt(rep.flag).addInt(0);
            });
        return;
    }
    case Op::GetInfo: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        r.readInt();
        if (r.ok() && reachable(s, id, path))
            *result = 0;
        return;
    }
    case Op::SetInfo: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int selector = r.readInt();
        const int value = r.readInt();
        const int extra = r.readInt();
        SimCamera* cam = r.ok() ? reachable(s, id, path) : nullptr;
        if (!cam)
            return;
        if (selector == 109) {
            cam->factoryReset();
            *result = 0;
        } else if (selector == 110 || selector == 111) {
            *result = 0;
            rebootCamera(*cam);
        } else {
            *result = cam->setSelector(selector, value, extra);
        }
        return;
    }
    case Op::SysInfo: {
        const std::string id = r.readBytes();
        const int selector = r.readInt();
        SimCamera* cam = r.ok() ? reachable(s, id, 0) : nullptr;
        if (cam && cam->sysInfo(selector, reply))
            *result = 0;
        return;
    }
    case Op::SetSysInfo: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int selector = r.readInt();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, path) : nullptr;
        if (cam && selector == 108)
            *result = cam->setSdRecord(record);
        return;
    }
    case Op::SetWifi: {
        const std::string id = r.readBytes();
        const int flag = r.readInt();
        const int open = r.readInt();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (cam)
            *result = cam->setWifi(flag, open, record);
        return;
    }
    case Op::SetDevIp: {
        const std::string id = r.readBytes();
        const int kind = r.readInt();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (cam)
            *result = cam->setIp(kind, record);
        return;
    }
    case Op::WifiSurvey: {
        const std::string id = r.readBytes();
        r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (!cam)
            return;
        *result = 0;
        const std::uint64_t sid = s.id;
        const bool fails = cam->surveyFails;
        const std::string text = fails ? std::string() : cam->surveyReply();
        after(m_opt.surveyDelayMs, [this, sid, text, fails] {
            if (Session* later = session(sid)) {
                event(*later, Op::EvWifi, [&](kvabwire::WireWriter& w) {
                    w.addBytes(text).addInt(fails ? -1 : static_cast<int>(text.size()));
                });
            }
        });
        return;
    }
    case Op::SetEmail: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, path) : nullptr;
        if (cam)
            *result = cam->setEmail(record);
        return;
    }
    case Op::FormatSd: {
        const std::string id = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (cam) {
            cam->formatSd();
            *result = 0;
        }
        return;
    }
    case Op::SdList: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int page = r.readInt();
        const int pageSize = r.readInt();
        SimCamera* cam = r.ok() ? reachable(s, id, path) : nullptr;
        if (!cam || page < 1 || pageSize < 1 || pageSize > 100)
            return;
        *result = 0;
        std::vector<SimCamera::SdFile> files = cam->sdFiles();
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.id > b.id; });
        const std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(pageSize);
        const std::size_t last = std::min(files.size(), first + static_cast<std::size_t>(pageSize));
        for (std::size_t i = first; i < last; ++i) {
            char entry[256];
            std::snprintf(entry, sizeof entry, "name=%s;fid=%d;size=%d;", files[i].name.c_str(), files[i].id,
                          fileBytes(*cam, files[i]));
            const int number = static_cast<int>(i - first);
            const int more = (i + 1 < last) ? 1 : 0;
            event(s, Op::EvSdFile,
                  [&](kvabwire::WireWriter& w) { w.addInt(number).addText(entry).addInt(more); });
        }
        return;
    }
    case Op::SdDownload: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const std::string name = r.readBytes();
        SimCamera* cam = r.ok() ? reachable(s, id, path) : nullptr;
        if (!cam || !cam->findFile(name))
            return;
        *reply = openCall(s, *cam, 4, 0, path == kvabwire::kPathWan, name);
        *result = 0;
        return;
    }
    default:
        return;
    }
}

// ---- media ----

bool SimServer::pumpVideo(Call& call, Session& s, SimCamera& cam, std::int64_t now) {
    const std::int64_t due = call.startUs + call.frameNo * call.periodUs;
    if (now < due)
        return false;
    if (!call.clip) {
        call.clip = m_clips->get(call.key);
        if (!call.clip) {
            call.startUs = now + kStreamStartUs; // start the clock once the clip exists
            call.frameNo = 0;
            return false;
        }
    }
    if (now - due > 2000000) { // far behind (a stall on our side): skip ahead, resume at a key frame
        call.startUs = now;
        call.frameNo = 0;
        call.needKey = true;
    }
    const ClipFrame& f = call.clip->frames[static_cast<std::size_t>(call.frameNo) % call.clip->frames.size()];
    ++call.frameNo;
    const bool stalled = cam.stallUntilMs < 0 || (cam.stallUntilMs > 0 && now / 1000 < cam.stallUntilMs);
    if (stalled) {
        call.needKey = true;
        return true;
    }
    if (call.needKey && !f.key)
        return true;
    call.needKey = false;
    std::string damaged;
    const std::string* payload = &f.data;
    if (cam.truncateFrames > 0 && f.data.size() > 16) {
        --cam.truncateFrames;
        damaged = f.data.substr(0, f.data.size() / 2);
        payload = &damaged;
    } else if (cam.corruptFrames > 0 && f.data.size() > 64) {
        --cam.corruptFrames;
        damaged = f.data;
        std::minstd_rand rng(static_cast<unsigned>(call.frameNo));
        for (std::size_t i = damaged.size() / 3; i < damaged.size(); i += 7)
            damaged[i] = static_cast<char>(rng());
        payload = &damaged;
    } else if (cam.garbageFrames > 0) {
        --cam.garbageFrames;
        damaged = std::string("\x17\x42\x99", 3) + f.data;
        payload = &damaged;
    }
    event(
        s, Op::EvVideo,
        [&](kvabwire::WireWriter& w) { w.addText(call.id.c_str()).addInt(f.key ? 1 : 0).addBytes(*payload); },
        true);
    ++m_videoFrames;
    return true;
}

void SimServer::pumpCalls(std::int64_t now) {
    for (auto it = m_calls.begin(); it != m_calls.end(); ++it) {
        Call& call = it->second;
        Session* s = session(call.session);
        SimCamera* cam = camera(call.camera);
        if (!s || !cam || call.finished)
            continue;
        if (call.kind == 1) {
            int burst = 0;
            while (burst++ < 4 && pumpVideo(call, *s, *cam, now)) {
            }
        } else if (call.kind == 2) {
            while (now >= call.startUs + call.frameNo * call.periodUs) {
                if (now - (call.startUs + call.frameNo * call.periodUs) > 1000000) {
                    call.startUs = now;
                    call.frameNo = 0;
                }
                const std::size_t off = static_cast<std::size_t>(call.frameNo % 25) * kAudioBlock;
                const int seq = static_cast<int>(call.frameNo);
                ++call.frameNo;
                event(
                    *s, Op::EvAudio,
                    [&](kvabwire::WireWriter& w) {
                        w.addText(call.id.c_str()).addInt(seq).addBytes(m_tone.data() + off, kAudioBlock);
                    },
                    true);
                ++m_audioBlocks;
            }
        } else if (call.kind == 4) {
            if (!call.clip) {
                call.clip = m_clips->get(call.key);
                if (!call.clip) {
                    call.startUs = now;
                    continue;
                }
            }
            int burst = 0;
            while (burst++ < 8 && now >= call.startUs + call.frameNo * call.periodUs) {
                if (call.frameNo >= call.sdFrames) {
                    event(*s, Op::EvSdData, [&](kvabwire::WireWriter& w) {
                        w.addText(call.id.c_str())
                            .addInt(static_cast<int>(call.frameNo))
                            .addBytes("", 0)
                            .addInt(-110)
                            .addInt(call.resolution)
                            .addInt(1)
                            .addInt(0)
                            .addInt(0);
                    });
                    call.finished = true;
                    break;
                }
                const ClipFrame& f =
                    call.clip->frames[static_cast<std::size_t>(call.frameNo) % call.clip->frames.size()];
                const int seq = static_cast<int>(call.frameNo);
                ++call.frameNo;
                // Flow control: an SD transfer waits for the client instead of dropping frames.
                if (s->out.size() - s->outPos > kMaxMediaBacklog / 2) {
                    --call.frameNo;
                    call.startUs += call.periodUs;
                    break;
                }
                event(
                    *s, Op::EvSdData,
                    [&](kvabwire::WireWriter& w) {
                        w.addText(call.id.c_str())
                            .addInt(seq)
                            .addBytes(f.data)
                            .addInt(static_cast<int>(f.data.size()))
                            .addInt(call.resolution)
                            .addInt(1)
                            .addInt(0)
                            .addInt(f.key ? 2 : 1);
                    },
                    true);
                ++m_sdFrames;
            }
        }
    }
}

std::int64_t SimServer::nextDueUs() const {
    std::int64_t next = nowUs() + 50000;
    for (const auto& c : m_calls) {
        if (c.second.finished || c.second.kind == 3)
            continue;
        next = std::min(next, c.second.startUs + c.second.frameNo * c.second.periodUs);
    }
    if (!m_timers.empty())
        next = std::min(next, m_timers.begin()->first);
    return next;
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
        for (auto& e : m_sessions) {
            Session& s = *e.second;
            fds.push_back({s.fd, static_cast<short>(POLLIN | (s.outPos < s.out.size() ? POLLOUT : 0)), 0});
            ids.push_back(s.id);
        }
        const std::size_t firstControl = fds.size();
        for (auto& c : m_controls)
            fds.push_back({c->fd, static_cast<short>(POLLIN | (c->out.empty() ? 0 : POLLOUT)), 0});
        const std::int64_t wait = (nextDueUs() - nowUs() + 999) / 1000;
        ::poll(fds.data(), fds.size(),
               static_cast<int>(std::max<std::int64_t>(0, std::min<std::int64_t>(wait, 50))));
        if (fds[2].revents & POLLIN) {
            char drain[64];
            while (::read(m_wakePipe[0], drain, sizeof drain) > 0) {
            }
        }
        if (fds[0].revents & POLLIN)
            acceptSession();
        if (fds[1].revents & POLLIN)
            acceptControl();
        for (std::size_t i = 0; i < ids.size(); ++i) {
            Session* s = session(ids[i]);
            if (s && (fds[3 + i].revents & (POLLIN | POLLHUP | POLLERR)))
                readSession(*s);
        }
        for (std::size_t i = firstControl; i < fds.size(); ++i)
            if (fds[i].revents)
                readControl(*m_controls[i - firstControl]);
        const std::int64_t now = nowUs();
        runTimers(now);
        pumpCalls(now);
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

// ---- control ----

std::string SimServer::control(const std::string& line) {
    const auto w = words(line);
    if (w.empty())
        return "error empty command";
    const std::string& cmd = w[0];
    auto arg = [&](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    SimCamera* cam = w.size() > 1 ? camera(w[1]) : nullptr;
    auto needCam = [&]() { return cam != nullptr; };

    if (cmd == "help")
        return "ok list stats add remove offline online reboot stall unstall corrupt truncate garbage-frames "
               "drop garbage cut delay dropreplies alarm talkcount calls kick surveyfail quit";
    if (cmd == "list") {
        std::string out = "ok";
        for (const auto& c : m_cameras)
            out += " " + c.first + ":" + (c.second->lan() ? (c.second->cloud() ? "both" : "lan") : "cloud") +
                   ":" + (c.second->online ? (c.second->rebooting ? "rebooting" : "online") : "offline");
        return out;
    }
    if (cmd == "stats") {
        std::size_t dropped = 0, sessions = 0;
        for (const auto& s : m_sessions)
            if (!s.second->dead) {
                ++sessions;
                dropped += s.second->mediaDropped;
            }
        char buf[256];
        std::snprintf(buf, sizeof buf, "ok sessions=%zu calls=%zu video=%llu audio=%llu sd=%llu dropped=%zu",
                      sessions, m_calls.size(), static_cast<unsigned long long>(m_videoFrames),
                      static_cast<unsigned long long>(m_audioBlocks),
                      static_cast<unsigned long long>(m_sdFrames), dropped);
        return buf;
    }
    if (cmd == "add") {
        const std::string id = arg(1), kind = arg(2);
        if (id.empty() || id.size() > 40 || camera(id) ||
            (kind != "lan" && kind != "cloud" && kind != "both"))
            return "error usage: add ID lan|cloud|both [offline]";
        addCamera(CameraSpec{id, kind != "cloud", kind != "lan", arg(3) != "offline"});
        SimCamera* added = camera(id);
        m_clips->get(clipKey(*added, false));
        if (added->online)
            cameraBack(*added);
        return "ok";
    }
    if (cmd == "remove") {
        if (!needCam())
            return "error unknown camera";
        const std::string id = cam->id();
        cameraGone(id, true);
        broadcastCloudState(*cam, false);
        m_cameras.erase(id);
        return "ok";
    }
    if (cmd == "offline" || cmd == "online") {
        if (!needCam())
            return "error unknown camera";
        const bool on = cmd == "online";
        if (cam->online == on)
            return "ok";
        cam->online = on;
        if (!on) {
            cameraGone(cam->id(), true);
            broadcastCloudState(*cam, false);
        } else if (!cam->rebooting) {
            cameraBack(*cam);
        }
        return "ok";
    }
    if (cmd == "reboot") {
        if (!needCam())
            return "error unknown camera";
        rebootCamera(*cam);
        return "ok";
    }
    if (cmd == "stall") {
        if (!needCam())
            return "error unknown camera";
        const int ms = toInt(arg(2), 0);
        cam->stallUntilMs = ms > 0 ? nowUs() / 1000 + ms : -1;
        return "ok";
    }
    if (cmd == "unstall") {
        if (!needCam())
            return "error unknown camera";
        cam->stallUntilMs = 0;
        return "ok";
    }
    if (cmd == "corrupt" || cmd == "truncate" || cmd == "garbage-frames") {
        if (!needCam())
            return "error unknown camera";
        const int n = std::max(1, toInt(arg(2), 1));
        (cmd == "corrupt"    ? cam->corruptFrames
         : cmd == "truncate" ? cam->truncateFrames
                             : cam->garbageFrames) = n;
        return "ok";
    }
    if (cmd == "surveyfail") {
        if (!needCam())
            return "error unknown camera";
        cam->surveyFails = arg(2) != "off";
        return "ok";
    }
    if (cmd == "alarm") {
        if (!needCam())
            return "error unknown camera";
        raiseAlarm(*cam, arg(2) == "io");
        return "ok";
    }
    if (cmd == "talkcount") {
        if (!needCam())
            return "error unknown camera";
        return "ok blocks=" + std::to_string(cam->talkBlocks) + " bytes=" + std::to_string(cam->talkBytes);
    }
    if (cmd == "calls") {
        int n = 0;
        for (const auto& c : m_calls)
            if (w.size() < 2 || c.second.camera == w[1])
                ++n;
        return "ok " + std::to_string(n);
    }
    if (cmd == "drop" || cmd == "garbage" || cmd == "cut" || cmd == "kick") {
        int n = 0;
        for (auto& e : m_sessions) {
            Session& s = *e.second;
            if (s.dead || !s.hello)
                continue;
            ++n;
            if (cmd == "drop") {
                closeSession(s);
            } else if (cmd == "garbage") {
                // A length field no frame can have: the peer must give the stream up.
                flush(s);
                queueRaw(s, std::string("\xff\xff\xff\x7f\x03\x00\x64\x00garbage", 16));
            } else if (cmd == "cut") {
                // Half a message, then the connection goes.
                kvabwire::WireWriter ww(kvabwire::Type::Event, Op::EvSystem, 0);
                ww.addInt(104).addText("truncated-message");
                const std::string& f = ww.frame();
                flush(s);
                queueRaw(s, f.substr(0, f.size() / 2));
                flush(s);
                closeSession(s);
            } else {
                if (s.loggedIn)
                    systemEvent(s, 3, "kicked");
                s.loggedIn = false;
                s.registered = false;
            }
        }
        return "ok " + std::to_string(n);
    }
    if (cmd == "delay") {
        m_delayMs = std::max(0, toInt(arg(1), 0));
        return "ok";
    }
    if (cmd == "dropreplies") {
        m_dropReplies = std::max(0, toInt(arg(1), 0));
        return "ok";
    }
    if (cmd == "quit") {
        m_quit = true;
        return "ok";
    }
    return "error unknown command " + cmd;
}
