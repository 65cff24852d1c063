#include "SimCamera.h"

#include "pcQuorvane.h"

#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace {

std::string fmt(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string fmt(const char* format, ...) {
    char buf[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buf, sizeof buf, format, args);
    va_end(args);
    return buf;
}

bool toInt(const std::string& text, int* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (*end != '\0' || v < -1000000000L || v > 1000000000L)
        return false;
    *out = static_cast<int>(v);
    return true;
}

bool inRange(int v, int lo, int hi) {
    return v >= lo && v <= hi;
}

// Record values longer than the client's 32-byte fields are refused rather than cut.
bool fits(const std::string& text) {
    return text.size() <= 31 && text.find(';') == std::string::npos;
}

} // namespace

SimCamera::SimCamera(std::string id, bool lan, bool cloud) : m_id(std::move(id)), m_lan(lan), m_cloud(cloud) {
    unsigned h = 0;
    for (char c : m_id)
        h = h * 31 + static_cast<unsigned char>(c);
    m_index = 10 + static_cast<int>(h % 200);
    defaults();
    // Recordings: one every ten minutes from 1 January 2024, 12:00:00; 30 files make two pages of 25.
    for (int i = 0; i < 30; ++i) {
        const int minutes = i * 10;
        const std::string name = fmt("20240101%02d%02d00.nxv", 12 + minutes / 60, minutes % 60);
        m_files.push_back(SdFile{name, i + 1, 8});
    }
}

void SimCamera::defaults() {
    m_sat = 32, m_con = 32, m_bri = 32, m_sha = 38, m_enc = 1, m_rate = 25, m_stream = 1024, m_frequency = 50;
    m_sens = 1, m_audioAlarm = 4, m_irOpen = 0, m_pirAlarm = 1, m_cbrVbr = 0, m_speed = 50, m_hue = 32;
    m_exposure = 32;
    m_ipFlag = 1;
    m_ip = fmt("192.168.1.%d", m_index);
    m_mask = "255.255.255.0";
    m_gateway = "192.168.1.1";
    m_dns = "192.168.1.1";
    m_mac = fmt("00:1A:4B:00:%02X:%02X", m_index / 256, m_index % 256);
    m_wifiOpen = 0, m_wifiFlag = 1;
    m_wifiSid = "(null)";
    m_wifiSecurity = "satype=";
    m_wifiPswd.clear();
    m_wifiIp = "0.0.0.0", m_wifiMask = "0.0.0.0", m_wifiGateway = "0.0.0.0", m_wifiDns = "0.0.0.0";
    m_wifiMac = fmt("00:1A:4B:01:%02X:%02X", m_index / 256, m_index % 256);
    m_senc = 0, m_port = 25, m_count = 1, m_ioin = 0, m_sderror = 0, m_sdmove = 0, m_entype = 0;
    m_sedemail.clear(), m_reemail.clear(), m_smtpser.clear(), m_user.clear(), m_pwd.clear();
    m_emailinfo = "none";
    m_move = 1, m_outmove = 0, m_auto = 1, m_loopwr = 1, m_splite = 20, m_size = 30436, m_use = 1210,
    m_audio = 1;
    m_sdStream = 1;
    m_onvif = 0, m_onvifAudio = 1;
    m_prefer4G = 0, m_hotspot = 0, m_switch1 = 0, m_switch2 = 0;
    m_hotspotSsid.clear(), m_hotspotPwd.clear(), m_upgradeUrl.clear();
    m_wifiFlagCmd = 0;
    m_ptz.reset();
}

void SimCamera::factoryReset() {
    defaults();
}

std::map<std::string, std::string> SimCamera::parseRecord(const std::string& record) {
    std::map<std::string, std::string> out;
    std::size_t pos = 0;
    while (pos < record.size()) {
        std::size_t end = record.find(';', pos);
        if (end == std::string::npos)
            end = record.size();
        const std::string item = record.substr(pos, end - pos);
        const auto eq = item.find('=');
        if (eq != std::string::npos)
            out[item.substr(0, eq)] = item.substr(eq + 1);
        pos = end + 1;
    }
    return out;
}

