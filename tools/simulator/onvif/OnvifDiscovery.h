#pragma once

#include <glib.h>

#include <memory>
#include <string>
#include <vector>

class OnvifCamera;

// The WS-Discovery responder: a UDP socket on the discovery port that joins 239.255.255.250 on loopback and
// answers each Probe for a video transmitter or a device (or for any type) with one ProbeMatches per
// camera that has not vanished, sent to the prober's own address. It answers a Probe sent straight to
// the port as well; without a multicast route it works on such unicast probes only.
class OnvifDiscovery {
public:
    OnvifDiscovery(const std::vector<std::unique_ptr<OnvifCamera>>& cameras, GMainContext* context);
    ~OnvifDiscovery();
    OnvifDiscovery(const OnvifDiscovery&) = delete;
    OnvifDiscovery& operator=(const OnvifDiscovery&) = delete;

    // port 0 picks a free one. False (with the reason) when no socket could be bound.
    bool start(int port, std::string* error);
    int port() const { return m_port; }
    bool multicast() const { return m_multicast; }

    // True when a Probe's Types ask for what these cameras are (NetworkVideoTransmitter, Device, or none).
    static bool wanted(const std::string& types);

private:
    static gboolean readable(gint fd, GIOCondition condition, gpointer self);
    void answer(const char* data, std::size_t size, const void* from, unsigned fromSize);
    std::string probeMatch(const OnvifCamera& cam, const std::string& relatesTo) const;

    const std::vector<std::unique_ptr<OnvifCamera>>& m_cameras;
    GMainContext* m_context;
    GSource* m_source = nullptr;
    int m_fd = -1;
    int m_port = 0;
    bool m_multicast = false;
};
