#include "SimControl.h"

#include "WireWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>

using kvabwire::Op;

namespace {

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    std::string w;
    while (in >> w)
        out.push_back(w);
    return out;
}

int toInt(const std::string& s, int fallback) {
    char* end = nullptr;
    const long v = std::strtol(s.c_str(), &end, 10);
    return (s.empty() || *end) ? fallback : static_cast<int>(v);
}

const char kHelp[] =
    "ok list stats calls burst writes talkcount talkaudio ptz add remove offline online reboot stall unstall "
    "corrupt truncate garbage-frames surveyfail surveyempty survey alarm drop garbage cut kick delay "
    "dropreplies answer regfail "
    "accountpwd surveydelay quit";

} // namespace

SimControl::SimControl(SimServer& server) : m_srv(server) {}

std::string SimControl::execute(const std::string& line) {
    const Words w = words(line);
    if (w.empty())
        return "error empty command";
    if (w[0] == "help") {
        std::string help = kHelp;
        for (const auto& f : families())
            help += " " + f.first;
        return help;
    }
    for (const auto& f : families())
        if (f.first == w[0])
            return f.second(w);
    std::string answer;
    if (query(w, &answer) || cameraCommand(w, &answer) || connectionFault(w, &answer) ||
        serviceFault(w, &answer))
        return answer;
    return "error unknown command " + w[0];
}

std::vector<std::pair<std::string, SimControl::Family>>& SimControl::families() {
    static std::vector<std::pair<std::string, Family>> all;
    return all;
}

void SimControl::setFamily(const std::string& word, Family handler) {
    auto& all = families();
    all.erase(std::remove_if(all.begin(), all.end(), [&](const auto& f) { return f.first == word; }),
              all.end());
    if (handler)
        all.emplace_back(word, std::move(handler));
}

std::string SimControl::stats() const {
    std::size_t dropped = 0, sessions = 0;
    for (const auto& s : m_srv.m_sessions)
        if (!s.second->dead) {
            ++sessions;
            dropped += s.second->mediaDropped;
        }
    char buf[320];
    std::snprintf(buf, sizeof buf,
                  "ok sessions=%zu calls=%zu video=%llu audio=%llu sd=%llu dropped=%zu requests=%llu",
                  sessions, m_srv.m_calls.size(), static_cast<unsigned long long>(m_srv.m_videoFrames),
                  static_cast<unsigned long long>(m_srv.m_audioBlocks),
                  static_cast<unsigned long long>(m_srv.m_sdFrames), dropped,
                  static_cast<unsigned long long>(m_srv.m_requestCount));
    return buf;
}

bool SimControl::query(const Words& w, std::string* answer) {
    const std::string& cmd = w[0];
    SimCamera* cam = w.size() > 1 ? m_srv.camera(w[1]) : nullptr;
    if (cmd == "stats") {
        *answer = stats();
        return true;
    }
    if (cmd == "list") {
        std::string out = "ok";
        for (const auto& c : m_srv.m_cameras)
            out += " " + c.first + ":" + (c.second->lan() ? (c.second->cloud() ? "both" : "lan") : "cloud") +
                   ":" + (c.second->online ? (c.second->rebooting ? "rebooting" : "online") : "offline");
        *answer = out;
        return true;
    }
    if (cmd == "burst") {
        // burst ID: arms a tone burst on the camera's listening calls; burst ID sent: when the last left.
        if (!cam) {
            *answer = "error unknown camera";
        } else if (w.size() > 2 && w[2] == "sent") {
            *answer = "ok " + std::to_string(cam->burstSentUs);
        } else {
            cam->burstMode = true;
            cam->burstArmed = true;
            *answer = "ok";
        }
        return true;
    }
    if (cmd == "writes") {
        *answer = cam ? "ok " + std::to_string(cam->writes) : "error unknown camera";
        return true;
    }
    if (cmd == "talkcount") {
        if (!cam) {
            *answer = "error unknown camera";
            return true;
        }
        *answer = "ok blocks=" + std::to_string(cam->talkBlocks) + " bytes=" + std::to_string(cam->talkBytes);
        return true;
    }
    if (cmd == "ptz" || cmd == "talkaudio") {
        if (!cam)
            *answer = "error unknown camera";
        else
            *answer =
                "ok " + (cmd == "ptz" ? cam->ptz().describe(SimCamera::nowMs()) : cam->talkMeter.describe());
        return true;
    }
    if (cmd == "calls") {
        int n = 0;
        for (const auto& c : m_srv.m_calls)
            if (w.size() < 2 || c.second.camera == w[1])
                ++n;
        *answer = "ok " + std::to_string(n);
        return true;
    }
    return false;
}

