#include "TvStreamEntry.h"

#include "TvMediaObject.h"
#include "TvNalUnits.h"
#include "TvPacketSink.h"

#include <memory>
#include <vector>

int TvStreamEntry::startCodeOffset(const uint8_t* payload, int length) {
    // Four- or three-byte start codes: a payload that begins with either passes whole.
    const std::vector<TvNalUnits::Unit> units = TvNalUnits::scan(payload, length);
    return units.empty() ? 0 : units.front().start;
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
