#pragma once

#include "SimServer.h"

#include <string>

namespace kvabwire {
class WireReader;
}

// Answers the SDK's requests on the simulator's state: the reply's result and text, and the events
// a request causes (queued behind the reply).
class SimRequests {
public:
    explicit SimRequests(SimServer& server);

    void handle(SimServer::Session& s, kvabwire::WireReader& r, std::string* reply, int* result);

private:
    // Cloud login, monitoring registration, status and access passwords. False when the request is not of
    // this family.
    bool cloud(SimServer::Session& s, kvabwire::WireReader& r, std::string* reply, int* result);
    // Calls, talk audio and the data channel.
    bool calls(SimServer::Session& s, kvabwire::WireReader& r, std::string* reply, int* result);
    // Selectors and parameter records.
    bool records(SimServer::Session& s, kvabwire::WireReader& r, std::string* reply, int* result);
    // SD card listing and downloads.
    bool sdCard(SimServer::Session& s, kvabwire::WireReader& r, std::string* reply, int* result);

    SimServer& m_srv;
};
