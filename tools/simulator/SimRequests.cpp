// The camera service's answers to SDK requests, one handler per family of requests.
#include "SimRequests.h"

#include "Md5.h"
#include "SimMedia.h"
#include "WireReader.h"
#include "pcQuorvane.h"

#include <algorithm>
#include <cstdio>
#include <vector>

using kvabwire::Op;
using Session = SimServer::Session;

SimRequests::SimRequests(SimServer& server) : m_srv(server) {}

void SimRequests::handle(Session& s, kvabwire::WireReader& r, std::string* reply, int* result) {
    *result = -1;
    if (!cloud(s, r, reply, result) && !calls(s, r, reply, result) && !records(s, r, reply, result))
        sdCard(s, r, reply, result);
}

bool SimRequests::cloud(Session& s, kvabwire::WireReader& r, std::string*, int* result) {
    switch (r.op()) {
    case Op::LanRefresh:
        s.lan = true;
        *result = 0;
        for (auto& c : m_srv.m_cameras)
            if (c.second->lan() && c.second->online && !c.second->rebooting)
                m_srv.lanReport(s, *c.second);
        return true;
    case Op::Login: {
        const std::string user = r.readBytes();
        const std::string pwd = r.readBytes();
        r.readBytes();
        r.readInt();
        if (!r.ok())
            return true;
        *result = 0;
        const bool good = user == m_srv.m_opt.account && pwd == m_srv.m_opt.accountPassword;
        s.loggedIn = good;
        s.registered = false;
        m_srv.answerEvent(s, SimServer::AnswerLogin, good ? 0 : 1, "");
        return true;
    }
    case Op::RegionMon:
        *result = 0;
        s.registered = s.loggedIn && !m_srv.m_registrationFails;
        m_srv.answerEvent(s, SimServer::AnswerRegion, 101, s.registered ? "1" : "0");
        return true;
    case Op::Logout:
        *result = 0;
        s.loggedIn = false;
        s.registered = false;
        s.watched.clear();
        for (auto it = m_srv.m_calls.begin(); it != m_srv.m_calls.end();)
            it = (it->second.session == s.id && it->second.wan) ? m_srv.m_calls.erase(it) : std::next(it);
        return true;
    case Op::DevStatus: {
        const std::string id = r.readBytes();
        if (!r.ok() || !s.loggedIn || id.empty())
            return true;
        *result = 0;
        m_srv.statusEvents(s, id);
        return true;
    }
    case Op::DevStatusEx: {
        const std::string request = r.readBytes();
        const int count = r.readInt();
        if (!r.ok() || !s.loggedIn)
            return true;
        std::vector<std::string> ids;
        std::size_t pos = 0;
        while (pos < request.size()) {
            std::size_t end = request.find(';', pos);
            if (end == std::string::npos)
                end = request.size();
            const std::string item = request.substr(pos, end - pos);
            const auto eq = item.find('=');
            if (item.rfind("devid", 0) == 0 && eq != std::string::npos && eq + 1 < item.size())
                ids.push_back(item.substr(eq + 1));
            pos = end + 1;
        }
        if (ids.empty() || count != static_cast<int>(ids.size()))
            return true;
        *result = 0;
        for (const auto& id : ids)
            m_srv.statusEvents(s, id);
        return true;
    }
    case Op::SetAccessPwd: {
        r.readInt();
        const std::string id = r.readBytes();
        const std::string pwd = r.readBytes();
        r.readInt();
        if (!r.ok() || !s.loggedIn)
            return true;
        *result = 0;
        SimCamera* cam = m_srv.reachable(s, id, kvabwire::kPathWan);
        const bool ok = cam && !pwd.empty() && pwd.size() <= 31;
        if (ok)
            cam->accessPassword = pwd;
        m_srv.answerEvent(s, SimServer::AnswerPassword, 115, ok ? "1" : "0");
        return true;
    }
    default:
        return false;
    }
}

bool SimRequests::calls(Session& s, kvabwire::WireReader& r, std::string* reply, int* result) {
    switch (r.op()) {
    case Op::Call: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int kind = r.readInt();
        const int stream = r.readInt();
        r.readBytes();
        if (!r.ok() || kind < 1 || kind > 3)
            return true;
        SimCamera* cam = m_srv.reachable(s, id, path);
        if (!cam)
            return true;
        *reply = m_srv.m_media->openCall(s, *cam, kind, kind == 1 ? stream : 0, path == kvabwire::kPathWan,
                                         std::string());
        *result = 0;
        if (path == kvabwire::kPathWan)
            m_srv.systemEvent(s, 105, "devid=" + id + ";flag=1;");
        return true;
    }
    case Op::CloseCall: {
        const std::string id = r.readBytes();
        auto it = m_srv.m_calls.find(id);
        if (!r.ok() || it == m_srv.m_calls.end() || it->second.session != s.id)
            return true;
        m_srv.m_calls.erase(it);
        *result = 0;
        return true;
    }
    case Op::AudioData: {
        const std::string id = r.readBytes();
        std::size_t len = 0;
        const auto* data = reinterpret_cast<const std::uint8_t*>(r.readView(&len));
        auto it = m_srv.m_calls.find(id);
        if (!r.ok() || it == m_srv.m_calls.end() || it->second.session != s.id || it->second.kind != 3)
            return true;
        if (SimCamera* cam = m_srv.camera(it->second.camera)) {
            cam->talkBlocks += 1;
            cam->talkBytes += static_cast<std::int64_t>(len);
            cam->talkMeter.add(data, len);
        }
        *result = 0;
        return true;
    }
    case Op::SendData: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const std::string text = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, path) : nullptr;
        if (!cam)
            return true;
        std::vector<SimCamera::Report> reports;
        *result = cam->dataCommand(text, &reports);
        for (const auto& rep : reports)
            m_srv.event(s, Op::EvAlarm, [&](kvabwire::WireWriter& w) {
                w.addInt(rep.command).addText(rep.text.c_str()).addInt(rep.flag).addInt(0);
            });
        return true;
    }
    default:
        return false;
    }
}

