#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

struct AVCodecContext;
struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const;
};
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextDeleter>;

struct ClipKey {
    std::string camera;
    int width;
    int height;
    int rate;
    int kbps;
    int seconds;
    bool operator<(const ClipKey& o) const {
        return std::tie(camera, width, height, rate, kbps, seconds) <
               std::tie(o.camera, o.width, o.height, o.rate, o.kbps, o.seconds);
    }
};

struct ClipFrame {
    std::string data; // Annex B, 4-byte start codes; key frames begin SPS, PPS, IDR
    bool key;
};

struct Clip {
    ClipKey key;
    std::vector<ClipFrame> frames;
    std::size_t bytes = 0;
};

// Encodes one looping clip of the test picture with libx264: a key frame every two seconds with SPS and
// PPS in front of every IDR, no SEI or AUD, so the loop seam is clean.
class ClipEncoder {
public:
    static std::shared_ptr<Clip> encode(const ClipKey& key, std::string* error);
    // An open libx264 encoder with the clip's size, rate, bit rate and key frame spacing (ultrafast,
    // zero latency: one packet out per picture in).
    static CodecContextPtr open(const ClipKey& key, std::string* error);
    // The stream's name line in the picture.
    static std::string label(const ClipKey& key);
    // One encoder packet as a clip frame: SEI and AUD dropped, a 4-byte start code before each unit.
    static ClipFrame repack(const std::uint8_t* data, int size);
};
