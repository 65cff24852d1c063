#include "SdkConfig.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace pcq {

int SdkConfig::parseEndpoint(const std::string& raw) {
    std::string text = raw;
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    std::string portText = text;
    const auto colon = text.rfind(':');
    if (colon != std::string::npos) {
        const std::string host = text.substr(0, colon);
        if (host != "127.0.0.1" && host != "localhost")
            return -1;
        portText = text.substr(colon + 1);
    }
    if (portText.empty() || portText.size() > 5)
        return -1;
    int port = 0;
    for (char c : portText) {
        if (c < '0' || c > '9')
            return -1;
        port = port * 10 + (c - '0');
    }
    return (port >= 1 && port <= 65535) ? port : -1;
}

std::string SdkConfig::configFileEndpoint() {
    std::string path;
    if (const char* p = std::getenv("KVAB_SDK_CONFIG"))
        path = p;
    else if (const char* x = std::getenv("XDG_CONFIG_HOME"))
        path = std::string(x) + "/kvab/sdk.conf";
    else if (const char* h = std::getenv("HOME"))
        path = std::string(h) + "/.config/kvab/sdk.conf";
    if (path.empty())
        return {};
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("endpoint=", 0) == 0)
            return line.substr(9);
    }
    return {};
}

int SdkConfig::port() {
    std::string text;
    if (const char* env = std::getenv("KVAB_SDK_ENDPOINT"))
        text = env;
    else
        text = configFileEndpoint();
    if (text.empty())
        return kDefaultPort;
    const int port = parseEndpoint(text);
    if (port < 0) {
        std::fprintf(stderr, "pcQuorvane: endpoint \"%s\" refused (only 127.0.0.1), using port %d\n",
                     text.c_str(), kDefaultPort);
        return kDefaultPort;
    }
    return port;
}

namespace {
int envMs(const char* name, int low, int high, int fallback) {
    if (const char* env = std::getenv(name)) {
        const int v = std::atoi(env);
        if (v >= low && v <= high)
            return v;
        std::fprintf(stderr, "pcQuorvane: %s=\"%s\" outside %d..%d, using %d\n", name, env, low, high,
                     fallback);
    }
    return fallback;
}
} // namespace

int SdkConfig::requestTimeoutMs() {
    return envMs("KVAB_SDK_TIMEOUT_MS", 100, 60000, kDefaultRequestTimeoutMs);
}

int SdkConfig::answerWaitMs() {
    const int wait = envMs("KVAB_SDK_ANSWER_WAIT_MS", 100, 120000, kDefaultAnswerWaitMs);
    return std::max(wait, 2 * requestTimeoutMs());
}

} // namespace pcq
