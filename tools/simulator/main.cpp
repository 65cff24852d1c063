// kvab-camsim: plays LAN and cloud cameras and the cloud service for our device SDK, on 127.0.0.1 only.
#include "SimControl.h"
#include "SimServer.h"
#include "onvif/OnvifSim.h"

extern "C" {
#include <libavutil/log.h>
}

#include <algorithm>
#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

SimServer* g_server = nullptr;

void onSignal(int) {
    if (g_server)
        g_server->requestQuit();
}

void usage() {
    std::printf(
        "usage: kvab-camsim [options]\n"
        "  --demo                 4 LAN and 3 cloud cameras (one of them offline)\n"
        "  --port N               SDK port (default 47800; 0 picks a free one)\n"
        "  --control-port N       control port (default SDK port + 1; 0 picks a free one)\n"
        "  --cloud-port N         the cloud service on a port of its own (default: on the SDK port;\n"
        "                         0 picks a free one)\n"
        "  --cameras LIST         comma-separated KIND:ID, KIND "
        "lan|cloud|both|cloud-offline|onvif|onvif-noptz\n"
        "  --lan N --cloud N      N generated cameras of that kind\n"
        "  --clip-seconds N       length of the replayed clip, even, 2..60 (default 6)\n"
        "  --reboot-ms N          how long a reboot keeps a camera away (default 3000)\n"
        "  --sd-speed N           SD downloads run N times faster than real time (default 5)\n"
        "  --alarm-every N        raise a motion or IO alarm every N seconds\n"
        "  --onvif N              N generated ONVIF cameras (with PTZ)\n"
        "  --onvif-password PWD   the ONVIF cameras' password for user admin (default 123456)\n"
        "  --onvif-http-port N    the first ONVIF camera's SOAP port, the next ones follow (default 0: "
        "free)\n"
        "  --rtsp-port N          the ONVIF cameras' RTSP port (default 0: free)\n"
        "  --discovery-port N     WS-Discovery port (default 3702; 0: a free loopback port, unicast only)\n"
        "  --send \"COMMAND\"       send one control command to a running simulator and print the answer\n"
        "  --parent PID           end when the process PID ends (a test run that is killed leaves no\n"
        "                         simulator behind)\n"
        "control commands (one per line on the control port): help, list, stats, add ID lan|cloud|both\n"
        "  [offline], remove ID, offline ID, online ID, reboot ID, stall ID [MS], unstall ID, corrupt ID "
        "[N],\n"
        "  truncate ID [N], garbage-frames ID [N], surveyfail ID [off], surveyempty ID [off],\n"
        "  alarm ID motion|io, writes ID, talkcount ID, talkaudio ID, ptz ID, calls [ID], drop, garbage, "
        "cut, kick, "
        "delay MS, dropreplies N,\n"
        "  answer login|region|pwd now|never|MS (when the answering event follows), regfail [off],\n"
        "  accountpwd PASSWORD, surveydelay MS, quit,\n"
        "  onvif list|ptzlog ID [clear]|calls ID|stall ID on|off|vanish ID on|off|password ID PWD\n");
}

int sendControl(int port, const std::string& command) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0) {
        std::fprintf(stderr, "kvab-camsim: no simulator on control port %d\n", port);
        return 1;
    }
    const std::string line = command + "\n";
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size()))
        return 1;
    std::string answer;
    char buf[4096];
    while (answer.find('\n') == std::string::npos) {
        pollfd p{fd, POLLIN, 0};
        if (::poll(&p, 1, 5000) <= 0)
            break;
        const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        answer.append(buf, static_cast<std::size_t>(n));
    }
    ::close(fd);
    std::fputs(answer.c_str(), stdout);
    return answer.rfind("ok", 0) == 0 ? 0 : 1;
}

