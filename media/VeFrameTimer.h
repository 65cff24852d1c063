#pragma once

#include <cstdint>
#include <deque>

// Decode and presentation times of a recorded H.264 stream. Frames come in decode order with their
// arrival time and picture order count. The decode time is the arrival time (kept strictly rising); the
// k-th picture of a group in presentation order is shown at the decode time of the frame `reorder`
// places after the group's k-th frame, where `reorder` is the largest distance any picture is shown ahead
// of its decode position. So B-frames get presentation times in picture order, every presentation time
// is at or after its decode time, and presentation times rise from group to group.
class VeFrameTimer {
public:
    // Frame length where no arrival time is known: 15 frames per second.
    static constexpr int64_t kDefaultFrameUs = 66666;
    // A group longer than this is closed without waiting for its IDR (streams with no IDR at all).
    static constexpr int kMaxGroup = 300;

    struct Stamp {
        int64_t pts = 0; // microseconds from the first frame's decode time
        int64_t dts = 0;
        int64_t duration = 0;
    };

    // Frame length for frames whose arrival time is unknown (a stream's own rate, when it gives one).
    void setFrameUs(int64_t frameUs) { m_frameUs = frameUs > 0 ? frameUs : kDefaultFrameUs; }
    // arrivalUs <= 0: unknown (the frame follows the last at the frame length). poc < 0:
    // unknown (shown in decode order). idr: the frame starts a new group (its order count restarts).
    void add(int64_t arrivalUs, int poc, bool idr);
    // No more frames: every frame becomes ready, the last ones extrapolated at the mean frame length.
    void finish();
    // Frames at the front (decode order) whose times are final.
    int ready() const;
    // Times of the front frame; only when ready() > 0.
    Stamp take();
    int pending() const { return int(m_frames.size()); }

private:
    struct Frame {
        int64_t dts = 0;
        int poc = 0;
        int64_t ptsIndex = -1; // global decode index whose time is this frame's presentation time
    };
    void closeGroup();
    int64_t dtsAt(int64_t index) const;
    int64_t meanFrameUs() const;

    std::deque<Frame> m_frames;
    int64_t m_frontIndex = 0; // global decode index of m_frames.front()
    int64_t m_groupStart = 0; // global decode index of the open group's first frame
    int64_t m_count = 0;      // frames added
    int64_t m_origin = 0;
    bool m_hasOrigin = false;
    int64_t m_firstDts = 0;
    int64_t m_lastDts = 0;
    int m_reorder = 0;
    bool m_finished = false;
    int64_t m_frameUs = kDefaultFrameUs;
};
