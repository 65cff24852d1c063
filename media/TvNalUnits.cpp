#include "TvNalUnits.h"

namespace {

bool isSlice(int type) {
    return type == 1 || type == 5;
}

// Calls visit(position of the three-byte code 00 00 01) for each start code, in order, until it returns
// false. Allocates nothing: every packet passes here on the SDK thread.
template <typename Visit> void forEachStartCode(const uint8_t* data, int length, Visit visit) {
    for (int i = 0; data && i + 3 < length; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        if (!visit(i))
            return;
        i += 2;
    }
}

} // namespace

std::vector<TvNalUnits::Unit> TvNalUnits::scan(const uint8_t* data, int length, bool untilSlice) {
    std::vector<Unit> units;
    forEachStartCode(data, length, [&](int i) {
        Unit unit;
        unit.start = i > 0 && data[i - 1] == 0 ? i - 1 : i;
        unit.header = i + 3;
        unit.type = data[i + 3] & 0x1F;
        if (!units.empty())
            units.back().end = unit.start;
        units.push_back(unit);
        return !(untilSlice && isSlice(unit.type));
    });
    if (!units.empty())
        units.back().end = length;
    return units;
}

TvNalUnits::Summary TvNalUnits::summarize(const uint8_t* data, int length) {
    // Only the headers up to the first slice, and no list of units.
    Summary summary;
    forEachStartCode(data, length, [&](int i) {
        const int type = data[i + 3] & 0x1F;
        if (isSlice(type)) {
            summary.slice = true;
            summary.idr = type == 5;
            return false;
        }
        summary.sps = summary.sps || type == 7;
        summary.pps = summary.pps || type == 8;
        return true;
    });
    return summary;
}

int TvNalUnits::find(const uint8_t* data, int length, int type) {
    for (const Unit& unit : scan(data, length, true)) {
        if (unit.type == type)
            return unit.start;
    }
    return -1;
}

int TvNalUnits::firstType(const uint8_t* data, int length) {
    if (!data || length < 4)
        return -1;
    if (data[0] == 0 && data[1] == 0 && data[2] == 1)
        return data[3] & 0x1F;
    if (length > 4 && data[0] == 0 && data[1] == 0 && data[2] == 0 && data[3] == 1)
        return data[4] & 0x1F;
    return -1;
}

std::vector<uint8_t> TvNalUnits::parameterSets(const uint8_t* data, int length) {
    std::vector<uint8_t> out;
    for (const Unit& unit : scan(data, length, true)) {
        if (isSlice(unit.type))
            break;
        if (unit.type == 7 || unit.type == 8)
            out.insert(out.end(), data + unit.start, data + unit.end);
    }
    return out;
}
