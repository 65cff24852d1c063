#pragma once

#include <glib.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

class OnvifCamera;
class OnvifDiscovery;
class OnvifRtsp;
class OnvifSoap;
typedef struct _SoupServer SoupServer;
typedef struct _SoupServerMessage SoupServerMessage;

// The simulator's ONVIF cameras: each a SOAP service on a port of its own, all of them behind one
// WS-Discovery responder and one RTSP server. They run on a GLib main loop of their own thread, so the
// simulator's poll loop never waits for them; control commands reach them through "onvif ..." lines.
class OnvifSim {
public:
    struct CameraSpec {
        std::string id;
        bool ptz;
    };
    struct Options {
        std::vector<CameraSpec> cameras;
        std::string password = "123456";
        int httpPort = 0;         // the first camera's SOAP port, the next ones follow; 0: free ports
        int rtspPort = 0;         // 0: a free one
        int discoveryPort = 3702; // 0: a free loopback port, unicast probes only
    };

    explicit OnvifSim(Options options);
    ~OnvifSim();
    OnvifSim(const OnvifSim&) = delete;
    OnvifSim& operator=(const OnvifSim&) = delete;

    // Ids of letters, digits, '-' and '_', 1 to 40 of them: they go into URLs and discovery scopes.
    static bool validId(const std::string& id);

    // Starts the thread and waits until every port listens. False with the reason when one cannot.
    bool start(std::string* error);
    // One line per camera and one for discovery, for stdout.
    std::vector<std::string> describe() const;
    // words[0] == "onvif": list, ptzlog ID [clear], calls ID, stall ID on|off, vanish ID on|off,
    // password ID PWD. Answers "ok ..." or "error ...".
    std::string command(const std::vector<std::string>& words);

private:
    struct Unref {
        void operator()(gpointer object) const;
    };
    void run(std::string* error, bool* ready);
    bool setUp(std::string* error);
    static void serve(SoupServer* server, SoupServerMessage* message, const char* path, GHashTable* query,
                      gpointer soap);
    OnvifCamera* camera(const std::string& id) const;

    Options m_opt;
    std::vector<std::unique_ptr<OnvifCamera>> m_cameras;
    std::vector<std::unique_ptr<OnvifSoap>> m_soap;
    std::vector<std::unique_ptr<SoupServer, Unref>> m_http;
    std::unique_ptr<OnvifRtsp> m_rtsp;
    std::unique_ptr<OnvifDiscovery> m_discovery;
    GMainContext* m_context = nullptr;
    GMainLoop* m_loop = nullptr;
    std::thread m_thread;
};
