#include "OnvifSim.h"

#include "OnvifCamera.h"
#include "OnvifDiscovery.h"
#include "OnvifRtsp.h"
#include "OnvifSnapshot.h"
#include "OnvifSoap.h"

#include <gst/gst.h>
#include <libsoup/soup.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {
std::mutex g_readyLock;
std::condition_variable g_readyWake;
} // namespace

void OnvifSim::Unref::operator()(gpointer object) const {
    if (object)
        g_object_unref(object);
}

OnvifSim::OnvifSim(Options options) : m_opt(std::move(options)) {
    for (const auto& spec : m_opt.cameras)
        m_cameras.push_back(std::make_unique<OnvifCamera>(spec.id, spec.ptz, m_opt.password));
}

OnvifSim::~OnvifSim() {
    if (m_thread.joinable()) {
        g_main_loop_quit(m_loop);
        m_thread.join();
    }
    if (m_loop)
        g_main_loop_unref(m_loop);
    if (m_context)
        g_main_context_unref(m_context);
}

bool OnvifSim::validId(const std::string& id) {
    if (id.empty() || id.size() > 40)
        return false;
    for (unsigned char c : id)
        if (!g_ascii_isalnum(c) && c != '-' && c != '_')
            return false;
    return true;
}

bool OnvifSim::start(std::string* error) {
    gst_init(nullptr, nullptr);
    const std::string missing = OnvifRtsp::missingElements();
    if (!missing.empty()) {
        *error = "GStreamer elements missing: " + missing;
        return false;
    }
    m_context = g_main_context_new();
    m_loop = g_main_loop_new(m_context, FALSE);
    bool ready = false;
    m_thread = std::thread(&OnvifSim::run, this, error, &ready);
    std::unique_lock<std::mutex> lock(g_readyLock);
    g_readyWake.wait(lock, [&] { return ready; });
    if (!error->empty()) {
        lock.unlock();
        m_thread.join();
        return false;
    }
    return true;
}

void OnvifSim::run(std::string* error, bool* ready) {
    g_main_context_push_thread_default(m_context);
    std::string failure;
    const bool ok = setUp(&failure);
    auto tell = [&] {
        std::lock_guard<std::mutex> lock(g_readyLock);
        *error = failure;
        *ready = true;
        g_readyWake.notify_all();
    };
    if (ok) {
        // Told from inside the loop, so that a quit right after start cannot come before the loop runs.
        GSource* running = g_idle_source_new();
        g_source_set_callback(
            running,
            [](gpointer tellFn) {
                (*static_cast<decltype(tell)*>(tellFn))();
                return G_SOURCE_REMOVE;
            },
            &tell, nullptr);
        g_source_attach(running, m_context);
        g_source_unref(running);
        g_main_loop_run(m_loop);
    } else {
        tell();
    }
    // Everything attached to the context goes on the thread that ran it.
    m_http.clear();
    m_discovery.reset();
    m_rtsp.reset();
    g_main_context_pop_thread_default(m_context);
}

bool OnvifSim::setUp(std::string* error) {
    m_rtsp = std::make_unique<OnvifRtsp>(m_cameras);
    if (!m_rtsp->start(m_opt.rtspPort, m_context, error))
        return false;
    for (std::size_t i = 0; i < m_cameras.size(); ++i) {
        OnvifCamera& cam = *m_cameras[i];
        m_soap.push_back(std::make_unique<OnvifSoap>(cam, m_rtsp->port()));
        m_http.emplace_back(soup_server_new("server-header", "KVAB-SIM-ONVIF", nullptr));
        SoupServer* http = m_http.back().get();
        soup_server_add_handler(http, "/onvif", &OnvifSim::serve, m_soap.back().get(), nullptr);
        GError* failure = nullptr;
        const int port = m_opt.httpPort > 0 ? m_opt.httpPort + static_cast<int>(i) : 0;
        if (!soup_server_listen_local(http, static_cast<guint>(port), SOUP_SERVER_LISTEN_IPV4_ONLY,
                                      &failure)) {
            *error = "SOAP port " + std::to_string(port) + " of " + cam.id() + ": " + failure->message;
            g_error_free(failure);
            return false;
        }
        GSList* uris = soup_server_get_uris(http);
        cam.httpPort = uris ? g_uri_get_port(static_cast<GUri*>(uris->data)) : 0;
        g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(&g_uri_unref));
    }
    m_discovery = std::make_unique<OnvifDiscovery>(m_cameras, m_context);
    return m_discovery->start(m_opt.discoveryPort, error);
}

