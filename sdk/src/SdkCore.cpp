#include "SdkCore.h"

#include "SdkConfig.h"
#include "WireReader.h"
#include "pcQuorvane.h"

#include <cstdio>
#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace pcq {

namespace {
using AnyFunction = void (*)();
constexpr std::size_t kControlQueueBytes = 4u * 1024u * 1024u;
constexpr std::size_t kMediaQueueBytes = 48u * 1024u * 1024u;
} // namespace

SdkCore& SdkCore::instance() {
    // Destroyed when the library unloads (or the process exits): threads are joined there, after which
    // no callback can run.
    static SdkCore core;
    return core;
}

SdkCore::SdkCore() {
    m_control = std::make_unique<SdkDispatcher>("control", kControlQueueBytes);
    m_media = std::make_unique<SdkDispatcher>("media", kMediaQueueBytes);
    auto events = [this](const char* b, std::size_t s) { onEvent(b, s); };
    m_lan = std::make_unique<SdkConnection>([] { return SdkConfig::port(); }, events,
                                            [this](bool connected) { onState(Route::Lan, connected); });
    m_cloud = std::make_unique<SdkConnection>([this] { return m_cloudPort.load(); }, events,
                                              [this](bool connected) { onState(Route::Cloud, connected); });
    m_onvif = std::make_unique<OnvifBackend>(onvifSinks());
}

OnvifBackend::Sinks SdkCore::onvifSinks() {
    OnvifBackend::Sinks sinks;
    sinks.lan = [this](const std::string& device, const std::string& flag, int nxid, int port) {
        m_control->post(
            [this, device, flag, nxid, port] {
                invoke<nxLanDeviceCallback>(Slot::Lan, device.c_str(), flag.c_str(), nxid, port, 1, "G711");
            },
            device.size() + flag.size());
    };
    sinks.video = [this](const std::string& callId, bool key, std::string unit) {
        auto data = std::make_shared<std::string>(std::move(unit));
        m_media->post(
            [this, callId, key, data] {
                if (!m_onvif->callOpen(callId))
                    return; // closed while queued
                nxVideoFrame frame{callId.c_str(), key ? 1 : 0,
                                   reinterpret_cast<const unsigned char*>(data->data()),
                                   static_cast<int>(data->size())};
                invoke<nxVideoCallback>(Slot::Video, static_cast<const nxVideoFrame*>(&frame));
            },
            data->size());
    };
    sinks.audio = [this](const std::string& callId, int sequence, std::string block) {
        auto data = std::make_shared<std::string>(std::move(block));
        m_media->post(
            [this, callId, sequence, data] {
                if (!m_onvif->callOpen(callId))
                    return;
                invoke<nxAudioCallback>(Slot::Audio, sequence,
                                        reinterpret_cast<const unsigned char*>(data->data()),
                                        static_cast<int>(data->size()));
            },
            data->size());
    };
    sinks.system = [this](int command, const std::string& text) {
        m_control->post(
            [this, command, text] {
                invoke<nxSystemCallback>(Slot::System, command, text.c_str(), static_cast<int>(text.size()));
            },
            text.size());
    };
    return sinks;
}

void SdkCore::setCloudPort(int port) {
    std::lock_guard<std::mutex> lock(m_cloudTargetMutex);
    if (m_cloudPort.exchange(port) == port)
        return;
    // Another server: the old session's calls and login end with its connection.
    m_loggedIn = false;
    m_cloud->disconnect();
}

SdkCore::~SdkCore() {
    m_shutdown = true;
    m_cloud->stop();
    m_lan->stop();
    m_media->stop();
    m_control->stop();
    // Last: queued jobs ask it whether their call is open; its readers' posts now fail harmlessly.
    m_onvif.reset();
}

void SdkCore::setCallback(Slot slot, void* context, void* function) {
    Registration& r = m_slots[static_cast<int>(slot)];
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    r.context = function ? context : nullptr;
    r.function = function;
}

template <typename Fn, typename... Args> void SdkCore::invoke(Slot slot, Args... args) {
    Registration& r = m_slots[static_cast<int>(slot)];
    std::lock_guard<std::recursive_mutex> lock(r.mutex);
    if (m_shutdown || !r.function)
        return;
    reinterpret_cast<Fn>(reinterpret_cast<AnyFunction>(r.function))(r.context, args...);
}

kvabwire::WireWriter SdkCore::make(kvabwire::Op op) const {
    return kvabwire::WireWriter(kvabwire::Type::Request, op, 0);
}