std::int64_t SimCamera::nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool SimCamera::sysInfo(int selector, std::string* reply) const {
    switch (selector) {
    case PCQ_SEL_REC_NETWORK:
        *reply = fmt("ip=%s;mask=%s;wet=%s;dns=%s;mac=%s;flag=%d;ver=%d;status=%d;", m_ip.c_str(),
                     m_mask.c_str(), m_gateway.c_str(), m_dns.c_str(), m_mac.c_str(), m_ipFlag, 119,
                     (m_cloud && online) ? 200 : 0);
        return true;
    case PCQ_SEL_REC_SD:
        *reply = fmt(
            "move=%d;outmove=%d;auto=%d;loopwr=%d;splite=%d;size=%d;use=%d;leftsize=%d;audio=%d;stream=%d;",
            m_move, m_outmove, m_auto, m_loopwr, m_splite, m_size, m_use, m_size - m_use, m_audio,
            m_sdStream);
        return true;
    case PCQ_SEL_REC_VIDEO:
        *reply = fmt("stream=%d;sha=%d;bri=%d;sat=%d;con=%d;rate=%d;enc=%d;sens=%d;iropen=%d;frequency=%d;"
                     "speed=%d;hue=%d;exposure=%d;audioalarm=%d;piralarm=%d;cbrvbr=%d;",
                     m_stream, m_sha, m_bri, m_sat, m_con, m_rate, m_enc, m_sens, m_irOpen, m_frequency,
                     m_speed, m_hue, m_exposure, m_audioAlarm, m_pirAlarm, m_cbrVbr);
        return true;
    case PCQ_SEL_REC_WIFI:
        *reply = fmt("open=%d;ip=%s;mask=%s;wet=%s;dns=%s;mac=%s;flag=%d;sid=%s;%s;", m_wifiOpen,
                     m_wifiIp.c_str(), m_wifiMask.c_str(), m_wifiGateway.c_str(), m_wifiDns.c_str(),
                     m_wifiMac.c_str(), m_wifiFlag, m_wifiSid.c_str(), m_wifiSecurity.c_str());
        return true;
    case PCQ_SEL_REC_DEVICE:
        *reply = fmt("model=KVAB-SIM;firmware=1.1.9;hardware=2.0;flip=%d;mirror=%d;cruise=%d;preset=%d;",
                     m_ptz.flip(), m_ptz.mirror(), m_ptz.cruise(), m_ptz.lastPreset());
        return true;
    case PCQ_SEL_REC_EMAIL:
        *reply =
            fmt("senc=%d;port=%d;count=%d;ioin=%d;sderror=%d;sdmove=%d;entype=%d;sedemail=%s;reemail=%s;"
                "smtpser=%s;user=%s;pwd=%s;emailinfo=%s;",
                m_senc, m_port, m_count, m_ioin, m_sderror, m_sdmove, m_entype, m_sedemail.c_str(),
                m_reemail.c_str(), m_smtpser.c_str(), m_user.c_str(), m_pwd.c_str(), m_emailinfo.c_str());
        return true;
    case PCQ_SEL_REC_ONVIF:
        *reply = fmt("onvif=%d;onvifaudio=%d;", m_onvif, m_onvifAudio);
        return true;
    default:
        return false;
    }
}

int SimCamera::setSelector(int selector, int value, int extra) {
    ++writes;
    auto set = [](int* field, int v, bool ok) {
        if (!ok)
            return -1;
        *field = v;
        return 0;
    };
    switch (selector) {
    case PCQ_SEL_PTZ_UP:
    case PCQ_SEL_PTZ_DOWN:
    case PCQ_SEL_PTZ_LEFT:
    case PCQ_SEL_PTZ_RIGHT:
        m_ptz.move(selector, nowMs());
        return 0;
    case PCQ_SEL_PTZ_STOP:
        m_ptz.stop(nowMs());
        return 0;
    case PCQ_SEL_ZOOM_IN:
    case PCQ_SEL_ZOOM_OUT:
        m_ptz.zoom(selector == PCQ_SEL_ZOOM_IN ? 1 : -1);
        return 0;
    case PCQ_SEL_BRIGHTNESS:
        return set(&m_bri, value, inRange(value, 1, 63));
    case PCQ_SEL_CONTRAST:
        return set(&m_con, value, inRange(value, 1, 63));
    case PCQ_SEL_SATURATION:
        return set(&m_sat, value, inRange(value, 1, 63));
    case PCQ_SEL_BIT_RATE:
        return set(&m_stream, value, inRange(value, 128, 2048));
    case PCQ_SEL_FRAME_RATE:
        return set(&m_rate, value, inRange(value, 1, 30));
    case PCQ_SEL_MOTION:
        return set(&m_sens, value, inRange(value, 0, 3));
    case PCQ_SEL_CRUISE:
        if (!inRange(value, 1, 3))
            return -1;
        m_ptz.toggleCruise(value);
        return 0;
    case PCQ_SEL_FLIP:
        m_ptz.toggleFlip();
        return 0;
    case PCQ_SEL_MIRROR:
        m_ptz.toggleMirror();
        return 0;
    case PCQ_SEL_PRESET_GO:
        if (!inRange(value, 1, 8))
            return -1;
        m_ptz.goPreset(value, nowMs());
        return 0;
    case PCQ_SEL_PRESET_SET:
        if (!inRange(value, 1, 8))
            return -1;
        m_ptz.setPreset(value, nowMs());
        return 0;
    case PCQ_SEL_SHARPNESS:
        return set(&m_sha, value, inRange(value, 1, 63));
    case PCQ_SEL_FREQUENCY:
        return set(&m_frequency, value, value == 50 || value == 60);
    case PCQ_SEL_BIT_RATE_MODE:
        return set(&m_cbrVbr, value, inRange(value, 0, 1));
    case PCQ_SEL_FACTORY_RESET:
    case PCQ_SEL_REBOOT:
    case PCQ_SEL_FIRMWARE:
    case PCQ_SEL_STREAM_START:
        return 0;
    case PCQ_SEL_SOUND_ALARM:
        return set(&m_audioAlarm, value, inRange(value, 1, 4));
    case PCQ_SEL_PIR:
        return set(&m_pirAlarm, value, inRange(value, 1, 2));
    case PCQ_SEL_IR_CUT:
        return set(&m_irOpen, extra, value == 2 && inRange(extra, 0, 1));
    case PCQ_SEL_ONVIF:
        if (!inRange(value, 0, 1) || !inRange(extra, 0, 1))
            return -1;
        m_onvif = value;
        m_onvifAudio = extra;
        return 0;
    default:
        return -1;
    }
}

