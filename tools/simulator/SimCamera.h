#pragma once

#include "SimPtz.h"
#include "SimTalkMeter.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One simulated camera's identity and parameter state, with the record texts it answers and the
// writes it accepts. Pure state: the server decides reachability, timing and delivery.
class SimCamera {
public:
    struct SdFile {
        std::string name;
        int id;
        int seconds;
    };
    struct Report { // alarm-channel answer to a data-channel command
        int command;
        std::string text;
        int flag;
    };

    SimCamera(std::string id, bool lan, bool cloud);

    const std::string& id() const { return m_id; }
    bool lan() const { return m_lan; }
    bool cloud() const { return m_cloud; }
    std::string flagText() const { return "IPC-Q1"; }
    std::string audioType() const { return "G711"; }

    bool online = true; // reachable at all (cloud online, on the LAN)
    bool rebooting = false;
    std::uint32_t bootToken = 1;
    std::string accessPassword = "123456";

    // Faults, set through the control interface.
    std::int64_t stallUntilMs = 0; // steady-clock ms; -1 stalls until cleared
    int corruptFrames = 0;
    int truncateFrames = 0;
    int garbageFrames = 0; // bytes in front of the first start code
    bool surveyFails = false;
    bool surveyEmpty = false;
    std::string surveyText; // the survey's answer when set, instead of the built-in networks

    // Writes received (selectors, records and the SD format alike), for the control's "writes".
    std::int64_t writes = 0;

    std::int64_t talkBlocks = 0;
    // Listening latency probe: once armed, listening calls carry silence, and the next block is a loud
    // 1 kHz burst whose sending time (steady clock, microseconds) is kept.
    bool burstMode = false;
    bool burstArmed = false;
    std::int64_t burstSentUs = 0;
    std::int64_t talkBytes = 0;
    SimTalkMeter talkMeter;

    int frameRate() const { return m_rate; }
    int brightness() const { return m_bri; }
    int contrast() const { return m_con; }
    int saturation() const { return m_sat; }
    int bitRateKbps() const { return m_stream; }
    bool sdMainStream() const { return m_sdStream == 0; }

    // GetLanSysInfo reply for a selector; false for an unknown selector.
    bool sysInfo(int selector, std::string* reply) const;
    // vmoSetLANInfo / vmoSetWANInfo. Returns 0, or -1 for an unknown selector or a value out of range.
    // 109, 110 and 111 are the server's (reset, reboot, upgrade) and only validated here.
    int setSelector(int selector, int value, int extra);
    int setSdRecord(const std::string& record);
    int setWifi(int flag, int open, const std::string& record);
    int setIp(int kind, const std::string& record);
    int setEmail(const std::string& record);
    void formatSd();
    void factoryReset();
    // Data-channel command; -1 when not understood. Answers go to reports.
    int dataCommand(const std::string& text, std::vector<Report>* reports);
    std::string surveyReply() const;
    const SimPtz& ptz() const { return m_ptz; }
    static std::int64_t nowMs();

    const std::vector<SdFile>& sdFiles() const { return m_files; }
    const SdFile* findFile(const std::string& name) const;

    static std::map<std::string, std::string> parseRecord(const std::string& record);

private:
    void defaults();
    void netReports(std::vector<Report>* reports, int only) const;

    std::string m_id;
    bool m_lan;
    bool m_cloud;
    int m_index = 0; // address and MAC suffix

    // video
    int m_sat, m_con, m_bri, m_sha, m_enc, m_rate, m_stream, m_frequency, m_sens, m_audioAlarm, m_irOpen,
        m_pirAlarm, m_cbrVbr, m_speed, m_hue, m_exposure;
    // wired
    int m_ipFlag;
    std::string m_ip, m_mask, m_gateway, m_dns, m_mac;
    // wireless
    int m_wifiOpen, m_wifiFlag;
    std::string m_wifiSid, m_wifiSecurity, m_wifiPswd, m_wifiIp, m_wifiMask, m_wifiGateway, m_wifiDns,
        m_wifiMac;
    // e-mail
    int m_senc, m_port, m_count, m_ioin, m_sderror, m_sdmove, m_entype;
    std::string m_sedemail, m_reemail, m_smtpser, m_user, m_pwd, m_emailinfo;
    // SD card
    int m_move, m_outmove, m_auto, m_loopwr, m_splite, m_size, m_use, m_audio, m_sdStream;
    // ONVIF and network options
    int m_onvif, m_onvifAudio;
    int m_prefer4G, m_hotspot, m_switch1, m_switch2;
    std::string m_hotspotSsid, m_hotspotPwd, m_upgradeUrl;
    int m_wifiFlagCmd;
    // PTZ
    SimPtz m_ptz;

    std::vector<SdFile> m_files;
};
