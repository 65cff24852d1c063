#include "OnvifCamera.h"

#include "pcQuorvane.h"

#include <cstdio>
#include <utility>

namespace pcq {

namespace {

const char* const kDevice = "http://www.onvif.org/ver10/device/wsdl";
const char* const kMedia = "http://www.onvif.org/ver10/media/wsdl";
const char* const kPtz = "http://www.onvif.org/ver20/ptz/wsdl";
const char* const kSchema = "http://www.onvif.org/ver10/schema";

std::string element(const char* name, const char* ns, const std::string& inner = std::string()) {
    const std::string open = std::string("<") + name + " xmlns=\"" + ns + "\"";
    return inner.empty() ? open + "/>" : open + ">" + inner + "</" + name + ">";
}

std::string token(const std::string& name, const std::string& value) {
    return "<" + name + ">" + OnvifXml::escape(value) + "</" + name + ">";
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

std::string presetName(int n) {
    return "Preset " + std::to_string(n);
}

} // namespace

OnvifCamera::OnvifCamera(std::string deviceXaddr, int timeoutMs)
    : m_deviceXaddr(std::move(deviceXaddr)), m_timeoutMs(timeoutMs) {}

void OnvifCamera::setCredentials(const OnvifCredentials& credentials) {
    m_credentials = credentials;
}

int OnvifCamera::call(const std::string& url, const std::string& body, OnvifXml* reply) {
    const int rc = OnvifSoap::call(url, m_credentials, body, reply, m_timeoutMs);
    if (rc == PCQ_ERR_FAILED)
        m_profiles.clear();
    return rc;
}

int OnvifCamera::deviceInformation(std::string* model) {
    OnvifXml reply;
    const int rc = call(m_deviceXaddr, element("GetDeviceInformation", kDevice), &reply);
    if (rc == PCQ_OK && model)
        *model = reply.textOf("Model");
    return rc;
}

int OnvifCamera::ensureProfiles() {
    if (!m_profiles.empty())
        return PCQ_OK;
    OnvifXml caps;
    int rc = call(m_deviceXaddr, element("GetCapabilities", kDevice, "<Category>All</Category>"), &caps);
    if (rc != PCQ_OK)
        return rc;
    // A camera that leaves a service out serves it at the device address.
    m_mediaXaddr = caps.textOf("XAddr", caps.find("Media"));
    m_ptzXaddr = caps.textOf("XAddr", caps.find("PTZ"));
    if (m_mediaXaddr.empty())
        m_mediaXaddr = m_deviceXaddr;
    OnvifXml profiles;
    rc = call(m_mediaXaddr, element("GetProfiles", kMedia), &profiles);
    if (rc != PCQ_OK)
        return rc;
    for (xmlNode* node : profiles.findAll("Profiles")) {
        Profile p;
        p.token = OnvifXml::attribute(node, "token");
        p.ptz = profiles.find("PTZConfiguration", node) != nullptr;
        if (!p.token.empty())
            m_profiles.push_back(p);
    }
    if (m_profiles.empty()) {
        std::fprintf(stderr, "pcQuorvane: ONVIF camera at %s has no media profile\n", m_deviceXaddr.c_str());
        return PCQ_ERR_PROTOCOL;
    }
    return PCQ_OK;
}

int OnvifCamera::streamUri(int stream, std::string* uri) {
    const int rc = ensureProfiles();
    if (rc != PCQ_OK)
        return rc;
    const Profile& p = stream == PCQ_STREAM_SUB && m_profiles.size() > 1 ? m_profiles[1] : m_profiles[0];
    const std::string setup = "<StreamSetup>" + element("Stream", kSchema, "RTP-Unicast") +
                              element("Transport", kSchema, "<Protocol>RTSP</Protocol>") + "</StreamSetup>";
    OnvifXml reply;
    const int r =
        call(m_mediaXaddr, element("GetStreamUri", kMedia, setup + token("ProfileToken", p.token)), &reply);
    if (r != PCQ_OK)
        return r;
    *uri = reply.textOf("Uri");
    if (uri->compare(0, 7, "rtsp://") != 0) {
        std::fprintf(stderr, "pcQuorvane: ONVIF camera at %s gave no RTSP address (\"%s\")\n",
                     m_deviceXaddr.c_str(), uri->c_str());
        return PCQ_ERR_PROTOCOL;
    }
    return PCQ_OK;
}

int OnvifCamera::ptzProfile(std::string* profile) {
    const int rc = ensureProfiles();
    if (rc != PCQ_OK)
        return rc;
    if (!m_profiles[0].ptz) {
        std::fprintf(stderr, "pcQuorvane: ONVIF camera at %s has no pan/tilt/zoom\n", m_deviceXaddr.c_str());
        return PCQ_ERR_FAILED;
    }
    if (m_ptzXaddr.empty())
        m_ptzXaddr = m_deviceXaddr;
    *profile = m_profiles[0].token;
    return PCQ_OK;
}

int OnvifCamera::continuousMove(double pan, double tilt, double zoom) {
    std::string profile;
    const int rc = ptzProfile(&profile);
    if (rc != PCQ_OK)
        return rc;
    const std::string velocity = "<Velocity><PanTilt xmlns=\"" + std::string(kSchema) + "\" x=\"" +
                                 number(pan) + "\" y=\"" + number(tilt) + "\"/><Zoom xmlns=\"" + kSchema +
                                 "\" x=\"" + number(zoom) + "\"/></Velocity>";
    return call(m_ptzXaddr, element("ContinuousMove", kPtz, token("ProfileToken", profile) + velocity),
                nullptr);
}

int OnvifCamera::stop() {
    std::string profile;
    const int rc = ptzProfile(&profile);
    if (rc != PCQ_OK)
        return rc;
    return call(
        m_ptzXaddr,
        element("Stop", kPtz, token("ProfileToken", profile) + "<PanTilt>true</PanTilt><Zoom>true</Zoom>"),
        nullptr);
}

int OnvifCamera::setPreset(int n) {
    std::string profile;
    int rc = ptzProfile(&profile);
    if (rc != PCQ_OK)
        return rc;
    std::string known;
    presetToken(profile, n, &known); // overwrite the camera's own preset of that name when it has one
    std::string body = token("ProfileToken", profile) + token("PresetName", presetName(n));
    if (!known.empty())
        body += token("PresetToken", known);
    OnvifXml reply;
    rc = call(m_ptzXaddr, element("SetPreset", kPtz, body), &reply);
    if (rc != PCQ_OK)
        return rc;
    const std::string t = reply.textOf("PresetToken");
    if (!t.empty())
        m_presetTokens[n] = t;
    return PCQ_OK;
}

int OnvifCamera::presetToken(const std::string& profile, int n, std::string* out) {
    auto it = m_presetTokens.find(n);
    if (it != m_presetTokens.end()) {
        *out = it->second;
        return PCQ_OK;
    }
    // Set before this library ran (or by another client): found by its name.
    OnvifXml reply;
    const int rc = call(m_ptzXaddr, element("GetPresets", kPtz, token("ProfileToken", profile)), &reply);
    if (rc != PCQ_OK)
        return rc;
    for (xmlNode* preset : reply.findAll("Preset"))
        if (reply.textOf("Name", preset) == presetName(n))
            *out = m_presetTokens[n] = OnvifXml::attribute(preset, "token");
    return out->empty() ? PCQ_ERR_FAILED : PCQ_OK;
}

int OnvifCamera::gotoPreset(int n) {
    std::string profile;
    int rc = ptzProfile(&profile);
    if (rc != PCQ_OK)
        return rc;
    std::string t;
    rc = presetToken(profile, n, &t);
    if (rc != PCQ_OK) {
        std::fprintf(stderr, "pcQuorvane: ONVIF camera at %s has no preset %d\n", m_deviceXaddr.c_str(), n);
        return rc;
    }
    return call(m_ptzXaddr,
                element("GotoPreset", kPtz, token("ProfileToken", profile) + token("PresetToken", t)),
                nullptr);
}

} // namespace pcq
