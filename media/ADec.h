#pragma once

#include <cstdint>
#include <memory>

// Set-up of an audio decoder: codec type 0 G.711 A-law, 1 G.711 mu-law, anything else G.726 (5-bit codes).
struct ADecSetup {
    int codecType = 0;
    int channels = 1;
    int sampleRate = 8000;
    int frameSize = 1280;
};

// One decode call.
struct ADecFrame {
    const uint8_t* payload = nullptr; // in; AV_INPUT_BUFFER_PADDING_SIZE readable zero bytes past length
    int length = 0;                   // in
    const uint8_t* pcm = nullptr;     // out: interleaved signed 16-bit, owned by the decoder
    int pcmBytes = 0;                 // out
};

// Audio decoder on libavcodec's send/receive API, repacking to interleaved signed 16-bit PCM.
class ADec {
public:
    // Null when the decoder cannot be made (the reason goes to standard error).
    static std::unique_ptr<ADec> create(const ADecSetup& setup);
    virtual ~ADec();

    // Samples per channel converted; 0 when no frame came out (output left alone); negative on error.
    int decode(ADecFrame& frame);

private:
    ADec();
    struct State;
    std::unique_ptr<State> d;
};
