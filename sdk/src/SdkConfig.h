#pragma once

#include "pcQuorvane.h"

#include <string>

namespace pcq {

// Where the library finds the camera service's LAN path (the cloud path goes where the login says). Only
// the loopback address is ever used.
// Sources, first match wins: KVAB_SDK_ENDPOINT ("127.0.0.1:PORT" or "PORT"); the file named by
// KVAB_SDK_CONFIG, else $XDG_CONFIG_HOME/kvab/sdk.conf, else ~/.config/kvab/sdk.conf, with a line
// "endpoint=127.0.0.1:PORT"; otherwise 127.0.0.1:kDefaultPort.
//
// Every wait on the device side is set here (see sdk/PROTOCOL.md): KVAB_SDK_TIMEOUT_MS the wait for a
// request's own reply (100..60000, default 3000), KVAB_SDK_ANSWER_WAIT_MS the client's wait for an
// answer that follows as an event (100..120000, default 20000, never less than twice the request wait,
// so a request always ends inside it). A Wi-Fi survey waits half the answer wait. A file download's data
// waits up to kSdDataWaitMs for the client's callbacks to take it before it is dropped.
class SdkConfig {
public:
    static constexpr int kDefaultPort = 47800;
    static constexpr int kDefaultRequestTimeoutMs = PCQ_DEFAULT_REQUEST_TIMEOUT_MS;
    static constexpr int kDefaultAnswerWaitMs = PCQ_DEFAULT_ANSWER_WAIT_MS;
    static constexpr int kSdDataWaitMs = 10000;

    static int port();
    static int requestTimeoutMs();
    static int answerWaitMs();
    // Parses "127.0.0.1:PORT", "localhost:PORT" or "PORT"; -1 for anything else.
    static int parseEndpoint(const std::string& text);

private:
    static std::string configFileEndpoint();
};

} // namespace pcq
