#pragma once

#include <cstdint>
#include <vector>

// NAL units of an H.264 Annex B buffer. Encoders use both the four-byte start code 00 00 00 01 and the
// three-byte 00 00 01; every scan here accepts either.
class TvNalUnits {
public:
    struct Unit {
        int start = 0;  // first byte of the start code
        int header = 0; // the NAL header byte
        int end = 0;    // one past the unit (the next start code or the end of the buffer)
        int type = 0;   // header & 0x1F: 7 SPS, 8 PPS, 5 IDR slice, 1 other slice
    };

    // What an access unit holds up to its first slice.
    struct Summary {
        bool sps = false;
        bool pps = false;
        bool slice = false; // any slice
        bool idr = false;   // the first slice is an IDR slice
    };

    // untilSlice: stop at the first slice (its end is then the end of the buffer); what comes in front of
    // it is all a recorder needs, and slices are most of the bytes.
    static std::vector<Unit> scan(const uint8_t* data, int length, bool untilSlice = false);
    static Summary summarize(const uint8_t* data, int length);
    // Start of the first unit of the type up to the first slice, or -1.
    static int find(const uint8_t* data, int length, int type);
    // Type of the first unit, or -1 when the buffer does not begin with a start code.
    static int firstType(const uint8_t* data, int length);
    // The sequence and picture parameter sets in front of the first slice, with their start codes.
    static std::vector<uint8_t> parameterSets(const uint8_t* data, int length);
};
