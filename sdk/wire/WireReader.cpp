#include "WireReader.h"

namespace kvabwire {

WireReader::WireReader(const char* body, std::size_t size) : m_body(body), m_size(size) {
    if (size < kHeaderSize - 4) {
        m_ok = false;
        return;
    }
    const auto t = static_cast<std::uint8_t>(body[0]);
    if (t < 1 || t > 3)
        m_ok = false;
    m_type = static_cast<Type>(t);
    m_op = static_cast<Op>(static_cast<std::uint8_t>(body[2]) | (static_cast<std::uint8_t>(body[3]) << 8));
    m_seq = getU32(4);
    m_pos = 8;
}

std::uint32_t WireReader::getU32(std::size_t at) const {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(m_body[at + i])) << (8 * i);
    return v;
}

std::int32_t WireReader::readInt() {
    if (!m_ok || m_size - m_pos < 5 || m_body[m_pos] != 'i') {
        m_ok = false;
        return 0;
    }
    const auto v = static_cast<std::int32_t>(getU32(m_pos + 1));
    m_pos += 5;
    return v;
}

const char* WireReader::readView(std::size_t* length) {
    *length = 0;
    if (!m_ok || m_size - m_pos < 5 || m_body[m_pos] != 's') {
        m_ok = false;
        return "";
    }
    const std::uint32_t len = getU32(m_pos + 1);
    if (len > m_size - m_pos - 5) {
        m_ok = false;
        return "";
    }
    const char* p = m_body + m_pos + 5;
    m_pos += 5 + len;
    *length = len;
    return p;
}

std::string WireReader::readBytes() {
    std::size_t len = 0;
    const char* p = readView(&len);
    return std::string(p, len);
}

} // namespace kvabwire
