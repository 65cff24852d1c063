/*
 * pcQuorvane: the device SDK through which the client reaches cameras on the local network and the
 * cloud service. Plain C entry points, callbacks with the caller's context pointer first.
 *
 * - Texts are NUL-terminated UTF-8. A camera is named by its device id (cloud path) or by the 32-bit
 *   handle `nxid` that the LAN discovery report gave it (LAN path).
 * - A negative result is a failure (see PCQ_ERR_*). Most answers arrive later through callbacks.
 * - Callbacks run on the library's own threads, never on the caller's thread, never after their
 *   registration was replaced by null arguments (the replacing call waits for a callback in flight,
 *   unless it is made from inside a callback), and never while the library shuts down.
 * - Reply buffers have fixed sizes (PCQ_RECORD_SIZE, PCQ_CALL_ID_SIZE, PCQ_MD5_SIZE); the library
 *   always writes within them and always leaves a terminating NUL.
 */
#ifndef PCQUORVANE_H
#define PCQUORVANE_H

#if defined(_WIN32)
#define PCQ_API __declspec(dllexport)
#else
#define PCQ_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define PCQ_OK 0
#define PCQ_ERR_FAILED (-1)     /* refused: unknown camera or handle, offline, not logged in, bad state */
#define PCQ_ERR_NO_SERVICE (-2) /* the camera service cannot be reached */
#define PCQ_ERR_TIMEOUT (-3)    /* no answer in time */
#define PCQ_ERR_PROTOCOL (-4)   /* malformed answer */
#define PCQ_ERR_ARGUMENT (-5)   /* null or oversized argument */

/* Buffer sizes the caller hands in. */
#define PCQ_RECORD_SIZE 1024 /* GetLanSysInfo reply */
#define PCQ_CALL_ID_SIZE 64  /* call identity of vmo*Calling, DoLanDowSdData, DoMonDowSdData */
#define PCQ_MD5_SIZE 128     /* vmoConversionMD5 output */

/* Call kinds and streams of vmoLANCalling / vmoWANCalling. */
#define PCQ_CALL_VIDEO 1
#define PCQ_CALL_LISTEN 2
#define PCQ_CALL_TALK 3
#define PCQ_STREAM_MAIN 1
#define PCQ_STREAM_SUB 0

/* Waits of the device side, one place for the library and its callers (sdk/PROTOCOL.md): a request
 * waits PCQ_DEFAULT_REQUEST_TIMEOUT_MS for its own reply (then PCQ_ERR_TIMEOUT: sent, outcome unknown,
 * its answer may still follow); a caller waits pcq_AnswerWaitMs() from the request for an answer that
 * follows as an event (login 0/1, registration 101, password change 115), and half of it for a Wi-Fi
 * survey. Both can be changed through the environment; the answer wait is always at least twice the
 * request wait. */
#define PCQ_DEFAULT_REQUEST_TIMEOUT_MS 3000
#define PCQ_DEFAULT_ANSWER_WAIT_MS 20000

/* Longest text argument, its NUL included; longer texts are refused with PCQ_ERR_ARGUMENT. */
#define PCQ_TEXT_SIZE 4096

