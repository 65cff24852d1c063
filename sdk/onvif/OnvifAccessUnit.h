#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pcq {

// Turns the H.264 NAL units an RTSP reader gives (one RTP payload each, Annex B) into whole access
// units for the video callback: the units of one timestamp together, every NAL unit after a four-byte
// start code, a key frame opening with SPS and PPS (taken from the stream when it carries them, else
// from the session description's parameter sets), access unit delimiters left out.
class OnvifAccessUnit {
public:
    // Parameter sets of the session description (Annex B or avcC is not told apart here: anything
    // without start codes is ignored).
    void setParameterSets(const std::uint8_t* data, std::size_t size);
    // Adds one payload of timestamp pts. When it starts a new timestamp the previous access unit is
    // complete: it is returned in out (true), with key telling whether it holds an IDR slice.
    bool push(const std::uint8_t* data, std::size_t size, std::int64_t pts, std::string* out, bool* key);
    // The pending access unit, complete or not (at the end of a stream).
    bool flush(std::string* out, bool* key);
    // Forgets the pending unit and the stream's own parameter sets (a new session).
    void reset();

    // The NAL units of an Annex B buffer, without their start codes.
    static std::vector<std::string> split(const std::uint8_t* data, std::size_t size);

private:
    std::vector<std::string> m_pending;
    std::int64_t m_pts = 0;
    std::string m_sps, m_pps;       // last seen in the stream
    std::string m_sdpSps, m_sdpPps; // from the session description
};

} // namespace pcq
