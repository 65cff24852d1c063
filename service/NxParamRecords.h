#pragma once

#include <QtGlobal>

// The parameter records that cross the SDK as key=value texts. Plain structures so that the dialogs
// can keep and copy them; every text is NUL-terminated within its array.

// Video parameters (selector 203), in the order the dialogs keep them.
struct VideoParam {
    qint32 sat;
    qint32 con;
    qint32 bri;
    qint32 sha;
    qint32 enc;
    qint32 rate;
    qint32 stream;
    qint32 reserved;
    qint32 frequency;
    qint32 sens;
    qint32 audioalarm;
    qint32 iropen;
    qint32 piralarm;
    qint32 cbrvbr;
};

// Wired network (selector 201).
struct IPInfo {
    qint32 flag; // 1 DHCP, 0 fixed
    char ip[32];
    char gateway[32];
    char mask[32];
    char dns[32];
    char mac[32];
    qint32 status; // 200 = camera logged in to the cloud
    qint32 ver;
};

// Wireless network (selector 204).
struct WiFiInfo {
    qint32 flag; // 1 DHCP, 0 fixed
    qint32 open; // 1 wireless enabled
    char sid[32];
    char ip[32];
    char gateway[32];
    char mask[32];
    char dns[32];
    char mac[32];
    char pswd[320];     // only written, empty after a read
    char security[320]; // as the camera reports it
};

// The write form of the wireless settings: the WiFiInfo fields from sid on.
struct WiFiConfig {
    char sid[32];
    char ip[32];
    char gateway[32];
    char mask[32];
    char dns[32];
    char mac[32];
    char pswd[320];
    char security[320];
};

// E-mail alarm (selector 208).
struct EmailInfo {
    qint32 senc;
    qint32 count; // alarm pictures attached, 0..3
    qint32 ioin;
    qint32 sdmove;
    qint32 reserved1;
    qint32 port;   // 0 means the default 25
    qint32 entype; // 0 none, 1 SSL, 2 TLS
    qint32 reserved2;
    char sedemail[32];
    char reemail[32];
    char smtpser[32];
    char user[32];
    char pwd[32];
    char emailinfo[32];
};

// SD card (selector 202 to read, 108 to write).
struct SDInfo {
    qint32 autoRecord; // record automatically after power-on; the record key is "auto"
    qint32 audio;
    qint32 loopwr;
    qint32 splite; // file split size, MB
    qint32 size;
    qint32 use;
    qint32 leftsize;
    qint32 move;
    qint32 outmove;
    qint32 stream; // 0 main, 1 sub; written back as "recqc"
};

// The cloud device information record (system command 119).
struct NxDeviceInfoRecord {
    char devid[64];
    char pwd[64];
    qint32 status; // 1 online
    char devtype[64];
    char audiotype[12];
    qint32 count;
};

// Cloud call progress (system commands 105 and 106).
struct NxCallProgressRecord {
    char devid[64];
    qint32 flag;
};
