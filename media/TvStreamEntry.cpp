#include "TvStreamEntry.h"

#include "TvMediaObject.h"
#include "TvPacketSink.h"

#include <memory>

namespace {
bool isStartCode(const uint8_t* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 0 && p[3] == 1;
}
} // namespace

int TvStreamEntry::startCodeOffset(const uint8_t* payload, int length) {
    if (!payload || length < 4 || isStartCode(payload))
        return 0;
    for (int i = 1; i <= length - 4; ++i) {
        if (isStartCode(payload + i))
            return i;
    }
    return 0;
}

void TvStreamEntry::videoPacket(TvPacketSink& sink, const char* callId, const uint8_t* payload, int length) {
    const int skip = startCodeOffset(payload, length);
    auto object =
        std::make_unique<TvMediaObject>(true, payload ? payload + skip : nullptr, length - skip,
                                        TvMediaObject::kNominalWidth, TvMediaObject::kNominalHeight);
    if (object->isInvalid())
        return;
    sink.deliverPacket(callId, std::move(object));
}

void TvStreamEntry::audioPacket(TvPacketSink& sink, const uint8_t* payload, int length) {
    auto object = std::make_unique<TvMediaObject>(false, payload, length, 0, 0);
    if (object->isInvalid())
        return;
    sink.deliverPacket(nullptr, std::move(object));
}
