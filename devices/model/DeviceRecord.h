#pragma once

#include <cstddef>

// The saved form of one camera: 448 bytes, zero-filled, texts without a terminator when they fill
// their field. The saved device list is a plain concatenation of these records.
struct DeviceRecord {
    char deviceId[32];      // ASCII
    char alias[256];        // UTF-8
    char devFlag[16];       // ASCII
    char audioTypeText[16]; // ASCII
    char devAccess[64];     // ASCII
    char userAccess[64];    // ASCII
};

static_assert(sizeof(DeviceRecord) == 448, "the saved device list relies on 448-byte records");
static_assert(offsetof(DeviceRecord, alias) == 32 && offsetof(DeviceRecord, devFlag) == 288 &&
                  offsetof(DeviceRecord, audioTypeText) == 304 && offsetof(DeviceRecord, devAccess) == 320 &&
                  offsetof(DeviceRecord, userAccess) == 384,
              "field offsets are part of the stored format");