void OnvifSim::serve(SoupServer*, SoupServerMessage* message, const char* path, GHashTable*, gpointer soap) {
    const std::string method = soup_server_message_get_method(message), where = path;
    if (method == "GET" && (where == "/onvif/snapshot/main.jpg" || where == "/onvif/snapshot/sub.jpg")) {
        const bool main = where == "/onvif/snapshot/main.jpg";
        const std::string jpeg =
            OnvifSnapshot::jpeg(static_cast<OnvifSoap*>(soap)->camera().id(),
                                main ? "ONVIF MAIN" : "ONVIF SUB", main ? 1920 : 640, main ? 1080 : 360);
        soup_server_message_set_status(
            message, jpeg.empty() ? SOUP_STATUS_INTERNAL_SERVER_ERROR : SOUP_STATUS_OK, nullptr);
        soup_server_message_set_response(message, "image/jpeg", SOUP_MEMORY_COPY, jpeg.data(), jpeg.size());
        return;
    }
    if (method != "POST") {
        soup_server_message_set_status(message, SOUP_STATUS_METHOD_NOT_ALLOWED, nullptr);
        return;
    }
    if (!g_str_has_suffix(path, "_service")) {
        soup_server_message_set_status(message, SOUP_STATUS_NOT_FOUND, nullptr);
        return;
    }
    SoupMessageBody* body = soup_server_message_get_request_body(message);
    const OnvifSoap::Reply reply =
        static_cast<OnvifSoap*>(soap)->handle(body->data, static_cast<std::size_t>(body->length));
    soup_server_message_set_status(message, static_cast<guint>(reply.status), nullptr);
    soup_server_message_set_response(message, "application/soap+xml; charset=utf-8", SOUP_MEMORY_COPY,
                                     reply.body.data(), reply.body.size());
}

std::vector<std::string> OnvifSim::describe() const {
    std::vector<std::string> lines;
    for (const auto& cam : m_cameras) {
        const std::string rtsp = "rtsp://127.0.0.1:" + std::to_string(m_rtsp->port()) + "/" + cam->id();
        lines.push_back("onvif camera " + cam->id() + " http " + std::to_string(cam->httpPort.load()) +
                        " rtsp " + rtsp + "/main sub " + rtsp + "/sub ptz " + (cam->ptz() ? "yes" : "no"));
    }
    lines.push_back("onvif discovery port " + std::to_string(m_discovery->port()) + " multicast " +
                    (m_discovery->multicast() ? "on" : "off"));
    return lines;
}

OnvifCamera* OnvifSim::camera(const std::string& id) const {
    for (const auto& cam : m_cameras)
        if (cam->id() == id)
            return cam.get();
    return nullptr;
}

std::string OnvifSim::command(const std::vector<std::string>& w) {
    auto arg = [&](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    const std::string cmd = arg(1);
    if (cmd == "list") {
        std::string out =
            "ok rtsp=" + std::to_string(m_rtsp->port()) + " discovery=" + std::to_string(m_discovery->port());
        for (const auto& cam : m_cameras)
            out += " " + cam->id() + ":http=" + std::to_string(cam->httpPort.load()) + ":" +
                   (cam->ptz() ? "ptz" : "noptz") + (cam->vanished ? ":vanished" : "") +
                   (cam->stalled ? ":stalled" : "");
        return out;
    }
    static const char kUsage[] = "error usage: onvif list | ptzlog ID [clear] | calls ID | stall ID on|off | "
                                 "vanish ID on|off | password ID PWD";
    OnvifCamera* cam = camera(arg(2));
    if (!cam)
        return cmd == "ptzlog" || cmd == "calls" || cmd == "stall" || cmd == "vanish" || cmd == "password"
                   ? "error unknown onvif camera " + arg(2)
                   : kUsage;
    if (cmd == "ptzlog") {
        const std::string log = cam->ptzLog();
        if (arg(3) == "clear")
            cam->clearPtzLog();
        return "ok " + log;
    }
    if (cmd == "calls")
        return "ok " + cam->calls();
    if ((cmd == "stall" || cmd == "vanish") && (arg(3) == "on" || arg(3) == "off")) {
        (cmd == "stall" ? cam->stalled : cam->vanished) = arg(3) == "on";
        return "ok";
    }
    if (cmd == "password" && !arg(3).empty() && w.size() == 4) {
        cam->setPassword(arg(3));
        return "ok";
    }
    return kUsage;
}
