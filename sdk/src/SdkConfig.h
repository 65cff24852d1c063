#pragma once

#include <string>

namespace pcq {

// Where the library finds the camera service. Only the loopback address is ever used.
// Sources, first match wins: KVAB_SDK_ENDPOINT ("127.0.0.1:PORT" or "PORT"); the file named by
// KVAB_SDK_CONFIG, else $XDG_CONFIG_HOME/kvab/sdk.conf, else ~/.config/kvab/sdk.conf, with a line
// "endpoint=127.0.0.1:PORT"; otherwise 127.0.0.1:kDefaultPort. KVAB_SDK_TIMEOUT_MS sets the reply
// time-out (100..60000, default 3000).
class SdkConfig {
public:
    static constexpr int kDefaultPort = 47800;
    static constexpr int kDefaultTimeoutMs = 3000;

    static int port();
    static int timeoutMs();
    // Parses "127.0.0.1:PORT", "localhost:PORT" or "PORT"; -1 for anything else.
    static int parseEndpoint(const std::string& text);

private:
    static std::string configFileEndpoint();
};

} // namespace pcq
