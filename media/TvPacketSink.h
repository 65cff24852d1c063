#pragma once

#include <memory>

class TvMediaObject;

// Receiver of the media objects built from the SDK's stream callbacks (the main window's stream entry).
// Runs on the SDK's callback thread; the sink owns the object from here on and frees it when it drops it.
class TvPacketSink {
public:
    virtual ~TvPacketSink() = default;
    // callId: the call identity of a video packet (NUL-terminated), null for audio.
    virtual void deliverPacket(const char* callId, std::unique_ptr<TvMediaObject> object) = 0;
};