bool SimRequests::records(Session& s, kvabwire::WireReader& r, std::string* reply, int* result) {
    switch (r.op()) {
    case Op::GetInfo: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        r.readInt();
        if (r.ok() && m_srv.reachable(s, id, path))
            *result = 0;
        return true;
    }
    case Op::SetInfo: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int selector = r.readInt();
        const int value = r.readInt();
        const int extra = r.readInt();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, path) : nullptr;
        if (!cam)
            return true;
        if (selector == PCQ_SEL_FACTORY_RESET || selector == PCQ_SEL_REBOOT || selector == PCQ_SEL_FIRMWARE)
            ++cam->writes;
        if (selector == PCQ_SEL_FACTORY_RESET) {
            cam->factoryReset();
            *result = 0;
            m_srv.rebootCamera(*cam); // a reset camera starts again with its defaults
        } else if (selector == PCQ_SEL_REBOOT || selector == PCQ_SEL_FIRMWARE) {
            *result = 0;
            m_srv.rebootCamera(*cam);
        } else {
            *result = cam->setSelector(selector, value, extra);
        }
        return true;
    }
    case Op::SysInfo: {
        const std::string id = r.readBytes();
        const int selector = r.readInt();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, 0) : nullptr;
        if (cam && cam->sysInfo(selector, reply))
            *result = 0;
        return true;
    }
    case Op::SetSysInfo: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int selector = r.readInt();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, path) : nullptr;
        if (cam && selector == PCQ_SEL_SD_RECORD)
            *result = cam->setSdRecord(record);
        return true;
    }
    case Op::SetWifi: {
        const std::string id = r.readBytes();
        const int flag = r.readInt();
        const int open = r.readInt();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (cam)
            *result = cam->setWifi(flag, open, record);
        if (cam && *result == 0)
            m_srv.rebootCamera(*cam); // a new network takes a restart
        return true;
    }
    case Op::SetDevIp: {
        const std::string id = r.readBytes();
        const int kind = r.readInt();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (cam)
            *result = cam->setIp(kind, record);
        if (cam && *result == 0)
            m_srv.rebootCamera(*cam);
        return true;
    }
    case Op::WifiSurvey: {
        const std::string id = r.readBytes();
        r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (!cam)
            return true;
        *result = 0;
        const std::uint64_t sid = s.id;
        // A failed survey reports length -1, an empty one length 0.
        const int length = cam->surveyFails ? -1 : 0;
        const std::string text = (cam->surveyFails || cam->surveyEmpty) ? std::string() : cam->surveyReply();
        m_srv.after(m_srv.m_surveyDelayMs, [this, sid, text, length] {
            if (Session* later = m_srv.session(sid)) {
                m_srv.event(*later, Op::EvWifi, [&](kvabwire::WireWriter& w) {
                    w.addBytes(text).addInt(text.empty() ? length : static_cast<int>(text.size()));
                });
            }
        });
        return true;
    }
    case Op::SetEmail: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const std::string record = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, path) : nullptr;
        if (cam)
            *result = cam->setEmail(record);
        return true;
    }
    case Op::FormatSd: {
        const std::string id = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, kvabwire::kPathLan) : nullptr;
        if (cam) {
            cam->formatSd();
            *result = 0;
        }
        return true;
    }
    default:
        return false;
    }
}

bool SimRequests::sdCard(Session& s, kvabwire::WireReader& r, std::string* reply, int* result) {
    switch (r.op()) {
    case Op::SdList: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const int page = r.readInt();
        const int pageSize = r.readInt();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, path) : nullptr;
        if (!cam || page < 1 || pageSize < 1 || pageSize > 100)
            return true;
        *result = 0;
        std::vector<SimCamera::SdFile> files = cam->sdFiles();
        std::sort(files.begin(), files.end(), [](const auto& a, const auto& b) { return a.id > b.id; });
        const std::size_t first = static_cast<std::size_t>(page - 1) * static_cast<std::size_t>(pageSize);
        const std::size_t last = std::min(files.size(), first + static_cast<std::size_t>(pageSize));
        if (first >= last) {
            // An empty card (or a page past the end) says so at once with one empty, final entry.
            m_srv.event(s, Op::EvSdFile, [&](kvabwire::WireWriter& w) { w.addInt(0).addText("").addInt(0); });
            return true;
        }
        for (std::size_t i = first; i < last; ++i) {
            char entry[256];
            std::snprintf(entry, sizeof entry, "name=%s;fid=%d;size=%d;", files[i].name.c_str(), files[i].id,
                          m_srv.fileBytes(*cam, files[i]));
            const int number = static_cast<int>(i - first);
            const int more = (i + 1 < last) ? 1 : 0;
            m_srv.event(s, Op::EvSdFile,
                        [&](kvabwire::WireWriter& w) { w.addInt(number).addText(entry).addInt(more); });
        }
        return true;
    }
    case Op::SdDownload: {
        const int path = r.readInt();
        const std::string id = r.readBytes();
        const std::string name = r.readBytes();
        SimCamera* cam = r.ok() ? m_srv.reachable(s, id, path) : nullptr;
        if (!cam || !cam->findFile(name))
            return true;
        *reply = m_srv.m_media->openCall(s, *cam, 4, 0, path == kvabwire::kPathWan, name);
        *result = 0;
        return true;
    }
    default:
        return false;
    }
}