bool SimControl::cameraCommand(const Words& w, std::string* answer) {
    static const char* const kCommands[] = {
        "add",     "remove",   "offline",        "online",     "reboot",      "stall",  "unstall",
        "corrupt", "truncate", "garbage-frames", "surveyfail", "surveyempty", "survey", "alarm"};
    const std::string& cmd = w[0];
    if (std::find(std::begin(kCommands), std::end(kCommands), cmd) == std::end(kCommands))
        return false;
    auto arg = [&](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    *answer = "ok";
    if (cmd == "add") {
        const std::string id = arg(1), kind = arg(2);
        if (id.empty() || id.size() > 40 || m_srv.camera(id) ||
            (kind != "lan" && kind != "cloud" && kind != "both")) {
            *answer = "error usage: add ID lan|cloud|both [offline]";
            return true;
        }
        m_srv.addCamera(SimServer::CameraSpec{id, kind != "cloud", kind != "lan", arg(3) != "offline"});
        SimCamera* added = m_srv.camera(id);
        m_srv.m_clips->get(m_srv.clipKey(*added, false));
        if (added->online)
            m_srv.cameraBack(*added);
        return true;
    }
    SimCamera* cam = m_srv.camera(arg(1));
    if (!cam) {
        *answer = "error unknown camera";
        return true;
    }
    if (cmd == "remove") {
        const std::string id = cam->id();
        m_srv.cameraGone(id, true);
        m_srv.broadcastCloudState(*cam, false);
        m_srv.m_cameras.erase(id);
    } else if (cmd == "offline" || cmd == "online") {
        const bool on = cmd == "online";
        if (cam->online == on)
            return true;
        cam->online = on;
        if (!on) {
            m_srv.cameraGone(cam->id(), true);
            m_srv.broadcastCloudState(*cam, false);
        } else if (!cam->rebooting) {
            m_srv.cameraBack(*cam);
        }
    } else if (cmd == "reboot") {
        m_srv.rebootCamera(*cam);
    } else if (cmd == "stall") {
        const int ms = toInt(arg(2), 0);
        cam->stallUntilMs = ms > 0 ? SimServer::nowUs() / 1000 + ms : -1;
    } else if (cmd == "unstall") {
        cam->stallUntilMs = 0;
    } else if (cmd == "corrupt" || cmd == "truncate" || cmd == "garbage-frames") {
        const int n = std::max(1, toInt(arg(2), 1));
        (cmd == "corrupt"    ? cam->corruptFrames
         : cmd == "truncate" ? cam->truncateFrames
                             : cam->garbageFrames) = n;
    } else if (cmd == "surveyfail") {
        cam->surveyFails = arg(2) != "off";
    } else if (cmd == "surveyempty") {
        cam->surveyEmpty = arg(2) != "off";
    } else if (cmd == "survey") {
        cam->surveyText = arg(2); // survey ID sid=NAME;enc=X;signal=N:... ; none: the built-in list
    } else {
        m_srv.raiseAlarm(*cam, arg(2) == "io");
    }
    return true;
}

bool SimControl::connectionFault(const Words& w, std::string* answer) {
    const std::string& cmd = w[0];
    if (cmd == "drop" || cmd == "garbage" || cmd == "cut" || cmd == "kick") {
        int n = 0;
        for (auto& e : m_srv.m_sessions) {
            SimServer::Session& s = *e.second;
            if (s.dead || !s.hello)
                continue;
            ++n;
            if (cmd == "drop") {
                m_srv.closeSession(s);
            } else if (cmd == "garbage") {
                // A length field no frame can have: the peer must give the stream up.
                m_srv.flush(s);
                m_srv.queueRaw(s, std::string("\xff\xff\xff\x7f\x03\x00\x64\x00garbage", 16));
            } else if (cmd == "cut") {
                // Half a message, then the connection goes.
                kvabwire::WireWriter ww(kvabwire::Type::Event, Op::EvSystem, 0);
                ww.addInt(104).addText("truncated-message");
                const std::string& f = ww.frame();
                m_srv.flush(s);
                m_srv.queueRaw(s, f.substr(0, f.size() / 2));
                m_srv.flush(s);
                m_srv.closeSession(s);
            } else {
                if (s.loggedIn)
                    m_srv.systemEvent(s, 3, "kicked");
                s.loggedIn = false;
                s.registered = false;
            }
        }
        *answer = "ok " + std::to_string(n);
        return true;
    }
    return false;
}

bool SimControl::serviceFault(const Words& w, std::string* answer) {
    const std::string& cmd = w[0];
    auto arg = [&](std::size_t i) { return i < w.size() ? w[i] : std::string(); };
    *answer = "ok";
    if (cmd == "delay") {
        m_srv.m_delayMs = std::max(0, toInt(arg(1), 0));
    } else if (cmd == "dropreplies") {
        m_srv.m_dropReplies = std::max(0, toInt(arg(1), 0));
    } else if (cmd == "answer") {
        // answer login|region|pwd now|never|MS: when the event that answers such a request follows.
        static const char* const kinds[SimServer::AnswerCount] = {"login", "region", "pwd"};
        const auto kind = std::find(kinds, kinds + SimServer::AnswerCount, arg(1)) - kinds;
        const int ms = arg(2) == "now" ? 0 : arg(2) == "never" ? -1 : toInt(arg(2), -2);
        if (kind >= SimServer::AnswerCount || ms < -1)
            *answer = "error usage: answer login|region|pwd now|never|MS";
        else
            m_srv.m_answerDelayMs[kind] = ms;
    } else if (cmd == "regfail") {
        m_srv.m_registrationFails = arg(1) != "off";
    } else if (cmd == "accountpwd") {
        if (arg(1).empty())
            *answer = "error usage: accountpwd PASSWORD";
        else
            m_srv.m_opt.accountPassword = arg(1);
    } else if (cmd == "surveydelay") {
        m_srv.m_surveyDelayMs = std::max(0, toInt(arg(1), 0));
    } else if (cmd == "quit") {
        m_srv.m_quit = true;
    } else {
        return false;
    }
    return true;
}
