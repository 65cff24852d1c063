#pragma once

#include "WireProtocol.h"

#include <cstdint>
#include <string>

namespace kvabwire {

// Builds one framed message: header, then tagged fields ('i' int32, 's' length-prefixed bytes).
class WireWriter {
public:
    WireWriter(Type type, Op op, std::uint32_t seq);

    void setSeq(std::uint32_t seq);

    WireWriter& addInt(std::int32_t value);
    WireWriter& addText(const char* text); // null becomes empty
    WireWriter& addBytes(const void* data, std::size_t length);
    WireWriter& addBytes(const std::string& bytes) { return addBytes(bytes.data(), bytes.size()); }

    // The complete frame with its length field filled in.
    const std::string& frame();

private:
    void putU32(std::uint32_t value);
    std::string m_buf;
};

} // namespace kvabwire
