#include "OnvifBackend.h"

#include "OnvifDiscovery.h"
#include "pcQuorvane.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace pcq {

namespace {

constexpr double kSpeed = 0.5;

// The kind shown in the device tree, then the camera's own name.
std::string flagText(const std::string& name) {
    std::string clean;
    for (char c : name.substr(0, 40))
        clean += (c == ';' || c == '=' || static_cast<unsigned char>(c) < ' ') ? ' ' : c;
    return clean.empty() ? std::string("ONVIF") : "ONVIF " + clean;
}

std::string percentEncoded(const std::string& text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

int port(const std::string& xaddr) {
    const auto host = xaddr.find("://");
    const auto colon = xaddr.find(':', host == std::string::npos ? 0 : host + 3);
    const auto slash = xaddr.find('/', host == std::string::npos ? 0 : host + 3);
    if (colon == std::string::npos || (slash != std::string::npos && colon > slash))
        return 80;
    return std::atoi(xaddr.c_str() + colon + 1);
}

} // namespace

OnvifBackend::OnvifBackend(Sinks sinks) : m_sinks(std::move(sinks)), m_worker("onvif", 1024 * 1024) {}

OnvifBackend::~OnvifBackend() {
    m_worker.stop();
    std::map<std::string, Call> calls;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        calls.swap(m_calls);
    }
    calls.clear(); // each stream's thread ends here, outside the lock its sinks take
}

void OnvifBackend::refresh() {
    // Searches asked for while one waits its turn are that one: its answers are as fresh.
    if (m_probeQueued.exchange(true))
        return;
    m_worker.post(
        [this] {
            m_probeQueued = false;
            probe();
        },
        0);
}

void OnvifBackend::probe() {
    const std::vector<OnvifProbeMatch> matches = OnvifDiscovery::probe(kProbeWindowMs);
    struct Report {
        std::string id, flag;
        int nxid, port;
    };
    std::vector<Report> reports;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        std::map<std::string, std::shared_ptr<Device>> seen;
        for (const OnvifProbeMatch& m : matches) {
            auto it = m_devices.find(m.id);
            std::shared_ptr<Device> device;
            if (it != m_devices.end() && it->second->camera->deviceXaddr() == m.xaddr) {
                device = it->second;
            } else {
                // New, or moved to another address: a new handle, as for a restarted camera of ours.
                device = std::make_shared<Device>();
                device->id = m.id;
                device->nxid = m_nextHandle++;
                if (m_nextHandle <= 0)
                    m_nextHandle = kHandleBase;
                device->camera = std::make_unique<OnvifCamera>(m.xaddr, kRequestTimeoutMs);
                auto cred = m_credentials.find(m.id);
                if (cred != m_credentials.end())
                    device->camera->setCredentials(cred->second);
            }
            seen[m.id] = device;
            reports.push_back(Report{m.id, flagText(m.name), device->nxid, port(m.xaddr)});
        }
        for (auto& entry : m_devices) {
            if (seen.count(entry.first))
                continue;
            bool playing = false;
            for (const auto& c : m_calls)
                playing |= c.second.device == entry.first;
            if (playing)
                seen.insert(entry); // its stream tells whether it is still there
            else
                std::fprintf(stderr, "pcQuorvane: ONVIF camera %s no longer answers, handle %d retired\n",
                             entry.first.c_str(), entry.second->nxid);
        }
        m_devices.swap(seen);
    }
    for (const Report& r : reports)
        m_sinks.lan(r.id, r.flag, r.nxid, r.port);
}

std::shared_ptr<OnvifBackend::Device> OnvifBackend::deviceFor(int nxid) {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& entry : m_devices)
        if (entry.second->nxid == nxid)
            return entry.second;
    return nullptr;
}

std::shared_ptr<OnvifBackend::Device> OnvifBackend::deviceNamed(const std::string& id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_devices.find(id);
    return it == m_devices.end() ? nullptr : it->second;
}

bool OnvifBackend::knowsDevice(const std::string& device) {
    return deviceNamed(device) != nullptr;
}

bool OnvifBackend::callOpen(const std::string& callId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls.count(callId) > 0;
}

std::string OnvifBackend::withCredentials(const std::string& url, const OnvifCredentials& credentials) {
    const auto scheme = url.find("://");
    if (credentials.password.empty() || scheme == std::string::npos)
        return url;
    const auto slash = url.find('/', scheme + 3);
    const auto at = url.find('@', scheme + 3);
    if (at != std::string::npos && (slash == std::string::npos || at < slash))
        return url; // the camera gave its own
    return url.substr(0, scheme + 3) + percentEncoded(credentials.user) + ":" +
           percentEncoded(credentials.password) + "@" + url.substr(scheme + 3);
}

