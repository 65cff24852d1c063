#pragma once

#include "SimServer.h"

#include <cstdint>
#include <string>

// Opens calls and paces their media on the simulator's state.
class SimMedia {
public:
    explicit SimMedia(SimServer& server);

    // Files a call (kind 1 video, 2 listen, 3 talk, 4 SD download) and returns its identity. Its media
    // starts at once, right behind the reply that carries the identity.
    std::string openCall(SimServer::Session& s, SimCamera& cam, int kind, int stream, bool wan,
                         const std::string& file);
    // Sends every call's media that is due.
    void pumpCalls(std::int64_t now);
    // When the next frame of any call is due (at most 50 ms ahead).
    std::int64_t nextDueUs() const;

private:
    bool pumpVideo(SimServer::Call& call, SimServer::Session& s, SimCamera& cam, std::int64_t now);
    // The picture with the head's state drawn in while the head is away from home; false: use the clip.
    bool liveFrame(SimServer::Call& call, const SimCamera& cam, std::int64_t frameNo, ClipFrame* out);
    void pumpAudio(SimServer::Call& call, SimServer::Session& s, std::int64_t now);
    void pumpSd(SimServer::Call& call, SimServer::Session& s, std::int64_t now);

    SimServer& m_srv;
};