int SimCamera::setSdRecord(const std::string& record) {
    ++writes;
    auto r = parseRecord(record);
    int move = 0, outmove = 0, autoRec = 0, loopwr = 0, splite = 0, audio = 0, recqc = 0;
    if (!toInt(r["move"], &move) || !toInt(r["outmove"], &outmove) || !toInt(r["auto"], &autoRec) ||
        !toInt(r["loopwr"], &loopwr) || !toInt(r["splite"], &splite) || !toInt(r["audio"], &audio) ||
        !toInt(r["recqc"], &recqc) || r["devid"] != m_id)
        return -1;
    if (!inRange(move, 0, 1) || !inRange(autoRec, 0, 1) || !inRange(loopwr, 0, 1) ||
        !inRange(splite, 5, 100) || !inRange(audio, 0, 1) || !inRange(recqc, 0, 1))
        return -1;
    m_move = move, m_outmove = outmove, m_auto = autoRec, m_loopwr = loopwr, m_splite = splite,
    m_audio = audio;
    m_sdStream = recqc;
    return 0;
}

int SimCamera::setWifi(int flag, int open, const std::string& record) {
    ++writes;
    auto r = parseRecord(record);
    if (!r.count("sid") || !r.count("pswd") || !fits(r["sid"]) || r["pswd"].size() > 319 || !fits(r["ip"]) ||
        !fits(r["netmask"]) || !fits(r["netwet"]) || !fits(r["dns"]))
        return -1;
    m_wifiFlag = flag == 1 ? 1 : 0;
    m_wifiOpen = open == 1 ? 1 : 0;
    m_wifiSid = r["sid"].empty() ? "(null)" : r["sid"];
    m_wifiPswd = r["pswd"];
    m_wifiSecurity = r["sid"].empty() ? "satype=" : (m_wifiPswd.empty() ? "satype=NONE" : "satype=WPA2PSK");
    if (!m_wifiFlag) {
        m_wifiIp = r["ip"], m_wifiMask = r["netmask"], m_wifiGateway = r["netwet"], m_wifiDns = r["dns"];
    } else if (m_wifiOpen) {
        m_wifiIp = fmt("192.168.2.%d", m_index), m_wifiMask = "255.255.255.0", m_wifiGateway = "192.168.2.1";
        m_wifiDns = "192.168.2.1";
    }
    return 0;
}

int SimCamera::setIp(int kind, const std::string& record) {
    ++writes;
    auto r = parseRecord(record);
    for (const char* key : {"ip", "netwet", "netmask", "dns", "mac", "newmac"})
        if (!r.count(key) || !fits(r[key]))
            return -1;
    if (kind != 1 && kind != 2)
        return -1;
    m_ipFlag = kind == 1 ? 1 : 0;
    if (kind == 2) {
        if (r["ip"].empty() || r["netmask"].empty())
            return -1;
        m_ip = r["ip"], m_gateway = r["netwet"], m_mask = r["netmask"], m_dns = r["dns"];
    }
    if (!r["newmac"].empty())
        m_mac = r["newmac"];
    return 0;
}

