// The media of open calls: video replayed from the clip cache, a looping chime on listening calls, and
// SD downloads faster than real time, each paced against the monotonic clock.
#include "SimMedia.h"

#include "AlawCodec.h"

#include <algorithm>
#include <cstdio>
#include <random>

using kvabwire::Op;
using Session = SimServer::Session;
using Call = SimServer::Call;

namespace {
constexpr int kAudioBlock = 320; // 40 ms of 8 kHz A-law
} // namespace

SimMedia::SimMedia(SimServer& server) : m_srv(server) {}

std::string SimMedia::openCall(Session& s, SimCamera& cam, int kind, int stream, bool wan,
                               const std::string& file) {
    static const char kindLetter[] = "?VLTD";
    char id[64];
    std::snprintf(id, sizeof id, "%c-%.32s-%04x-%llu", kindLetter[kind], cam.id().c_str(), m_srv.m_bootTag,
                  static_cast<unsigned long long>(m_srv.m_nextCall++));
    Call call;
    call.id = id;
    call.session = s.id;
    call.camera = cam.id();
    call.kind = kind;
    call.stream = stream;
    call.wan = wan;
    // Media starts at once, right behind the reply, as a camera's may.
    call.startUs = SimServer::nowUs();
    if (kind == 1) {
        call.key = m_srv.clipKey(cam, stream == 1);
        call.periodUs = 1000000 / call.key.rate;
        call.needKey = true;
    } else if (kind == 2) {
        call.periodUs = 40000;
    } else if (kind == 4) {
        call.key = m_srv.clipKey(cam, cam.sdMainStream());
        call.periodUs = 1000000 / (call.key.rate * m_srv.m_opt.sdSpeed);
        call.resolution = cam.sdMainStream() ? 0 : 4;
        const SimCamera::SdFile* f = cam.findFile(file);
        call.sdFrames = f ? f->seconds * call.key.rate : 0;
    }
    if (kind == 1 || kind == 4)
        call.clip = m_srv.m_clips->get(call.key);
    m_srv.m_calls[call.id] = call;
    return call.id;
}

void SimMedia::pumpCalls(std::int64_t now) {
    for (auto& entry : m_srv.m_calls) {
        Call& call = entry.second;
        Session* s = m_srv.session(call.session);
        SimCamera* cam = m_srv.camera(call.camera);
        if (!s || !cam || call.finished)
            continue;
        if (call.kind == 1) {
            int burst = 0;
            while (burst++ < 4 && pumpVideo(call, *s, *cam, now)) {
            }
        } else if (call.kind == 2) {
            pumpAudio(call, *s, now);
        } else if (call.kind == 4) {
            pumpSd(call, *s, now);
        }
    }
}

bool SimMedia::pumpVideo(Call& call, Session& s, SimCamera& cam, std::int64_t now) {
    const std::int64_t due = call.startUs + call.frameNo * call.periodUs;
    if (now < due)
        return false;
    if (!call.clip) {
        call.clip = m_srv.m_clips->get(call.key);
        if (!call.clip) {
            call.startUs = now; // start the clock once the clip exists
            call.frameNo = 0;
            return false;
        }
    }
    if (now - due > 2000000) { // far behind (a stall on our side): skip ahead, resume at a key frame
        call.startUs = now;
        call.frameNo = 0;
        call.needKey = true;
    }
    const ClipFrame* frame =
        &call.clip->frames[static_cast<std::size_t>(call.frameNo) % call.clip->frames.size()];
    const std::int64_t frameNo = call.frameNo++;
    const bool stalled = cam.stallUntilMs < 0 || (cam.stallUntilMs > 0 && now / 1000 < cam.stallUntilMs);
    if (stalled) {
        call.needKey = true;
        return true;
    }
    ClipFrame live;
    if (liveFrame(call, cam, frameNo, &live))
        frame = &live;
    const ClipFrame& f = *frame;
    if (call.needKey && !f.key)
        return true;
    call.needKey = false;
    std::string damaged;
    const std::string* payload = &f.data;
    if (cam.truncateFrames > 0 && f.data.size() > 16) {
        --cam.truncateFrames;
        damaged = f.data.substr(0, f.data.size() / 2);
        payload = &damaged;
    } else if (cam.corruptFrames > 0 && f.data.size() > 64) {
        --cam.corruptFrames;
        damaged = f.data;
        std::minstd_rand rng(static_cast<unsigned>(call.frameNo));
        for (std::size_t i = damaged.size() / 3; i < damaged.size(); i += 7)
            damaged[i] = static_cast<char>(rng());
        payload = &damaged;
    } else if (cam.garbageFrames > 0) {
        --cam.garbageFrames;
        damaged = std::string("\x17\x42\x99", 3) + f.data;
        payload = &damaged;
    }
    m_srv.event(
        s, Op::EvVideo,
        [&](kvabwire::WireWriter& w) { w.addText(call.id.c_str()).addInt(f.key ? 1 : 0).addBytes(*payload); },
        true);
    ++m_srv.m_videoFrames;
    return true;
}

