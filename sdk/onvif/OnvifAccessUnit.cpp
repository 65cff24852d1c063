#include "OnvifAccessUnit.h"

namespace pcq {

namespace {
const char kStartCode[4] = {0, 0, 0, 1};
int nalType(const std::string& nal) {
    return nal.empty() ? -1 : static_cast<std::uint8_t>(nal[0]) & 0x1F;
}
} // namespace

std::vector<std::string> OnvifAccessUnit::split(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> out;
    std::size_t i = 0, start = std::string::npos;
    while (i + 3 <= size) {
        if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1) {
            if (start != std::string::npos) {
                std::size_t end = i;
                while (end > start && data[end - 1] == 0)
                    --end; // the zero of a four-byte start code, or trailing zeros
                if (end > start)
                    out.emplace_back(reinterpret_cast<const char*>(data + start), end - start);
            }
            i += 3;
            start = i;
        } else {
            ++i;
        }
    }
    if (start != std::string::npos && start < size)
        out.emplace_back(reinterpret_cast<const char*>(data + start), size - start);
    return out;
}

void OnvifAccessUnit::setParameterSets(const std::uint8_t* data, std::size_t size) {
    m_sdpSps.clear();
    m_sdpPps.clear();
    for (const std::string& nal : split(data, size)) {
        if (nalType(nal) == 7)
            m_sdpSps = nal;
        else if (nalType(nal) == 8)
            m_sdpPps = nal;
    }
}

bool OnvifAccessUnit::push(const std::uint8_t* data, std::size_t size, std::string* out, bool* key) {
    bool picture = false;
    for (std::string& nal : split(data, size)) {
        const int type = nalType(nal);
        if (type == 7)
            m_sps = nal;
        else if (type == 8)
            m_pps = nal;
        picture |= type >= 1 && type <= 5;
        m_pending.push_back(std::move(nal));
    }
    return picture && flush(out, key);
}

bool OnvifAccessUnit::flush(std::string* out, bool* key) {
    if (m_pending.empty())
        return false;
    bool idr = false;
    for (const std::string& nal : m_pending)
        idr |= nalType(nal) == 5;
    out->clear();
    auto append = [out](const std::string& nal) {
        if (nal.empty())
            return;
        out->append(kStartCode, sizeof kStartCode);
        out->append(nal);
    };
    // A key frame opens with SPS and PPS (its own, else the last seen, else the session's): that is how
    // the client recognises it. Delimiters carry nothing the decoder needs and would stand in front.
    if (idr) {
        append(m_sps.empty() ? m_sdpSps : m_sps);
        append(m_pps.empty() ? m_sdpPps : m_pps);
    }
    for (const std::string& nal : m_pending) {
        const int type = nalType(nal);
        if (type != 9 && !(idr && (type == 7 || type == 8)))
            append(nal);
    }
    m_pending.clear();
    *key = idr;
    return true;
}

} // namespace pcq
