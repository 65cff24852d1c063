#include "WireFramer.h"

#include "WireProtocol.h"

#include <cstdint>

namespace kvabwire {

void WireFramer::append(const char* data, std::size_t length) {
    if (m_pos > 0 && m_pos >= m_buf.size() / 2) {
        m_buf.erase(0, m_pos);
        m_pos = 0;
    }
    m_buf.append(data, length);
}

bool WireFramer::next(const char** body, std::size_t* size) {
    if (m_broken || m_buf.size() - m_pos < 4)
        return false;
    std::uint32_t len = 0;
    for (int i = 0; i < 4; ++i)
        len |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(m_buf[m_pos + i])) << (8 * i);
    if (len > kMaxFrame || len < static_cast<std::uint32_t>(kHeaderSize - 4)) {
        m_broken = true;
        return false;
    }
    if (m_buf.size() - m_pos - 4 < len)
        return false;
    *body = m_buf.data() + m_pos + 4;
    *size = len;
    m_pos += 4 + len;
    return true;
}

} // namespace kvabwire