bool SimMedia::liveFrame(Call& call, const SimCamera& cam, std::int64_t frameNo, ClipFrame* out) {
    const SimPtz& ptz = cam.ptz();
    const std::pair<int, int> position = ptz.position(SimCamera::nowMs());
    HeadView head;
    head.pan = position.first;
    head.tilt = position.second;
    head.zoom = ptz.zoomLevel();
    head.flip = ptz.flip() != 0;
    head.mirror = ptz.mirror() != 0;
    head.brightness = cam.brightness();
    head.contrast = cam.contrast();
    head.saturation = cam.saturation();
    if (head.home()) {
        if (call.live) {
            // Back on the clip: its next key frame takes over.
            call.live.reset();
            call.needKey = true;
        }
        return false;
    }
    if (!call.live && !call.liveFailed) {
        std::string error;
        call.live = LiveEncoder::create(call.key, &error);
        if (!call.live) {
            std::fprintf(stderr, "kvab-camsim: %s: no live picture (%s), the clip goes on\n", call.id.c_str(),
                         error.c_str());
            call.liveFailed = true;
            return false;
        }
        call.needKey = true;
    }
    return call.live && call.live->encode(frameNo, head, call.needKey, out);
}

void SimMedia::pumpAudio(Call& call, Session& s, std::int64_t now) {
    SimCamera* cam = m_srv.camera(call.camera);
    while (now >= call.startUs + call.frameNo * call.periodUs) {
        if (now - (call.startUs + call.frameNo * call.periodUs) > 1000000) {
            call.startUs = now;
            call.frameNo = 0;
        }
        const std::size_t off = static_cast<std::size_t>(call.frameNo % 25) * kAudioBlock;
        const int seq = static_cast<int>(call.frameNo);
        ++call.frameNo;
        const std::uint8_t* block = m_srv.m_tone.data() + off;
        if (cam && cam->burstMode) {
            static const std::vector<std::uint8_t> silence(kAudioBlock, AlawCodec::encode(std::int16_t(0)));
            static const std::vector<std::uint8_t> burst = [] {
                std::vector<std::int16_t> pcm;
                for (int i = 0; i < kAudioBlock; ++i) // 1 kHz square wave, loud
                    pcm.push_back(static_cast<std::int16_t>((i / 4) % 2 ? 20000 : -20000));
                return AlawCodec::encode(pcm.data(), pcm.size());
            }();
            block = cam->burstArmed ? burst.data() : silence.data();
            if (cam->burstArmed)
                cam->burstSentUs = SimServer::nowUs();
            cam->burstArmed = false;
        }
        m_srv.event(
            s, Op::EvAudio,
            [&](kvabwire::WireWriter& w) {
                w.addText(call.id.c_str()).addInt(seq).addBytes(block, kAudioBlock);
            },
            true);
        ++m_srv.m_audioBlocks;
    }
}

void SimMedia::pumpSd(Call& call, Session& s, std::int64_t now) {
    // A stalled camera holds its transfer where it is (a download cut in the middle).
    if (const SimCamera* cam = m_srv.camera(call.camera)) {
        if (cam->stallUntilMs < 0 || (cam->stallUntilMs > 0 && now / 1000 < cam->stallUntilMs)) {
            call.startUs = now - call.frameNo * call.periodUs;
            return;
        }
    }
    if (!call.clip) {
        call.clip = m_srv.m_clips->get(call.key);
        if (!call.clip) {
            call.startUs = now;
            return;
        }
    }
    int burst = 0;
    while (burst++ < 8 && now >= call.startUs + call.frameNo * call.periodUs) {
        if (call.frameNo >= call.sdFrames) {
            m_srv.event(s, Op::EvSdData, [&](kvabwire::WireWriter& w) {
                w.addText(call.id.c_str())
                    .addInt(static_cast<int>(call.frameNo))
                    .addBytes("", 0)
                    .addInt(-110)
                    .addInt(call.resolution)
                    .addInt(1)
                    .addInt(0)
                    .addInt(0);
            });
            call.finished = true;
            break;
        }
        const ClipFrame& f =
            call.clip->frames[static_cast<std::size_t>(call.frameNo) % call.clip->frames.size()];
        const int seq = static_cast<int>(call.frameNo);
        ++call.frameNo;
        // Flow control: an SD transfer waits for the client instead of dropping frames.
        if (s.out.size() - s.outPos > SimServer::kMaxMediaBacklog / 2) {
            --call.frameNo;
            call.startUs += call.periodUs;
            break;
        }
        m_srv.event(
            s, Op::EvSdData,
            [&](kvabwire::WireWriter& w) {
                w.addText(call.id.c_str())
                    .addInt(seq)
                    .addBytes(f.data)
                    .addInt(static_cast<int>(f.data.size()))
                    .addInt(call.resolution)
                    .addInt(1)
                    .addInt(0)
                    .addInt(f.key ? 2 : 1);
            },
            true);
        ++m_srv.m_sdFrames;
    }
}

std::int64_t SimMedia::nextDueUs() const {
    std::int64_t next = m_srv.nowUs() + 50000;
    for (const auto& c : m_srv.m_calls) {
        if (c.second.finished || c.second.kind == 3)
            continue;
        next = std::min(next, c.second.startUs + c.second.frameNo * c.second.periodUs);
    }
    return next;
}