int OnvifBackend::call(int kind, int stream, int nxid, char* callId) {
    std::shared_ptr<Device> device = deviceFor(nxid);
    if (!device)
        return PCQ_ERR_FAILED;
    if (kind == PCQ_CALL_TALK) {
        std::fprintf(stderr, "pcQuorvane: ONVIF camera %s: talking to it is not offered\n",
                     device->id.c_str());
        return PCQ_ERR_FAILED;
    }
    std::string uri;
    OnvifCredentials credentials;
    {
        std::lock_guard<std::mutex> ops(device->ops);
        const int rc = device->camera->streamUri(kind == PCQ_CALL_VIDEO ? stream : PCQ_STREAM_MAIN, &uri);
        if (rc < 0)
            return rc;
        credentials = device->camera->credentials();
    }
    std::string id;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        id = "onvif-" + std::to_string(m_nextCall++);
        m_calls[id] = Call{device->id, nullptr};
    }
    // Filed before the thread starts, so that its first frames are not taken for a closed call's.
    OnvifStream::VideoSink video;
    OnvifStream::AudioSink audio;
    if (kind == PCQ_CALL_VIDEO)
        video = [this, id](bool key, std::string unit) { m_sinks.video(id, key, std::move(unit)); };
    else
        audio = [this, id](int sequence, std::string block) {
            m_sinks.audio(id, sequence, std::move(block));
        };
    // Read at each call, so that a network that loses interleaved sessions can be switched without a restart.
    const char* transport = std::getenv("KVAB_ONVIF_TRANSPORT");
    const bool udp = transport && std::strcmp(transport, "udp") == 0;
    auto reader = std::make_unique<OnvifStream>(withCredentials(uri, credentials), udp, video, audio);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_calls.find(id);
        if (it != m_calls.end()) {
            it->second.stream = std::move(reader);
            reader.reset();
        }
    }
    if (reader)
        return PCQ_ERR_FAILED; // closed meanwhile (the identity was not handed out: cannot happen)
    std::memcpy(callId, id.c_str(), id.size() + 1);
    return PCQ_OK;
}

int OnvifBackend::closeCall(const std::string& callId) {
    std::unique_ptr<OnvifStream> stream;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_calls.find(callId);
        if (it == m_calls.end())
            return PCQ_ERR_FAILED;
        stream = std::move(it->second.stream);
        m_calls.erase(it);
    }
    stream.reset(); // joins the reader: its interrupt callback ends any wait at once
    return PCQ_OK;
}

int OnvifBackend::setInfo(int nxid, int selector, int value) {
    std::shared_ptr<Device> device = deviceFor(nxid);
    if (!device)
        return PCQ_ERR_FAILED;
    std::lock_guard<std::mutex> ops(device->ops);
    OnvifCamera& camera = *device->camera;
    switch (selector) {
    case PCQ_SEL_PTZ_UP:
        return camera.continuousMove(0, kSpeed, 0);
    case PCQ_SEL_PTZ_DOWN:
        return camera.continuousMove(0, -kSpeed, 0);
    case PCQ_SEL_PTZ_LEFT:
        return camera.continuousMove(-kSpeed, 0, 0);
    case PCQ_SEL_PTZ_RIGHT:
        return camera.continuousMove(kSpeed, 0, 0);
    case PCQ_SEL_ZOOM_IN:
        return camera.continuousMove(0, 0, kSpeed);
    case PCQ_SEL_ZOOM_OUT:
        return camera.continuousMove(0, 0, -kSpeed);
    case PCQ_SEL_PTZ_STOP:
        return camera.stop();
    case PCQ_SEL_PRESET_SET:
    case PCQ_SEL_PRESET_GO:
        if (value < 1 || value > 8) {
            std::fprintf(stderr, "pcQuorvane: preset %d refused (1..8)\n", value);
            return PCQ_ERR_ARGUMENT;
        }
        return selector == PCQ_SEL_PRESET_SET ? camera.setPreset(value) : camera.gotoPreset(value);
    default:
        std::fprintf(stderr, "pcQuorvane: ONVIF camera %s: selector %d is not offered\n", device->id.c_str(),
                     selector);
        return PCQ_ERR_FAILED;
    }
}

int OnvifBackend::setCredentials(const std::string& deviceId, const std::string& text) {
    OnvifCredentials credentials;
    const auto colon = text.find(':');
    if (colon != std::string::npos) { // a user name cannot hold ':' (RFC 3986 user information)
        credentials.user = text.substr(0, colon);
        credentials.password = text.substr(colon + 1);
    } else {
        credentials.password = text;
    }
    if (credentials.user.empty()) {
        std::fprintf(stderr, "pcQuorvane: ONVIF camera %s: empty user name refused\n", deviceId.c_str());
        return PCQ_ERR_ARGUMENT;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_credentials[deviceId] = credentials;
    }
    std::shared_ptr<Device> device = deviceNamed(deviceId);
    if (!device)
        return PCQ_ERR_FAILED;
    {
        // In force at once: a call made before the check below has run already signs with them.
        std::lock_guard<std::mutex> ops(device->ops);
        device->camera->setCredentials(credentials);
    }
    m_worker.post(
        [this, device] {
            int rc;
            {
                std::lock_guard<std::mutex> ops(device->ops);
                rc = device->camera->deviceInformation(nullptr);
            }
            m_sinks.system(115, rc == PCQ_OK ? "1" : "0");
        },
        0);
    return PCQ_OK;
}

} // namespace pcq
