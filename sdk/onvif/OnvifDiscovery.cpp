#include "OnvifDiscovery.h"

#include "OnvifXml.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <sstream>

namespace pcq {

namespace {

class Socket {
public:
    Socket() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~Socket() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

std::string newUuid() {
    std::random_device rd;
    std::mt19937_64 engine{(static_cast<std::uint64_t>(rd()) << 32) ^ rd()};
    char text[40];
    const std::uint64_t a = engine(), b = engine();
    std::snprintf(text, sizeof text, "%08x-%04x-4%03x-%04x-%012llx", static_cast<unsigned>(a >> 32),
                  static_cast<unsigned>((a >> 16) & 0xFFFF), static_cast<unsigned>(a & 0xFFF),
                  static_cast<unsigned>(0x8000 | ((b >> 48) & 0x3FFF)),
                  static_cast<unsigned long long>(b & 0xFFFFFFFFFFFFULL));
    return text;
}

// %XX escapes of a scope's value ("Front%20door").
std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// A device id goes into fixed records and log lines: printable ASCII without the record separators.
bool idUsable(const std::string& id) {
    return !id.empty() && id.size() < 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return c > ' ' && c < 127 && c != ';' && c != '=';
    });
}

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(w);
    return out;
}

} // namespace

std::string OnvifDiscovery::probeMessage(const std::string& messageId) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\""
           " xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\""
           " xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\""
           " xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\">"
           "<s:Header>"
           "<a:MessageID>urn:uuid:" +
           messageId +
           "</a:MessageID>"
           "<a:To>urn:schemas-xmlsoap-org:ws:2005:04:discovery</a:To>"
           "<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/Probe</a:Action>"
           "</s:Header>"
           "<s:Body><d:Probe><d:Types>dn:NetworkVideoTransmitter</d:Types></d:Probe></s:Body>"
           "</s:Envelope>";
}

bool OnvifDiscovery::parseMatches(const std::string& datagram, const std::string& messageId,
                                  std::vector<OnvifProbeMatch>* out) {
    OnvifXml xml(datagram);
    if (!xml.ok() || xml.textOf("RelatesTo").find(messageId) == std::string::npos)
        return false;
    std::vector<OnvifProbeMatch> found;
    for (xmlNode* match : xml.findAll("ProbeMatch")) {
        OnvifProbeMatch m;
        m.id = xml.textOf("Address", xml.find("EndpointReference", match));
        if (m.id.compare(0, 9, "urn:uuid:") == 0)
            m.id.erase(0, 9);
        for (const std::string& x : words(xml.textOf("XAddrs", match)))
            if (m.xaddr.empty() && x.compare(0, 7, "http://") == 0)
                m.xaddr = x;
        static const std::string namePrefix = "onvif://www.onvif.org/name/";
        for (const std::string& scope : words(xml.textOf("Scopes", match)))
            if (scope.compare(0, namePrefix.size(), namePrefix) == 0)
                m.name = unescape(scope.substr(namePrefix.size()));
        if (!idUsable(m.id) || m.xaddr.empty()) {
            std::fprintf(stderr,
                         "pcQuorvane: ONVIF discovery answer without a usable id or address ignored\n");
            continue;
        }
        found.push_back(m);
    }
    out->insert(out->end(), found.begin(), found.end());
    return true; // an answer to us, even when each of its matches was refused above
}

std::vector<OnvifProbeMatch> OnvifDiscovery::probe(int windowMs) {
    std::vector<OnvifProbeMatch> matches;
    Socket socket;
    if (socket.fd() < 0) {
        std::perror("pcQuorvane: ONVIF discovery socket");
        return matches;
    }
    const unsigned char ttl = 1, loop = 1;
    ::setsockopt(socket.fd(), IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl);
    ::setsockopt(socket.fd(), IPPROTO_IP, IP_MULTICAST_LOOP, &loop, sizeof loop);
    sockaddr_in group{};
    group.sin_family = AF_INET;
    group.sin_port = htons(kPort);
    ::inet_pton(AF_INET, kGroup, &group.sin_addr);
    const std::string id = newUuid();
    const std::string message = probeMessage(id);
    using Clock = std::chrono::steady_clock;
    const auto end = Clock::now() + std::chrono::milliseconds(windowMs);
    auto nextSend = Clock::now();
    int sent = 0;
    bool sendFailed = false;
    char buffer[65536];
    while (Clock::now() < end) {
        if (sent < 2 && Clock::now() >= nextSend) {
            if (::sendto(socket.fd(), message.data(), message.size(), 0, reinterpret_cast<sockaddr*>(&group),
                         sizeof group) < 0 &&
                !sendFailed) {
                std::perror("pcQuorvane: ONVIF discovery probe");
                sendFailed = true;
            }
            ++sent;
            nextSend = Clock::now() + std::chrono::milliseconds(150);
        }
        const auto wait = std::min(end, sent < 2 ? nextSend : end) - Clock::now();
        pollfd p{socket.fd(), POLLIN, 0};
        const int ready = ::poll(
            &p, 1, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(wait).count()) + 1);
        if (ready <= 0)
            continue;
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t n = ::recvfrom(socket.fd(), buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (n <= 0)
            continue;
        std::vector<OnvifProbeMatch> got;
        if (!parseMatches(std::string(buffer, static_cast<std::size_t>(n)), id, &got)) {
            char address[INET_ADDRSTRLEN] = {};
            ::inet_ntop(AF_INET, &from.sin_addr, address, sizeof address);
            std::fprintf(stderr, "pcQuorvane: ONVIF discovery: malformed or foreign answer from %s ignored\n",
                         address);
            continue;
        }
        for (const auto& m : got)
            if (std::none_of(matches.begin(), matches.end(),
                             [&](const OnvifProbeMatch& k) { return k.id == m.id; }))
                matches.push_back(m);
    }
    return matches;
}

} // namespace pcq
