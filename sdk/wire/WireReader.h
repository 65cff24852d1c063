#pragma once

#include "WireProtocol.h"

#include <cstdint>
#include <string>

namespace kvabwire {

// Reads one received frame (without its length field). Any out-of-bounds or mistyped field turns the
// reader bad; later reads then return 0 or empty, so callers check ok() once at the end.
class WireReader {
public:
    // body points at the byte after the length field; size is the length field's value.
    WireReader(const char* body, std::size_t size);

    bool ok() const { return m_ok; }
    Type type() const { return m_type; }
    Op op() const { return m_op; }
    std::uint32_t seq() const { return m_seq; }
    bool atEnd() const { return m_pos == m_size; }

    std::int32_t readInt();
    std::string readBytes();
    // A view of the next bytes field without copying; valid while the frame lives.
    const char* readView(std::size_t* length);

private:
    std::uint32_t getU32(std::size_t at) const;
    const char* m_body;
    std::size_t m_size;
    std::size_t m_pos = 0;
    bool m_ok = true;
    Type m_type = Type::Request;
    Op m_op = Op::Hello;
    std::uint32_t m_seq = 0;
};

} // namespace kvabwire
