#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pcq {

// Turns the H.264 packets of libavformat's RTSP reader (whole access units: the reader parses the RTP
// payloads) into the units the video callback delivers: every NAL unit after a four-byte start code, a
// key frame opening with SPS and PPS (its own, else the last the stream carried, else the session
// description's), access unit delimiters left out. A packet without a picture (parameter sets alone) is
// joined to the next.
class OnvifAccessUnit {
public:
    // Parameter sets of the session description (Annex B or avcC is not told apart here: anything
    // without start codes is ignored).
    void setParameterSets(const std::uint8_t* data, std::size_t size);
    // Adds one packet; true when it ends an access unit (it holds a picture's slice), which is then in out,
    // with key telling whether it holds an IDR slice.
    bool push(const std::uint8_t* data, std::size_t size, std::string* out, bool* key);
    // The NAL units of an Annex B buffer, without their start codes.
    static std::vector<std::string> split(const std::uint8_t* data, std::size_t size);

private:
    bool flush(std::string* out, bool* key);

    std::vector<std::string> m_pending;
    std::string m_sps, m_pps;       // last seen in the stream
    std::string m_sdpSps, m_sdpPps; // from the session description
};

} // namespace pcq
