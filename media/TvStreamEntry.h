#pragma once

#include <cstdint>

class TvPacketSink;

// Turns the SDK's video and audio stream packets into media objects and hands them to a sink.
class TvStreamEntry {
public:
    // Offset of the first start code (00 00 00 01 or 00 00 01): 0 when the payload starts with one or has
    // none.
    static int startCodeOffset(const uint8_t* payload, int length);

    // A video packet of a call: leading bytes in front of the first start code are dropped and the
    // object gets the nominal size 1920 x 1080. Invalid objects are freed, not delivered.
    static void videoPacket(TvPacketSink& sink, const char* callId, const uint8_t* payload, int length);

    // An audio block: delivered with no call identity.
    static void audioPacket(TvPacketSink& sink, const uint8_t* payload, int length);
};
