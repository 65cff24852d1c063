#pragma once

#include "ClipEncoder.h"
#include "TestPattern.h"

#include <cstdint>
#include <memory>
#include <string>

struct AVFrame;
struct AVPacket;

// Encodes a call's test picture picture by picture with the head's state drawn in, for a camera whose
// head is away from home (the looping clip shows the home view). Same size, rate and profile as the clip.
class LiveEncoder {
public:
    // Null after writing the reason into `error`.
    static std::unique_ptr<LiveEncoder> create(const ClipKey& key, std::string* error);
    LiveEncoder() = default;
    ~LiveEncoder();

    // The next picture (number `frameNo` of the call) as one frame; `key` forces a key frame. False when
    // the encoder failed or gave nothing back.
    bool encode(std::int64_t frameNo, const HeadView& head, bool key, ClipFrame* out);

private:
    struct FrameDeleter {
        void operator()(AVFrame* f) const;
    };
    struct PacketDeleter {
        void operator()(AVPacket* p) const;
    };

    ClipKey m_key{};
    std::string m_label;
    CodecContextPtr m_ctx;
    std::unique_ptr<AVFrame, FrameDeleter> m_frame;
    std::unique_ptr<AVPacket, PacketDeleter> m_packet;
    std::int64_t m_pts = 0;
};
