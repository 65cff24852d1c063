#pragma once

#include "ClipCache.h"
#include "LiveEncoder.h"
#include "SimCamera.h"
#include "WireFramer.h"
#include "WireWriter.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace kvabwire {
class WireReader;
}

class SimControl;
class SimMedia;
class SimRequests;

// The camera service: one poll loop that serves SDK connections (the wire protocol of sdk/PROTOCOL.md),
// control connections (one text command per line), and paces every call's media in real time. The
// requests (SimRequests), the media (SimMedia) and the control commands (SimControl) work on the state
// kept here.
class SimServer {
public:
    struct CameraSpec {
        std::string id;
        bool lan;
        bool cloud;
        bool online;
    };
    struct Options {
        int port = 47800;
        int controlPort = -1; // -1: port + 1; 0: any free port
        int cloudPort = -1;   // -1: the SDK port serves the cloud too; 0: any free port
        int clipSeconds = 6;
        int rebootMs = 3000;
        int alarmEverySeconds = 0;
        int surveyDelayMs = 500;
        int sdSpeed = 5; // SD downloads run this many times faster than real time
        std::string account = "tarnveil";
        std::string accountPassword = "tarnveil";
        std::vector<CameraSpec> cameras;
    };

    // Media a session has not read yet beyond which frames are dropped (SD transfers wait instead).
    static constexpr std::size_t kMaxMediaBacklog = 8u * 1024u * 1024u;

    // Answers that follow a request as a system event and can be held back or withheld.
    enum Answer { AnswerLogin, AnswerRegion, AnswerPassword, AnswerCount };

    explicit SimServer(Options options);
    ~SimServer();

    bool listen(std::string* error);
    int port() const { return m_port; }
    int controlPort() const { return m_controlPort; }
    // The port the cloud service listens on: the SDK port unless a cloud port of its own was asked for.
    int cloudPort() const { return m_cloudFd >= 0 ? m_cloudPort : m_port; }
    void run();
    void requestQuit(); // async-signal-safe
    // Executes one control command and returns its one-line answer (also used by the control socket).
    std::string control(const std::string& line);

    // State shared with the request, media and control handlers.
    struct Session {
        int fd = -1;
        std::uint64_t id = 0;
        kvabwire::WireFramer framer;
        std::string out;
        std::size_t outPos = 0;
        bool hello = false;
        bool lan = false;
        bool loggedIn = false;
        // With a cloud port of its own, sessions on the SDK port are the LAN path only and sessions on
        // the cloud port the cloud path only; a request on the wrong one is refused.
        enum Paths { Both, LanOnly, CloudOnly } paths = Both;
        bool registered = false;
        std::set<std::string> watched; // cloud ids whose state changes it hears about
        std::size_t mediaDropped = 0;
        bool dead = false;
    };
    struct ControlClient {
        int fd = -1;
        std::string in;
        std::string out;
        bool dead = false;
    };
    struct Call {
        std::string id;
        std::uint64_t session = 0;
        std::string camera;
        int kind = 0; // 1 video, 2 listen, 3 talk, 4 SD download
        int stream = 0;
        bool wan = false;
        ClipKey key;
        std::shared_ptr<const Clip> clip;
        // Encodes the picture live while the camera's head is away from home.
        std::shared_ptr<LiveEncoder> live;
        bool liveFailed = false;
        std::int64_t startUs = 0;
        std::int64_t frameNo = 0;
        std::int64_t periodUs = 40000;
        bool needKey = false;
        bool finished = false;
        int sdFrames = 0;
        int resolution = 0;
    };
    struct Timer {
        std::int64_t atUs;
        std::function<void()> run;
    };

private:
    friend class SimControl;
    friend class SimMedia;
    friend class SimRequests;

    static std::int64_t nowUs();
    void addCamera(const CameraSpec& spec);
    SimCamera* camera(const std::string& id);
    SimCamera* reachable(Session& s, const std::string& id, int path);
    Session* session(std::uint64_t id);

    void acceptSession(int listenFd, Session::Paths paths);
    void acceptControl();
    void readSession(Session& s);
    void readControl(ControlClient& c);
    void handleFrame(Session& s, const char* body, std::size_t size);
    void answer(Session& s, kvabwire::WireReader& r);
    static bool wrongPath(const Session& s, kvabwire::Op op);
    void queue(Session& s, kvabwire::WireWriter& w, bool media);
    void queueRaw(Session& s, const std::string& bytes);
    void flush(Session& s);
    void closeSession(Session& s);

    void event(Session& s, kvabwire::Op op, const std::function<void(kvabwire::WireWriter&)>& fill,
               bool media = false);
    void systemEvent(Session& s, int command, const std::string& text);
    // A system event that answers a request, as the fault settings of its kind say.
    void answerEvent(Session& s, Answer kind, int command, const std::string& text);
    void lanReport(Session& s, const SimCamera& cam);
    void statusEvents(Session& s, const std::string& id);
    void broadcastCloudState(const SimCamera& cam, bool online);
    void raiseAlarm(SimCamera& cam, bool io);
    void rebootCamera(SimCamera& cam);
    void cameraGone(const std::string& id, bool closeWan);
    void cameraBack(SimCamera& cam);
    ClipKey clipKey(const SimCamera& cam, bool main) const;
    int fileBytes(const SimCamera& cam, const SimCamera::SdFile& file);

    void runTimers(std::int64_t now);
    void after(int ms, std::function<void()> run);

    Options m_opt;
    int m_port = 0;
    int m_controlPort = 0;
    int m_listenFd = -1;
    int m_controlFd = -1;
    int m_cloudPort = 0;
    int m_cloudFd = -1;
    int m_wakePipe[2] = {-1, -1};
    std::atomic<bool> m_quit{false};
    std::uint32_t m_bootTag;
    std::uint64_t m_nextSession = 1;
    std::uint64_t m_nextCall = 1;
    std::uint32_t m_nextToken;

    std::map<std::string, std::unique_ptr<SimCamera>> m_cameras;
    std::map<std::uint64_t, std::unique_ptr<Session>> m_sessions;
    std::vector<std::unique_ptr<ControlClient>> m_controls;
    std::map<std::string, Call> m_calls;
    std::multimap<std::int64_t, std::function<void()>> m_timers;
    std::unique_ptr<ClipCache> m_clips;
    std::unique_ptr<SimRequests> m_requests;
    std::unique_ptr<SimMedia> m_media;
    std::unique_ptr<SimControl> m_control;

    // Faults
    int m_delayMs = 0;
    int m_dropReplies = 0;
    int m_answerDelayMs[AnswerCount] = {0, 0, 0}; // -1: never answered
    bool m_registrationFails = false;
    int m_surveyDelayMs = 0;

    // Counters
    std::uint64_t m_requestCount = 0;
    std::uint64_t m_videoFrames = 0;
    std::uint64_t m_audioBlocks = 0;
    std::uint64_t m_sdFrames = 0;
    std::int64_t m_nextAlarmUs = 0;
    std::vector<std::uint8_t> m_tone; // one second of A-law
};
