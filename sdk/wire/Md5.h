#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kvabwire {

// RFC 1321 MD5; the access passwords travel as its lowercase hex text.
class Md5 {
public:
    static std::string hex(const std::string& data);

private:
    Md5();
    void update(const unsigned char* data, std::size_t length);
    void finish(unsigned char digest[16]);
    void transform(const unsigned char block[64]);

    std::uint32_t m_state[4];
    std::uint64_t m_bytes = 0;
    unsigned char m_block[64];
};

} // namespace kvabwire
