#include "WireWriter.h"

#include <cstring>

namespace kvabwire {

WireWriter::WireWriter(Type type, Op op, std::uint32_t seq) {
    m_buf.reserve(64);
    putU32(0);
    m_buf.push_back(static_cast<char>(type));
    m_buf.push_back(0);
    const auto o = static_cast<std::uint16_t>(op);
    m_buf.push_back(static_cast<char>(o & 0xFF));
    m_buf.push_back(static_cast<char>(o >> 8));
    putU32(seq);
}

void WireWriter::putU32(std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        m_buf.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void WireWriter::setSeq(std::uint32_t seq) {
    for (int i = 0; i < 4; ++i)
        m_buf[8 + i] = static_cast<char>((seq >> (8 * i)) & 0xFF);
}

WireWriter& WireWriter::addInt(std::int32_t value) {
    m_buf.push_back('i');
    putU32(static_cast<std::uint32_t>(value));
    return *this;
}

WireWriter& WireWriter::addText(const char* text) {
    return addBytes(text ? text : "", text ? std::strlen(text) : 0);
}

WireWriter& WireWriter::addBytes(const void* data, std::size_t length) {
    m_buf.push_back('s');
    putU32(static_cast<std::uint32_t>(length));
    if (length > 0)
        m_buf.append(static_cast<const char*>(data), length);
    return *this;
}

const std::string& WireWriter::frame() {
    const auto len = static_cast<std::uint32_t>(m_buf.size() - 4);
    for (int i = 0; i < 4; ++i)
        m_buf[i] = static_cast<char>((len >> (8 * i)) & 0xFF);
    return m_buf;
}

} // namespace kvabwire
