#pragma once

#include <string>
#include <vector>

namespace pcq {

// One camera that answered a WS-Discovery Probe.
struct OnvifProbeMatch {
    std::string id;    // the endpoint reference without "urn:uuid:"
    std::string xaddr; // the device service's HTTP address
    std::string name;  // from the onvif://www.onvif.org/name/ scope, may be empty
};

// WS-Discovery on UDP multicast 239.255.255.250:3702: one Probe, then the ProbeMatches that answer it.
class OnvifDiscovery {
public:
    static constexpr const char* kGroup = "239.255.255.250";
    static constexpr int kPort = 3702;

    // Sends the Probe (twice, UDP may lose one) and collects answers for windowMs. Blocks.
    static std::vector<OnvifProbeMatch> probe(int windowMs);

    static std::string probeMessage(const std::string& messageId);
    // Adds the usable matches of one datagram that answers messageId (each unusable one is logged); false
    // (and nothing added) for a datagram that is not such an answer.
    static bool parseMatches(const std::string& datagram, const std::string& messageId,
                             std::vector<OnvifProbeMatch>* out);
};

} // namespace pcq
