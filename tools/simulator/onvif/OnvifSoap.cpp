#include "OnvifSoap.h"

#include "OnvifAuth.h"
#include "OnvifCamera.h"
#include "OnvifXml.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

const char kEnvelopeStart[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                              "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\""
                              " xmlns:tds=\"http://www.onvif.org/ver10/device/wsdl\""
                              " xmlns:trt=\"http://www.onvif.org/ver10/media/wsdl\""
                              " xmlns:tptz=\"http://www.onvif.org/ver20/ptz/wsdl\""
                              " xmlns:tt=\"http://www.onvif.org/ver10/schema\""
                              " xmlns:ter=\"http://www.onvif.org/ver10/error\"><s:Body>";
const char kEnvelopeEnd[] = "</s:Body></s:Envelope>\n";

struct Stream {
    const char* token;
    const char* name;
    const char* path;
    int width, height, kbps;
};
const Stream kStreams[] = {{"Profile_1", "MainStream", "main", 1920, 1080, 600},
                           {"Profile_2", "SubStream", "sub", 640, 360, 150}};

const Stream* streamOf(const std::string& token) {
    for (const Stream& s : kStreams)
        if (token == s.token)
            return &s;
    return nullptr;
}

// A velocity component as a number in -1..1; anything else counts as 0.
double velocity(xmlNode* node, const char* name) {
    const std::string v = OnvifXml::attribute(node, name);
    char* end = nullptr;
    const double d = std::strtod(v.c_str(), &end);
    return (v.empty() || *end || !(d >= -1.0 && d <= 1.0)) ? 0.0 : d;
}

std::string number(double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", d == 0.0 ? 0.0 : d);
    return buf;
}

} // namespace

OnvifSoap::OnvifSoap(OnvifCamera& camera, int rtspPort) : m_cam(camera), m_rtspPort(rtspPort) {}

OnvifSoap::Reply OnvifSoap::ok(const std::string& body) {
    return {200, kEnvelopeStart + body + kEnvelopeEnd};
}

OnvifSoap::Reply OnvifSoap::fault(int status, const char* code, std::initializer_list<const char*> subcodes,
                                  const std::string& reason) {
    std::string sub, close;
    for (const char* s : subcodes) {
        sub += std::string("<s:Subcode><s:Value>") + s + "</s:Value>";
        close += "</s:Subcode>";
    }
    return {status, kEnvelopeStart + std::string("<s:Fault><s:Code><s:Value>") + code + "</s:Value>" + sub +
                        close + "</s:Code><s:Reason><s:Text xml:lang=\"en\">" + OnvifXml::escape(reason) +
                        "</s:Text></s:Reason></s:Fault>" + kEnvelopeEnd};
}

std::string OnvifSoap::xaddr(const char* service) const {
    return "http://127.0.0.1:" + std::to_string(m_cam.httpPort.load()) + "/onvif/" + service;
}

OnvifSoap::Reply OnvifSoap::handle(const char* data, std::size_t size) {
    const OnvifXml::Doc doc = OnvifXml::parse(data, size);
    xmlNode* envelope = doc ? xmlDocGetRootElement(doc.get()) : nullptr;
    xmlNode* request = OnvifXml::firstElement(OnvifXml::child(envelope, "Body"));
    if (!OnvifXml::named(envelope, "Envelope") || !request) {
        std::fprintf(stderr,
                     "kvab-camsim: onvif %s: a request that is no SOAP envelope (%zu bytes) refused\n",
                     m_cam.id().c_str(), size);
        m_cam.countCall("BadRequest");
        return fault(400, "s:Sender", {"ter:WellFormed"}, "Not a SOAP envelope");
    }
    const std::string action = reinterpret_cast<const char*>(request->name);
    if (action != "GetSystemDateAndTime") {
        const OnvifAuth::Result auth = OnvifAuth::check(envelope, m_cam.user(), m_cam.password());
        if (auth != OnvifAuth::Accepted) {
            std::fprintf(stderr, "kvab-camsim: onvif %s: %s refused: %s credentials\n", m_cam.id().c_str(),
                         action.c_str(), auth == OnvifAuth::Missing ? "no" : "wrong");
            m_cam.countCall("NotAuthorized");
            return fault(400, "s:Sender", {"ter:NotAuthorized"}, "Sender not authorized");
        }
    }
    m_cam.countCall(action.size() > 40 ? action.substr(0, 40) : action);
    return dispatch(action, request);
}