int SdkCore::request(Route route, kvabwire::WireWriter& message, std::string* reply,
                     SdkConnection::ReplyHook onReply) {
    if (m_shutdown)
        return PCQ_ERR_NO_SERVICE;
    return connection(route).request(message, reply, std::move(onReply));
}

std::string SdkCore::deviceForHandle(int nxid) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_deviceByHandle.find(nxid);
    return it == m_deviceByHandle.end() ? std::string() : it->second;
}

Route SdkCore::routeForDevice(const std::string& device) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lanByDevice.count(device) ? Route::Lan : Route::Cloud;
}

bool SdkCore::callOpen(const std::string& callId) {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls.count(callId) > 0;
}

int SdkCore::openCall(Route route, kvabwire::WireWriter& message, int kind, const std::string& device,
                      char* out) {
    // The identity is filed as the reply is read: the camera streams at once, and the reader drops
    // media of identities it does not know, so filing it after the wait would lose the first frames.
    std::string callId;
    const int rc =
        request(route, message, &callId, [this, kind, device, route](int result, const std::string& id) {
            if (result < 0 || !validCallId(id))
                return;
            std::lock_guard<std::mutex> lock(m_mutex);
            m_calls[id] = CallInfo{kind, device, route};
        });
    if (rc < 0)
        return rc;
    if (!validCallId(callId))
        return PCQ_ERR_PROTOCOL;
    std::memcpy(out, callId.data(), callId.size());
    out[callId.size()] = '\0';
    return rc;
}

bool SdkCore::validCallId(const std::string& callId) {
    return !callId.empty() && callId.size() < PCQ_CALL_ID_SIZE;
}

int SdkCore::closeCall(const std::string& callId, const char*) {
    Route route;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_calls.find(callId);
        if (it == m_calls.end())
            return PCQ_ERR_FAILED;
        route = it->second.route;
        m_calls.erase(it);
    }
    auto message = make(kvabwire::Op::CloseCall);
    message.addText(callId.c_str());
    return request(route, message);
}

int SdkCore::sendTalk(const unsigned char* data, int length) {
    std::vector<std::pair<std::string, Route>> talkCalls;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& c : m_calls)
            if (c.second.kind == PCQ_CALL_TALK)
                talkCalls.emplace_back(c.first, c.second.route);
    }
    if (talkCalls.empty())
        return PCQ_ERR_FAILED;
    int rc = PCQ_OK;
    for (const auto& call : talkCalls) {
        auto message = make(kvabwire::Op::AudioData);
        message.addText(call.first.c_str()).addBytes(data, static_cast<std::size_t>(length));
        const int r = request(call.second, message);
        if (r < 0)
            rc = r;
    }
    return rc;
}

void SdkCore::onState(Route route, bool connected) {
    if (connected) {
        // The service forgets a connection's LAN search when the connection goes: ask again so that
        // cameras are reported (with their current handles) after a reconnect.
        if (route == Route::Lan && m_lanRefreshed) {
            auto message = make(kvabwire::Op::LanRefresh);
            m_lan->post(message);
        }
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_calls.begin(); it != m_calls.end();)
            it = it->second.route == route ? m_calls.erase(it) : std::next(it);
    }
    if (route == Route::Cloud && m_loggedIn.exchange(false)) {
        m_control->post(
            [this] {
                static const char text[] = "connection lost";
                invoke<nxSystemCallback>(Slot::System, 3, text, static_cast<int>(sizeof text - 1));
            },
            0);
    }
}

