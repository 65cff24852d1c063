#pragma once

#include "SimServer.h"

#include <string>
#include <vector>

// The control commands of the simulator (one text line each, one answer line "ok ..." or "error ..."):
// state queries, camera changes, connection faults and service faults. `help` lists them.
class SimControl {
public:
    explicit SimControl(SimServer& server);

    std::string execute(const std::string& line);

private:
    using Words = std::vector<std::string>;
    // Each returns false when the command is not of its family.
    bool query(const Words& w, std::string* answer);
    bool cameraCommand(const Words& w, std::string* answer);
    bool connectionFault(const Words& w, std::string* answer);
    bool serviceFault(const Words& w, std::string* answer);
    std::string stats() const;

    SimServer& m_srv;
};
