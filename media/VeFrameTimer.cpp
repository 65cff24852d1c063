#include "VeFrameTimer.h"

#include <algorithm>
#include <vector>

namespace {
// Arrivals in one burst still get distinct, rising decode times.
constexpr int64_t kMinStepUs = 1000;
} // namespace

void VeFrameTimer::add(int64_t arrivalUs, int poc, bool idr) {
    if (m_finished)
        return;
    if ((idr && m_count > m_groupStart) || m_count - m_groupStart >= kMaxGroup)
        closeGroup();
    Frame frame;
    if (m_count == 0) {
        m_hasOrigin = arrivalUs > 0;
        m_origin = m_hasOrigin ? arrivalUs : 0;
        frame.dts = 0;
        m_firstDts = 0;
    } else {
        int64_t dts = m_lastDts + m_frameUs;
        if (arrivalUs > 0) {
            if (!m_hasOrigin) {
                // The first times were unknown: anchor the clock so that this frame follows them.
                m_origin = arrivalUs - dts;
                m_hasOrigin = true;
            }
            dts = arrivalUs - m_origin;
        }
        frame.dts = std::max(dts, m_lastDts + kMinStepUs);
    }
    frame.poc = poc < 0 ? int(m_count - m_groupStart) : poc;
    m_lastDts = frame.dts;
    m_frames.push_back(frame);
    ++m_count;
}

void VeFrameTimer::closeGroup() {
    const int64_t size = m_count - m_groupStart;
    if (size <= 0)
        return;
    const size_t first = size_t(m_groupStart - m_frontIndex);
    std::vector<int> order(static_cast<size_t>(size));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return m_frames[first + size_t(a)].poc < m_frames[first + size_t(b)].poc;
    });
    // order[rank] = decode position of the picture shown rank-th.
    for (size_t rank = 0; rank < order.size(); ++rank)
        m_reorder = std::max(m_reorder, order[rank] - int(rank));
    for (size_t rank = 0; rank < order.size(); ++rank)
        m_frames[first + size_t(order[rank])].ptsIndex = m_groupStart + int64_t(rank) + m_reorder;
    m_groupStart = m_count;
}

void VeFrameTimer::finish() {
    closeGroup();
    m_finished = true;
}

int64_t VeFrameTimer::meanFrameUs() const {
    if (m_count < 2)
        return m_frameUs;
    return std::max<int64_t>(kMinStepUs, (m_lastDts - m_firstDts) / (m_count - 1));
}

int64_t VeFrameTimer::dtsAt(int64_t index) const {
    const int64_t last = m_frontIndex + int64_t(m_frames.size()) - 1;
    if (index <= last)
        return m_frames[size_t(index - m_frontIndex)].dts;
    return m_lastDts + (index - last) * meanFrameUs();
}

int VeFrameTimer::ready() const {
    const int64_t known = m_frontIndex + int64_t(m_frames.size());
    int count = 0;
    for (const Frame& frame : m_frames) {
        if (frame.ptsIndex < 0 || (!m_finished && frame.ptsIndex + 1 >= known))
            break;
        ++count;
    }
    return count;
}

VeFrameTimer::Stamp VeFrameTimer::take() {
    Stamp stamp;
    if (m_frames.empty())
        return stamp;
    const Frame& frame = m_frames.front();
    stamp.dts = frame.dts;
    stamp.pts = dtsAt(frame.ptsIndex);
    stamp.duration = m_frames.size() > 1 ? m_frames[1].dts - frame.dts : meanFrameUs();
    m_frames.pop_front();
    ++m_frontIndex;
    return stamp;
}
