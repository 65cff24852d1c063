#include "OnvifDiscovery.h"

#include "OnvifCamera.h"
#include "OnvifXml.h"

#include <glib-unix.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <net/if.h>
#include <netinet/in.h>
#include <sstream>
#include <sys/socket.h>
#include <unistd.h>

namespace {
const char kGroup[] = "239.255.255.250";
} // namespace

OnvifDiscovery::OnvifDiscovery(const std::vector<std::unique_ptr<OnvifCamera>>& cameras,
                               GMainContext* context)
    : m_cameras(cameras), m_context(context) {}

OnvifDiscovery::~OnvifDiscovery() {
    if (m_source) {
        g_source_destroy(m_source);
        g_source_unref(m_source);
    }
    if (m_fd >= 0)
        ::close(m_fd);
}

bool OnvifDiscovery::start(int port, std::string* error) {
    m_fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int one = 1;
    // Several responders (simulators, or a real one) may share the port and each hear the group.
    if (m_fd < 0 || ::setsockopt(m_fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one) < 0) {
        *error = std::strerror(errno);
        return false;
    }
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(port == 0 ? INADDR_LOOPBACK : INADDR_ANY);
    socklen_t size = sizeof addr;
    if (::bind(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&addr), &size) < 0) {
        *error = "discovery port " + std::to_string(port) + ": " + std::strerror(errno);
        return false;
    }
    m_port = ntohs(addr.sin_port);
    if (port != 0) {
        ip_mreqn group{};
        ::inet_pton(AF_INET, kGroup, &group.imr_multiaddr);
        // On loopback only: the cameras' addresses are 127.0.0.1, so probes from the LAN get no answer.
        group.imr_ifindex = static_cast<int>(if_nametoindex("lo"));
        m_multicast = ::setsockopt(m_fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &group, sizeof group) == 0;
        if (!m_multicast)
            std::fprintf(stderr, "kvab-camsim: onvif discovery: cannot join %s (%s): unicast probes only\n",
                         kGroup, std::strerror(errno));
    }
    m_source = g_unix_fd_source_new(m_fd, G_IO_IN);
    g_source_set_callback(m_source, reinterpret_cast<GSourceFunc>(reinterpret_cast<void (*)()>(&readable)),
                          this, nullptr);
    g_source_attach(m_source, m_context);
    return true;
}

gboolean OnvifDiscovery::readable(gint fd, GIOCondition, gpointer self) {
    char buf[65536];
    sockaddr_in from{};
    socklen_t fromSize = sizeof from;
    const ssize_t n =
        ::recvfrom(fd, buf, sizeof buf, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
    if (n > 0)
        static_cast<OnvifDiscovery*>(self)->answer(buf, static_cast<std::size_t>(n), &from, fromSize);
    return G_SOURCE_CONTINUE;
}

bool OnvifDiscovery::wanted(const std::string& types) {
    std::istringstream in(types);
    std::string type;
    bool any = false;
    while (in >> type) {
        any = true;
        const std::string local = type.substr(type.find(':') == std::string::npos ? 0 : type.find(':') + 1);
        if (local == "NetworkVideoTransmitter" || local == "Device")
            return true;
    }
    return !any;
}

void OnvifDiscovery::answer(const char* data, std::size_t size, const void* from, unsigned fromSize) {
    const OnvifXml::Doc doc = OnvifXml::parse(data, size);
    xmlNode* envelope = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    xmlNode* probe = OnvifXml::path(envelope, {"Body", "Probe"});
    if (!probe) {
        // Hellos, Byes and other responders' matches share the group: only a broken message is worth a line.
        if (!OnvifXml::named(envelope, "Envelope"))
            std::fprintf(stderr, "kvab-camsim: onvif discovery: an unreadable datagram (%zu bytes) ignored\n",
                         size);
        return;
    }
    if (!wanted(OnvifXml::text(OnvifXml::child(probe, "Types"))))
        return;
    const std::string messageId = OnvifXml::text(OnvifXml::path(envelope, {"Header", "MessageID"}));
    for (const auto& cam : m_cameras) {
        if (cam->vanished)
            continue;
        const std::string reply = probeMatch(*cam, messageId.substr(0, 200));
        ::sendto(m_fd, reply.data(), reply.size(), MSG_DONTWAIT, static_cast<const sockaddr*>(from),
                 fromSize);
    }
}

std::string OnvifDiscovery::probeMatch(const OnvifCamera& cam, const std::string& relatesTo) const {
    gchar* id = g_uuid_string_random();
    const std::string messageId = id;
    g_free(id);
    const std::string port = std::to_string(cam.httpPort.load());
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\""
           " xmlns:a=\"http://schemas.xmlsoap.org/ws/2004/08/addressing\""
           " xmlns:d=\"http://schemas.xmlsoap.org/ws/2005/04/discovery\""
           " xmlns:dn=\"http://www.onvif.org/ver10/network/wsdl\""
           " xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\"><s:Header>"
           "<a:MessageID>urn:uuid:" +
           messageId + "</a:MessageID><a:RelatesTo>" + OnvifXml::escape(relatesTo) +
           "</a:RelatesTo><a:To>http://schemas.xmlsoap.org/ws/2004/08/addressing/role/anonymous</a:To>"
           "<a:Action>http://schemas.xmlsoap.org/ws/2005/04/discovery/ProbeMatches</a:Action></s:Header>"
           "<s:Body><d:ProbeMatches><d:ProbeMatch><a:EndpointReference><a:Address>urn:uuid:" +
           cam.uuid() +
           "</a:Address></a:EndpointReference><d:Types>dn:NetworkVideoTransmitter tds:Device</d:Types>"
           "<d:Scopes>onvif://www.onvif.org/type/video_encoder onvif://www.onvif.org/type/audio_encoder " +
           (cam.ptz() ? "onvif://www.onvif.org/type/ptz " : "") + "onvif://www.onvif.org/name/" + cam.id() +
           " onvif://www.onvif.org/hardware/KVAB-SIM-ONVIF onvif://www.onvif.org/location/lab</d:Scopes>"
           "<d:XAddrs>http://127.0.0.1:" +
           port +
           "/onvif/device_service</d:XAddrs><d:MetadataVersion>1</d:MetadataVersion></d:ProbeMatch>"
           "</d:ProbeMatches></s:Body></s:Envelope>\n";
}
