#pragma once

#include "SimServer.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

// The control commands of the simulator (one text line each, one answer line "ok ..." or "error ..."):
// state queries, camera changes, connection faults and service faults. `help` lists them.
class SimControl {
public:
    explicit SimControl(SimServer& server);

    std::string execute(const std::string& line);

    // Commands served outside the camera service (the ONVIF cameras), by their first word; the handler
    // runs on the server's thread. An empty handler removes the family.
    using Family = std::function<std::string(const std::vector<std::string>&)>;
    static void setFamily(const std::string& word, Family handler);

private:
    using Words = std::vector<std::string>;
    // Each returns false when the command is not of its family.
    bool query(const Words& w, std::string* answer);
    bool cameraCommand(const Words& w, std::string* answer);
    bool connectionFault(const Words& w, std::string* answer);
    bool serviceFault(const Words& w, std::string* answer);
    std::string stats() const;
    static std::vector<std::pair<std::string, Family>>& families();

    SimServer& m_srv;
};