bool parseCameras(const std::string& list, std::vector<SimServer::CameraSpec>* out,
                  std::vector<OnvifSim::CameraSpec>* onvif) {
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t end = list.find(',', pos);
        if (end == std::string::npos)
            end = list.size();
        const std::string item = list.substr(pos, end - pos);
        const auto colon = item.find(':');
        if (colon == std::string::npos || colon + 1 >= item.size() || item.size() - colon > 41)
            return false;
        const std::string kind = item.substr(0, colon), id = item.substr(colon + 1);
        if (kind == "lan")
            out->push_back({id, true, false, true});
        else if (kind == "cloud")
            out->push_back({id, false, true, true});
        else if (kind == "cloud-offline")
            out->push_back({id, false, true, false});
        else if (kind == "both")
            out->push_back({id, true, true, true});
        else if ((kind == "onvif" || kind == "onvif-noptz") && OnvifSim::validId(id) &&
                 std::none_of(onvif->begin(), onvif->end(), [&](const auto& c) { return c.id == id; }))
            onvif->push_back({id, kind == "onvif"});
        else
            return false;
        pos = end + 1;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    SimServer::Options opt;
    OnvifSim::Options onvif;
    std::string send;
    long parent = 0;
    int lanCount = 0, cloudCount = 0, onvifCount = 0;
    bool demo = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "kvab-camsim: %s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        auto number = [&](int lo, int hi) {
            const std::string v = value();
            char* end = nullptr;
            const long n = std::strtol(v.c_str(), &end, 10);
            if (v.empty() || *end || n < lo || n > hi) {
                std::fprintf(stderr, "kvab-camsim: %s wants a number %d..%d\n", a.c_str(), lo, hi);
                std::exit(2);
            }
            return static_cast<int>(n);
        };
        if (a == "--demo")
            demo = true;
        else if (a == "--port")
            opt.port = number(0, 65535);
        else if (a == "--control-port")
            opt.controlPort = number(0, 65535);
        else if (a == "--cloud-port")
            opt.cloudPort = number(0, 65535);
        else if (a == "--cameras") {
            if (!parseCameras(value(), &opt.cameras, &onvif.cameras)) {
                std::fprintf(stderr, "kvab-camsim: bad --cameras list\n");
                return 2;
            }
        } else if (a == "--lan")
            lanCount = number(0, 64);
        else if (a == "--cloud")
            cloudCount = number(0, 64);
        else if (a == "--onvif")
            onvifCount = number(0, 64);
        else if (a == "--onvif-password")
            onvif.password = value();
        else if (a == "--onvif-http-port")
            onvif.httpPort = number(0, 65535);
        else if (a == "--rtsp-port")
            onvif.rtspPort = number(0, 65535);
        else if (a == "--discovery-port")
            onvif.discoveryPort = number(0, 65535);
        else if (a == "--clip-seconds")
            opt.clipSeconds = number(2, 60) / 2 * 2;
        else if (a == "--reboot-ms")
            opt.rebootMs = number(100, 60000);
        else if (a == "--sd-speed")
            opt.sdSpeed = number(1, 1000);
        else if (a == "--alarm-every")
            opt.alarmEverySeconds = number(1, 3600);
        else if (a == "--send")
            send = value();
        else if (a == "--parent")
            parent = number(1, 4194304);
        else if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else {
            std::fprintf(stderr, "kvab-camsim: unknown option %s\n", a.c_str());
            usage();
            return 2;
        }
    }
    if (!send.empty())
        return sendControl(opt.controlPort > 0 ? opt.controlPort : opt.port + 1, send);
    if (demo) {
        parseCameras(
            "lan:KV-LAN-01,lan:KV-LAN-02,lan:KV-LAN-03,lan:KV-LAN-04,cloud:KV-CLD-01,cloud:KV-CLD-02,"
            "cloud-offline:KV-CLD-03",
            &opt.cameras, &onvif.cameras);
        if (opt.alarmEverySeconds == 0)
            opt.alarmEverySeconds = 60;
    }
    char id[32];
    for (int i = 1; i <= lanCount; ++i) {
        std::snprintf(id, sizeof id, "KV-L%03d", i);
        opt.cameras.push_back({id, true, false, true});
    }
    for (int i = 1; i <= cloudCount; ++i) {
        std::snprintf(id, sizeof id, "KV-C%03d", i);
        opt.cameras.push_back({id, false, true, true});
    }
    for (int i = 1; i <= onvifCount; ++i) {
        std::snprintf(id, sizeof id, "KV-O%03d", i);
        onvif.cameras.push_back({id, true});
    }

    av_log_set_level(AV_LOG_ERROR);
    SimServer server(opt);
    std::string error;
    if (!server.listen(&error)) {
        std::fprintf(stderr, "kvab-camsim: cannot listen: %s\n", error.c_str());
        return 1;
    }
    // The ONVIF cameras print their lines before the SDK's, which ends the start-up output.
    std::unique_ptr<OnvifSim> onvifSim;
    if (!onvif.cameras.empty()) {
        onvifSim = std::make_unique<OnvifSim>(onvif);
        if (!onvifSim->start(&error)) {
            std::fprintf(stderr, "kvab-camsim: cannot start the ONVIF cameras: %s\n", error.c_str());
            return 1;
        }
        for (const std::string& line : onvifSim->describe())
            std::printf("%s\n", line.c_str());
        SimControl::setFamily(
            "onvif", [&onvifSim](const std::vector<std::string>& w) { return onvifSim->command(w); });
    }
    g_server = &server;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    // The kernel's signal comes when the thread that started us ends; the check covers a parent that
    // ended before the request was made.
    if (parent > 0 && (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != pid_t(parent))) {
        std::fprintf(stderr, "kvab-camsim: parent %ld is gone\n", parent);
        return 1;
    }
    std::printf("kvab-camsim: sdk port %d control port %d cameras %zu cloud port %d\n", server.port(),
                server.controlPort(), opt.cameras.size(), server.cloudPort());
    std::fflush(stdout);
    server.run();
    g_server = nullptr;
    SimControl::setFamily("onvif", nullptr);
    return 0;
}