/* Selector numbers, shared by the client and the camera service. */
enum pcqSelector {
    /* vmoGetLANInfo / vmoGetWANInfo / GetWanSysDevInfo: parameter sets fetched into the library. */
    PCQ_SEL_PARAMS = 0,
    PCQ_SEL_PARAMS_EXTRA = 207,
    /* vmoSetLANInfo / vmoSetWANInfo: pan, tilt and optical zoom (value 0). */
    PCQ_SEL_PTZ_UP = 1,
    PCQ_SEL_PTZ_DOWN = 2,
    PCQ_SEL_PTZ_LEFT = 3,
    PCQ_SEL_PTZ_RIGHT = 4,
    PCQ_SEL_ZOOM_IN = 5,
    PCQ_SEL_ZOOM_OUT = 6,
    PCQ_SEL_PTZ_STOP = 7,
    PCQ_SEL_CRUISE = 60,     /* 1 horizontal, 2 vertical, 3 all; the camera toggles */
    PCQ_SEL_FLIP = 61,       /* toggles */
    PCQ_SEL_MIRROR = 62,     /* toggles */
    PCQ_SEL_PRESET_GO = 63,  /* 1..8 */
    PCQ_SEL_PRESET_SET = 64, /* 1..8 */
    /* vmoSetLANInfo / vmoSetWANInfo: video parameters. */
    PCQ_SEL_BRIGHTNESS = 50, /* 1..63 */
    PCQ_SEL_CONTRAST = 52,   /* 1..63 */
    PCQ_SEL_SATURATION = 53, /* 1..63 */
    PCQ_SEL_BIT_RATE = 54,   /* 128..2048 kbit/s */
    PCQ_SEL_FRAME_RATE = 57, /* 1..30 */
    PCQ_SEL_MOTION = 59,     /* 0 high .. 3 off */
    PCQ_SEL_SHARPNESS = 67,  /* 1..63 */
    PCQ_SEL_FREQUENCY = 70,  /* 50 or 60 */
    PCQ_SEL_BIT_RATE_MODE = 106,
    PCQ_SEL_SOUND_ALARM = 112,
    PCQ_SEL_PIR = 113,
    PCQ_SEL_IR_CUT = 114, /* value 2, state in extra */
    PCQ_SEL_ONVIF = 115,  /* ONVIF in value, ONVIF audio in extra */
    /* vmoSetLANInfo / vmoSetWANInfo: commands. */
    PCQ_SEL_FACTORY_RESET = 109,
    PCQ_SEL_REBOOT = 110,
    PCQ_SEL_FIRMWARE = 111,
    PCQ_SEL_STREAM_START = 116,
    /* SetLanSysInfo / SetWanSysInfo (and GetWanSysDevInfo): the SD record. */
    PCQ_SEL_SD_RECORD = 108,
    /* GetLanSysInfo: records. */
    PCQ_SEL_REC_NETWORK = 201,
    PCQ_SEL_REC_SD = 202,
    PCQ_SEL_REC_VIDEO = 203,
    PCQ_SEL_REC_WIFI = 204,
    PCQ_SEL_REC_DEVICE = 205,
    PCQ_SEL_REC_EMAIL = 208,
    PCQ_SEL_REC_ONVIF = 209
};

/* End marker of an SD download, passed as the data callback's length. */
#define PCQ_SD_END_OF_FILE (-110)

/* One video access unit of a call: H.264 Annex B, every NAL unit after a 00 00 00 01 start code;
 * a key frame carries SPS and PPS before its IDR slice. Valid only during the callback. */
typedef struct nxVideoFrame {
    const char* callId;        /* the identity the call returned */
    int frameInfo;             /* 1 key frame, 0 other; the client does not read it */
    const unsigned char* data; /* payload */
    int length;                /* payload bytes */
} nxVideoFrame;

/* System events: 0 login accepted, 1 wrong password, 3 connection lost (log out), 101 monitor
 * registration ("1" = success), 104 camera online (text: device id), 105/106 cloud call progress
 * ("devid=%s;flag=%d;"), 108 camera offline (device id), 115 access password change ("1" = success),
 * 119 device info record. */
typedef void (*nxSystemCallback)(void* context, int command, const char* text, int length);

/* LAN discovery report: device id, flag text, handle, two values (port, online), audio type text. */
typedef void (*nxLanDeviceCallback)(void* context, const char* deviceId, const char* flag, int nxid,
                                    int value1, int value2, const char* audioType);

typedef void (*nxVideoCallback)(void* context, const nxVideoFrame* frame);

/* G.711 A-law, 8 kHz mono blocks of a listening call; value is the block's sequence number. */
typedef void (*nxAudioCallback)(void* context, int value, const unsigned char* data, int length);

/* Alarm channel: 107 motion, 302 IO (text "devid;...", flag 0 motion / 1 IO), 2001..2006 answers to
 * data-channel commands (text "devid" or, for 2004, "devid;ssid"; flag the reported state). */
typedef void (*nxAlarmCallback)(void* context, int command, const char* text, int flag, int value);

/* Wi-Fi survey reply: "sid=NAME;...;signal=N" entries separated by ':'; length 0 or -1 on failure. */
typedef void (*nxWifiSidCallback)(void* context, const char* buffer, int length);

/* SD file list, one call per file: number within the page, "name=...;id=...;size=...;", and
 * lastFlag 0 on the page's final entry (1 while more follow). */
typedef void (*nxSdFileCallback)(void* context, int number, const char* entry, int lastFlag);

/* SD download data: sequence, one H.264 access unit, its length (PCQ_SD_END_OF_FILE at the end),
 * resolution code (4 = 640x360, 0 = 1920x1080), encoding (1 = H.264), reserved, frame type
 * (2 key frame, 1 other). */