void SdkCore::onEvent(const char* body, std::size_t size) {
    using kvabwire::Op;
    kvabwire::WireReader r(body, size);
    switch (r.op()) {
    case Op::EvSystem: {
        const int cmd = r.readInt();
        std::string text = r.readBytes();
        if (!r.ok())
            break;
        if (cmd == 0)
            m_loggedIn = true;
        else if (cmd == 1)
            m_loggedIn = false;
        m_control->post(
            [this, cmd, text] {
                invoke<nxSystemCallback>(Slot::System, cmd, text.c_str(), static_cast<int>(text.size()));
            },
            text.size());
        return;
    }
    case Op::EvLan: {
        std::string device = r.readBytes();
        std::string flag = r.readBytes();
        const auto token = static_cast<std::uint32_t>(r.readInt());
        const int port = r.readInt();
        const int online = r.readInt();
        std::string audio = r.readBytes();
        if (!r.ok() || device.empty())
            break;
        int nxid;
        {
            // A camera that restarted comes with a new boot token and gets a new handle; its old
            // handle is refused from then on.
            std::lock_guard<std::mutex> lock(m_mutex);
            auto it = m_lanByDevice.find(device);
            if (it != m_lanByDevice.end() && it->second.token == token) {
                nxid = it->second.nxid;
            } else {
                if (it != m_lanByDevice.end())
                    m_deviceByHandle.erase(it->second.nxid);
                nxid = m_nextHandle++;
                if (m_nextHandle <= 0 || OnvifBackend::ownsHandle(m_nextHandle))
                    m_nextHandle = 0x1001;
                m_lanByDevice[device] = LanEntry{token, nxid};
                m_deviceByHandle[nxid] = device;
            }
        }
        m_control->post(
            [this, device, flag, nxid, port, online, audio] {
                invoke<nxLanDeviceCallback>(Slot::Lan, device.c_str(), flag.c_str(), nxid, port, online,
                                            audio.c_str());
            },
            device.size() + flag.size() + audio.size());
        return;
    }
    case Op::EvVideo: {
        std::string callId = r.readBytes();
        const int key = r.readInt();
        auto data = std::make_shared<std::string>(r.readBytes());
        if (!r.ok() || data->empty())
            break;
        if (!callOpen(callId))
            return;
        m_media->post(
            [this, callId, key, data] {
                if (!callOpen(callId))
                    return; // closed while queued
                nxVideoFrame frame{callId.c_str(), key, reinterpret_cast<const unsigned char*>(data->data()),
                                   static_cast<int>(data->size())};
                invoke<nxVideoCallback>(Slot::Video, static_cast<const nxVideoFrame*>(&frame));
            },
            data->size());
        return;
    }
    case Op::EvAudio: {
        std::string callId = r.readBytes();
        const int seq = r.readInt();
        auto data = std::make_shared<std::string>(r.readBytes());
        if (!r.ok() || data->empty())
            break;
        if (!callOpen(callId))
            return;
        m_media->post(
            [this, callId, seq, data] {
                if (!callOpen(callId))
                    return;
                invoke<nxAudioCallback>(Slot::Audio, seq,
                                        reinterpret_cast<const unsigned char*>(data->data()),
                                        static_cast<int>(data->size()));
            },
            data->size());
        return;
    }
    case Op::EvAlarm: {
        const int cmd = r.readInt();
        std::string text = r.readBytes();
        const int flag = r.readInt();
        const int value = r.readInt();
        if (!r.ok())
            break;
        m_control->post([this, cmd, text, flag,
                         value] { invoke<nxAlarmCallback>(Slot::Alarm, cmd, text.c_str(), flag, value); },
                        text.size());
        return;
    }
    case Op::EvWifi: {
        std::string text = r.readBytes();
        const int length = r.readInt();
        if (!r.ok())
            break;
        const int len = length < 0 ? length : static_cast<int>(text.size());
        m_control->post([this, text, len] { invoke<nxWifiSidCallback>(Slot::Wifi, text.c_str(), len); },
                        text.size());
        return;
    }
    case Op::EvSdFile: {
        const int number = r.readInt();
        std::string entry = r.readBytes();
        const int last = r.readInt();
        if (!r.ok())
            break;
        m_control->post([this, number, entry,
                         last] { invoke<nxSdFileCallback>(Slot::SdFile, number, entry.c_str(), last); },
                        entry.size());
        return;
    }
    case Op::EvSdData: {
        std::string callId = r.readBytes();
        const int seq = r.readInt();
        auto data = std::make_shared<std::string>(r.readBytes());
        const int length = r.readInt();
        const int resolution = r.readInt();
        const int encoding = r.readInt();
        const int reserved = r.readInt();
        const int frameType = r.readInt();
        if (!r.ok() || (length >= 0 && static_cast<std::size_t>(length) != data->size()))
            break;
        if (!callOpen(callId))
            return;
        m_media->post(
            [this, callId, seq, data, length, resolution, encoding, reserved, frameType] {
                if (!callOpen(callId))
                    return;
                invoke<nxSdDataCallback>(Slot::SdData, seq,
                                         data->empty() ? nullptr
                                                       : reinterpret_cast<const unsigned char*>(data->data()),
                                         length, static_cast<short>(resolution), static_cast<short>(encoding),
                                         static_cast<short>(reserved), static_cast<short>(frameType));
            },
            data->size(), SdkConfig::kSdDataWaitMs); // a download loses nothing: it slows the reader instead
        return;
    }
    default:
        break;
    }
    std::fprintf(stderr, "pcQuorvane: malformed or unknown event %d ignored\n", static_cast<int>(r.op()));
}

} // namespace pcq