int SimCamera::setEmail(const std::string& record) {
    ++writes;
    auto r = parseRecord(record);
    int entype = 0, port = 0, count = 0;
    for (const char* key : {"sedemail", "reemail", "smtpser", "user", "pwd"})
        if (!r.count(key) || !fits(r[key]))
            return -1;
    if (!toInt(r["entype"], &entype) || !toInt(r["port"], &port) || !toInt(r["count"], &count) ||
        !inRange(entype, 0, 2) || !inRange(port, 0, 65535) || !inRange(count, 0, 3))
        return -1;
    m_sedemail = r["sedemail"], m_reemail = r["reemail"], m_smtpser = r["smtpser"], m_user = r["user"];
    m_pwd = r["pwd"];
    m_entype = entype, m_port = port, m_count = count;
    return 0;
}

void SimCamera::formatSd() {
    ++writes;
    m_files.clear();
    m_use = 0;
}

const SimCamera::SdFile* SimCamera::findFile(const std::string& name) const {
    for (const auto& f : m_files)
        if (f.name == name)
            return &f;
    return nullptr;
}

void SimCamera::netReports(std::vector<Report>* reports, int only) const {
    if (only == 0 || only == 2003)
        reports->push_back(Report{2003, m_id, m_prefer4G});
    if (only == 0 || only == 2004)
        reports->push_back(Report{2004, m_id + ";" + m_hotspotSsid, m_hotspot});
    if (only == 0 || only == 2005)
        reports->push_back(Report{2005, m_id, m_switch1});
    if (only == 0 || only == 2006)
        reports->push_back(Report{2006, m_id, m_switch2});
}

int SimCamera::dataCommand(const std::string& text, std::vector<Report>* reports) {
    auto r = parseRecord(text);
    if (r.count("cmd")) {
        const std::string cmd = r["cmd"];
        if (cmd == "101") {
            m_upgradeUrl = r["url"];
            reports->push_back(Report{2001, m_id, m_upgradeUrl.empty() ? 0 : 1});
            return 0;
        }
        if (cmd == "102") {
            if (!r.count("sid") || !fits(r["sid"]) || r["sid"].empty())
                return -1;
            m_wifiSid = r["sid"];
            m_wifiPswd = r["pswd"];
            m_wifiSecurity = m_wifiPswd.empty() ? "satype=NONE" : "satype=WPA2PSK";
            m_wifiOpen = 1;
            reports->push_back(Report{2002, m_id, 1});
            return 0;
        }
        if (cmd == "103") {
            int v;
            if (!toInt(r["wififlag"], &v) || !inRange(v, 0, 1))
                return -1;
            m_wifiFlagCmd = v;
            reports->push_back(Report{2002, m_id, v});
            return 0;
        }
        return -1;
    }
    if (!r.count("data"))
        return -1;
    const std::string d = r["data"];
    int v = 0;
    if (d == "cmd-110") {
        netReports(reports, 0);
        return 0;
    }
    if (d.rfind("cmd-2003-net-", 0) == 0 && toInt(d.substr(13), &v) && inRange(v, 0, 1)) {
        m_prefer4G = v;
        netReports(reports, 2003);
        return 0;
    }
    if (d == "cmd-2004-AP-0") {
        m_hotspot = 0;
        netReports(reports, 2004);
        return 0;
    }
    if (d.rfind("cmd-2004-AP-1-ssid-", 0) == 0) {
        const std::string rest = d.substr(19);
        const auto p = rest.rfind("-pwd-");
        if (p == std::string::npos || p == 0 || !fits(rest.substr(0, p)))
            return -1;
        m_hotspot = 1;
        m_hotspotSsid = rest.substr(0, p);
        m_hotspotPwd = rest.substr(p + 5);
        netReports(reports, 2004);
        return 0;
    }
    if (d.rfind("cmd-2005-", 0) == 0 && toInt(d.substr(9), &v) && inRange(v, 0, 1)) {
        m_switch1 = v;
        netReports(reports, 2005);
        return 0;
    }
    if (d.rfind("cmd-2006-", 0) == 0 && toInt(d.substr(9), &v) && inRange(v, 0, 1)) {
        m_switch2 = v;
        netReports(reports, 2006);
        return 0;
    }
    return -1;
}

std::string SimCamera::surveyReply() const {
    if (!surveyText.empty())
        return surveyText;
    return fmt("sid=KVAB-Office;enc=WPA2;signal=%d:sid=KVAB-Guest;enc=NONE;signal=%d:"
               "sid=Neighbour 2.4G;enc=WPA;signal=%d:",
               70 + m_index % 25, 40 + m_index % 20, 10 + m_index % 15);
}