OnvifSoap::Reply OnvifSoap::dispatch(const std::string& action, xmlNode* request) {
    if (action == "GetSystemDateAndTime")
        return systemDateAndTime();
    if (action == "GetDeviceInformation")
        return deviceInformation();
    if (action == "GetCapabilities")
        return capabilities();
    if (action == "GetServices")
        return services();
    if (action == "GetProfiles")
        return profiles();
    if (action == "GetStreamUri" || action == "GetSnapshotUri")
        return mediaUri(action, request);
    const bool ptzAction = action == "ContinuousMove" || action == "Stop" || action == "SetPreset" ||
                           action == "GotoPreset" || action == "GetPresets";
    if (!ptzAction)
        return fault(400, "s:Receiver", {"ter:ActionNotSupported"}, "Action not supported: " + action);
    Reply reply{0, {}};
    if (!ptzProfile(request, &reply))
        return reply;
    if (action == "ContinuousMove")
        return continuousMove(request);
    if (action == "Stop") {
        m_cam.recordPtz("Stop");
        return ok("<tptz:StopResponse/>");
    }
    if (action == "SetPreset")
        return setPreset(request);
    if (action == "GotoPreset")
        return gotoPreset(request);
    return presets();
}

OnvifSoap::Reply OnvifSoap::systemDateAndTime() const {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    gmtime_r(&now, &t);
    char buf[640];
    std::snprintf(buf, sizeof buf,
                  "<tds:GetSystemDateAndTimeResponse><tds:SystemDateAndTime><tt:DateTimeType>Manual</"
                  "tt:DateTimeType><tt:DaylightSavings>false</tt:DaylightSavings><tt:UTCDateTime><tt:Time>"
                  "<tt:Hour>%d</tt:Hour><tt:Minute>%d</tt:Minute><tt:Second>%d</tt:Second></tt:Time><tt:Date>"
                  "<tt:Year>%d</tt:Year><tt:Month>%d</tt:Month><tt:Day>%d</tt:Day></tt:Date></tt:UTCDateTime>"
                  "</tds:SystemDateAndTime></tds:GetSystemDateAndTimeResponse>",
                  t.tm_hour, t.tm_min, t.tm_sec, t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
    return ok(buf);
}

OnvifSoap::Reply OnvifSoap::deviceInformation() const {
    return ok("<tds:GetDeviceInformationResponse><tds:Manufacturer>KVAB</tds:Manufacturer>"
              "<tds:Model>KVAB-SIM-ONVIF</tds:Model><tds:FirmwareVersion>1.0</tds:FirmwareVersion>"
              "<tds:SerialNumber>" +
              OnvifXml::escape(m_cam.id()) +
              "</tds:SerialNumber><tds:HardwareId>KVAB-SIM</tds:HardwareId>"
              "</tds:GetDeviceInformationResponse>");
}

OnvifSoap::Reply OnvifSoap::capabilities() const {
    std::string body = "<tds:GetCapabilitiesResponse><tds:Capabilities><tt:Device><tt:XAddr>" +
                       xaddr("device_service") + "</tt:XAddr></tt:Device><tt:Media><tt:XAddr>" +
                       xaddr("media_service") +
                       "</tt:XAddr><tt:StreamingCapabilities><tt:RTPMulticast>false</tt:RTPMulticast>"
                       "<tt:RTP_TCP>true</tt:RTP_TCP><tt:RTP_RTSP_TCP>true</tt:RTP_RTSP_TCP>"
                       "</tt:StreamingCapabilities></tt:Media>";
    if (m_cam.ptz())
        body += "<tt:PTZ><tt:XAddr>" + xaddr("ptz_service") + "</tt:XAddr></tt:PTZ>";
    return ok(body + "</tds:Capabilities></tds:GetCapabilitiesResponse>");
}

OnvifSoap::Reply OnvifSoap::services() const {
    auto service = [this](const char* ns, const char* path, int major) {
        return std::string("<tds:Service><tds:Namespace>") + ns + "</tds:Namespace><tds:XAddr>" +
               xaddr(path) + "</tds:XAddr><tds:Version><tt:Major>" + std::to_string(major) +
               "</tt:Major><tt:Minor>0</tt:Minor></tds:Version></tds:Service>";
    };
    std::string body = "<tds:GetServicesResponse>" +
                       service("http://www.onvif.org/ver10/device/wsdl", "device_service", 2) +
                       service("http://www.onvif.org/ver10/media/wsdl", "media_service", 2);
    if (m_cam.ptz())
        body += service("http://www.onvif.org/ver20/ptz/wsdl", "ptz_service", 2);
    return ok(body + "</tds:GetServicesResponse>");
}

std::string OnvifSoap::profileXml(int index) const {
    const Stream& s = kStreams[index];
    const std::string n = std::to_string(index + 1);
    std::string x =
        std::string("<trt:Profiles token=\"") + s.token + "\" fixed=\"true\"><tt:Name>" + s.name +
        "</tt:Name>"
        "<tt:VideoSourceConfiguration token=\"VideoSourceConfig_1\"><tt:Name>VideoSource</tt:Name>"
        "<tt:UseCount>2</tt:UseCount><tt:SourceToken>VideoSource_1</tt:SourceToken>"
        "<tt:Bounds x=\"0\" y=\"0\" width=\"1920\" height=\"1080\"/></tt:VideoSourceConfiguration>"
        "<tt:AudioSourceConfiguration token=\"AudioSourceConfig_1\"><tt:Name>AudioSource</tt:Name>"
        "<tt:UseCount>2</tt:UseCount><tt:SourceToken>AudioSource_1</tt:SourceToken>"
        "</tt:AudioSourceConfiguration>"
        "<tt:VideoEncoderConfiguration token=\"VideoEncoder_" +
        n + "\"><tt:Name>VideoEncoder_" + n +
        "</tt:Name><tt:UseCount>1</tt:UseCount><tt:Encoding>H264</tt:Encoding><tt:Resolution>"
        "<tt:Width>" +
        std::to_string(s.width) + "</tt:Width><tt:Height>" + std::to_string(s.height) +
        "</tt:Height></tt:Resolution><tt:Quality>4</tt:Quality><tt:RateControl>"
        "<tt:FrameRateLimit>25</tt:FrameRateLimit><tt:EncodingInterval>1</tt:EncodingInterval>"
        "<tt:BitrateLimit>" +
        std::to_string(s.kbps) +
        "</tt:BitrateLimit></tt:RateControl><tt:H264><tt:GovLength>50</tt:GovLength>"
        "<tt:H264Profile>Baseline</tt:H264Profile></tt:H264></tt:VideoEncoderConfiguration>"
        "<tt:AudioEncoderConfiguration token=\"AudioEncoder_1\"><tt:Name>AudioEncoder</tt:Name>"
        "<tt:UseCount>2</tt:UseCount><tt:Encoding>G711</tt:Encoding><tt:Bitrate>64</tt:Bitrate>"
        "<tt:SampleRate>8</tt:SampleRate></tt:AudioEncoderConfiguration>";
    if (index == 0 && m_cam.ptz())
        x += "<tt:PTZConfiguration token=\"PTZConfig_1\"><tt:Name>PTZ</tt:Name><tt:UseCount>1</tt:UseCount>"
             "<tt:NodeToken>PTZNode_1</tt:NodeToken></tt:PTZConfiguration>";
    return x + "</trt:Profiles>";
}

OnvifSoap::Reply OnvifSoap::profiles() const {
    return ok("<trt:GetProfilesResponse>" + profileXml(0) + profileXml(1) + "</trt:GetProfilesResponse>");
}

OnvifSoap::Reply OnvifSoap::mediaUri(const std::string& action, xmlNode* request) const {
    const Stream* s = streamOf(OnvifXml::text(OnvifXml::child(request, "ProfileToken")));
    if (!s)
        return fault(400, "s:Sender", {"ter:InvalidArgVal", "ter:NoProfile"}, "No such profile");
    const std::string uri = action == "GetStreamUri" ? "rtsp://127.0.0.1:" + std::to_string(m_rtspPort) +
                                                           "/" + m_cam.id() + "/" + s->path
                                                     : xaddr("snapshot/") + s->path + ".jpg";
    return ok("<trt:" + action + "Response><trt:MediaUri><tt:Uri>" + OnvifXml::escape(uri) +
              "</tt:Uri><tt:InvalidAfterConnect>false</tt:InvalidAfterConnect><tt:InvalidAfterReboot>false"
              "</tt:InvalidAfterReboot><tt:Timeout>PT0S</tt:Timeout></trt:MediaUri></trt:" +
              action + "Response>");
}

bool OnvifSoap::ptzProfile(xmlNode* request, Reply* reply) const {
    if (!m_cam.ptz()) {
        *reply = fault(500, "s:Receiver", {"ter:ActionNotSupported", "ter:PTZNotSupported"},
                       "This camera has no PTZ");
        return false;
    }
    const std::string token = OnvifXml::text(OnvifXml::child(request, "ProfileToken"));
    if (token != kStreams[0].token) {
        *reply = fault(400, "s:Sender", {"ter:InvalidArgVal", "ter:NoProfile"},
                       streamOf(token) ? "The profile has no PTZ configuration" : "No such profile");
        return false;
    }
    return true;
}

OnvifSoap::Reply OnvifSoap::continuousMove(xmlNode* request) {
    xmlNode* speed = OnvifXml::child(request, "Velocity");
    xmlNode* panTilt = OnvifXml::child(speed, "PanTilt");
    xmlNode* zoom = OnvifXml::child(speed, "Zoom");
    m_cam.recordPtz("ContinuousMove " + number(velocity(panTilt, "x")) + " " +
                    number(velocity(panTilt, "y")) + " " + number(velocity(zoom, "x")));
    return ok("<tptz:ContinuousMoveResponse/>");
}

OnvifSoap::Reply OnvifSoap::setPreset(xmlNode* request) {
    std::string token = OnvifXml::text(OnvifXml::child(request, "PresetToken"));
    const std::string name = OnvifXml::text(OnvifXml::child(request, "PresetName"));
    if (name.size() > 64 || token.size() > 64)
        return fault(400, "s:Sender", {"ter:InvalidArgVal", "ter:InvalidPresetName"}, "Preset name too long");
    if (!token.empty() && !m_cam.hasPreset(token))
        return fault(400, "s:Sender", {"ter:InvalidArgVal", "ter:NoToken"}, "No such preset");
    if (!m_cam.setPreset(&token, name))
        return fault(500, "s:Receiver", {"ter:Action", "ter:TooManyPresets"}, "No room for another preset");
    m_cam.recordPtz("SetPreset " + token);
    return ok("<tptz:SetPresetResponse><tptz:PresetToken>" + OnvifXml::escape(token) +
              "</tptz:PresetToken></tptz:SetPresetResponse>");
}

OnvifSoap::Reply OnvifSoap::gotoPreset(xmlNode* request) {
    const std::string token = OnvifXml::text(OnvifXml::child(request, "PresetToken"));
    if (!m_cam.hasPreset(token))
        return fault(400, "s:Sender", {"ter:InvalidArgVal", "ter:NoToken"}, "No such preset");
    m_cam.recordPtz("GotoPreset " + token);
    return ok("<tptz:GotoPresetResponse/>");
}

OnvifSoap::Reply OnvifSoap::presets() const {
    std::string body = "<tptz:GetPresetsResponse>";
    for (const auto& p : m_cam.presets())
        body += "<tptz:Preset token=\"" + OnvifXml::escape(p.first) + "\"><tt:Name>" +
                OnvifXml::escape(p.second) + "</tt:Name></tptz:Preset>";
    return ok(body + "</tptz:GetPresetsResponse>");
}
