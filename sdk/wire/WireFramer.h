#pragma once

#include <cstddef>
#include <string>

namespace kvabwire {

// Collects received bytes and hands out complete frames. A length field beyond kMaxFrame or below the
// header size marks the stream broken: the peer is not speaking our protocol and must be dropped.
class WireFramer {
public:
    void append(const char* data, std::size_t length);
    // True with body/size of the next complete frame; the frame stays valid until the next call.
    bool next(const char** body, std::size_t* size);
    bool broken() const { return m_broken; }
    std::size_t buffered() const { return m_buf.size() - m_pos; }

private:
    std::string m_buf;
    std::size_t m_pos = 0;
    bool m_broken = false;
};

} // namespace kvabwire
