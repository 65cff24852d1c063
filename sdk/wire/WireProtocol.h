// Message numbers and limits shared by the SDK library and the camera simulator (see sdk/PROTOCOL.md).
#pragma once

#include <cstdint>

namespace kvabwire {

constexpr std::uint32_t kMagic = 0x4B564231; // "KVB1", first field of Hello
constexpr std::uint32_t kMaxFrame = 4u * 1024u * 1024u;
constexpr int kHeaderSize = 12; // u32 length, u8 type, u8 flags, u16 op, u32 seq

enum class Type : std::uint8_t { Request = 1, Reply = 2, Event = 3 };

enum class Op : std::uint16_t {
    Hello = 1,
    LanRefresh = 2,
    Login = 3,
    RegionMon = 4,
    Logout = 5,
    DevStatus = 6,
    DevStatusEx = 7,
    SetAccessPwd = 8,
    Call = 9,
    CloseCall = 10,
    AudioData = 11,
    SendData = 12,
    GetInfo = 13,
    SetInfo = 14,
    SysInfo = 15,
    SetSysInfo = 16,
    SetWifi = 17,
    SetDevIp = 18,
    WifiSurvey = 19,
    SetEmail = 20,
    FormatSd = 21,
    SdList = 22,
    SdDownload = 23,

    EvSystem = 100,
    EvLan = 101,
    EvVideo = 102,
    EvAudio = 103,
    EvAlarm = 104,
    EvWifi = 105,
    EvSdFile = 106,
    EvSdData = 107,
};

// Path field of requests that name a camera.
constexpr int kPathLan = 1;
constexpr int kPathWan = 2;

} // namespace kvabwire