typedef void (*nxSdDataCallback)(void* context, int sequence, const unsigned char* data, int length,
                                 short resolution, short encoding, short reserved, short frameType);

/* Milliseconds a caller waits for an answer that follows as an event (see above). */
PCQ_API int pcq_AnswerWaitMs(void);

/* Registration; two null arguments remove a registration. */
PCQ_API int nx_InitLAN(void* context, nxLanDeviceCallback callback);
PCQ_API int vmoInitModel(void* context, nxSystemCallback callback);
PCQ_API int nx_InitVideo(void* context, nxVideoCallback callback);
PCQ_API int nx_InitAudio(void* context, nxAudioCallback callback);
PCQ_API int InitGetWifiSid(void* context, nxWifiSidCallback callback);
PCQ_API int InitAlarmInfo(void* context, nxAlarmCallback callback);
PCQ_API int InitSdFile(void* context, nxSdFileCallback callback);
PCQ_API int nx_InitSdData(void* context, nxSdDataCallback callback);

/* Cloud login and status. */
PCQ_API int vmoLogin_EX(const char* user, const char* password, const char* host, int port);
PCQ_API int nx_RegionMonServer(void);
PCQ_API int vmoLogOut(void);
PCQ_API int vmoGetDevStatus(const char* deviceId);
PCQ_API int vmoGetDevStatus_EX(const char* request, int count);

/* Access password. */
PCQ_API int DoSetAccessPswd_EX(int kind, const char* deviceId, const char* password, int mode, int reserved);
PCQ_API int vmoCheckAccessPwd(const char* local, const char* stored);
PCQ_API int vmoConversionMD5(const char* text, char* output);

/* LAN search. */
PCQ_API int nx_LanRefresh(void);

/* Calls. */
PCQ_API int vmoLANCalling(int kind, int stream, char* callId, int nxid, const char* flag, int reserved);
PCQ_API int vmoWANCalling(int kind, int stream, char* callId, const char* deviceId, const char* flag,
                          int reserved);
PCQ_API int vmoLANCloseCall(const char* callId);
PCQ_API int vmoWANCloseCall(const char* deviceId, const char* callId);
PCQ_API int nx_AudioData(const unsigned char* data, int length, int reserved);

/* Data channel. */
PCQ_API int vmoLanSendData_EX(int nxid, const char* text, int reserved);
PCQ_API int vmoWanSendData_EX(const char* deviceId, const char* text, int reserved);

/* Selectors and records. */
PCQ_API int vmoGetLANInfo(const char* deviceId, int nxid, int selector, int reserved);
PCQ_API int vmoGetWANInfo(const char* deviceId, int selector, int reserved);
PCQ_API int vmoSetLANInfo(const char* deviceId, int nxid, int selector, int value, int extra);
PCQ_API int vmoSetWANInfo(const char* deviceId, int selector, int value, int extra);
PCQ_API int GetWanSysDevInfo(const char* deviceId, int selector);
PCQ_API int GetLanSysInfo(char* buffer, int selector, const char* deviceId);
PCQ_API int SetLanSysInfo(int nxid, int selector, const char* record, int reserved);
PCQ_API int SetWanSysInfo(int selector, const char* deviceId, const char* record, int reserved);
PCQ_API int SetLanWifi(int flag, int open, int nxid, const char* record);
PCQ_API int SetLanDevIP(int kind, int nxid, const char* record);
PCQ_API int DoLanGetWifiSid(int nxid, const char* mac, int reserved);
PCQ_API int nx_DoLocalMonSetAlarmEmail(int nxid, const char* deviceId, const char* record, int reserved);
PCQ_API int nx_DoMonSetAlarmEmail(const char* deviceId, const char* record, int reserved);
PCQ_API int DoLocalMonFormatSD(int nxid, int reserved);

/* SD card recordings. */
PCQ_API int DoLanReadSdData(int nxid, int page, int pageSize, int reserved);
PCQ_API int DoMonSDReadData(const char* deviceId, int page, int pageSize, int reserved);
PCQ_API int DoLanDowSdData(char* callId, int nxid, const char* name, int reserved);
PCQ_API int DoMonDowSdData(char* callId, const char* deviceId, const char* name, int reserved);

#ifdef __cplusplus
}
#endif

#endif /* PCQUORVANE_H */
