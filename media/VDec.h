#pragma once

#include <cstdint>
#include <memory>

struct AVFrame;

// Set-up of a video decoder: stream type 11 MPEG-4 Part 2, 12 Motion JPEG, anything else H.264.
struct VDecSetup {
    int streamType = 10;
    int reserved = 0;
    int width = 0;
    int height = 0;
};

// One decode call. width/height go in as the nominal size and come out as the decoded size.
struct VDecFrame {
    const uint8_t* payload = nullptr; // in; AV_INPUT_BUFFER_PADDING_SIZE readable zero bytes past length
    const uint8_t* picture = nullptr; // out: planar YUV 4:2:0 (TvYuvLayout), owned by the decoder
    // out: the same picture as the decoder gave it (planes with their strides, in the decoder's YUV format),
    // valid until the next call; TvPicture::reference keeps it without copying.
    const AVFrame* decoded = nullptr;
    // in: also copy the picture into the packed buffer behind `picture`. The live path turns this off and
    // takes `decoded` by reference: no copy and no buffer of the nominal size then. The same for every call
    // of one decoder.
    bool packed = true;
    int length = 0;
    int reserved = 0;
    int width = 0;
    int height = 0;
    int damaged = 0; // out: pictures of this call that the decoder had to conceal errors in
};

// Video decoder on libavcodec's send/receive API, giving planar YUV 4:2:0 pictures.
class VDec {
public:
    // Null when the decoder cannot be made (the reason goes to standard error).
    static std::unique_ptr<VDec> create(const VDecSetup& setup);
    virtual ~VDec();

    // A damaged picture is shown only when no clean one came for this long: it replaces a good picture
    // with concealment, but a stream whose every picture is damaged must not stay black.
    static constexpr int kConcealAfterMs = 1000;

    // Bytes consumed (> 0) when a picture came out; -1 without a picture; a negative FFmpeg code on error.
    int decode(VDecFrame& frame);

    // Capacity of the picture buffer: width x height x 3 of the nominal size, or of a larger picture.
    long long bufferSize() const;

private:
    VDec();
    struct State;
    std::unique_ptr<State> d;
};
