#include "banks/sampler_pad_overrides.h"

#include "encoding/json_writer.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string_view>

namespace vanto {

namespace {

enum class FieldRule { anyValue, integer, boolean };

// One override field: its document key, mask bit, inclusive range and the member it lives in. The
// writer and the reader both walk this table, so a field is described exactly once.
struct PadField {
    std::string_view key;
    uint32_t bit;
    double low;
    double high;
    FieldRule rule;
    double SamplerPadOverride::*member;
};

constexpr PadField kPadFields[] = {
    {"transpose", kPadTranspose, -24.0, 24.0, FieldRule::integer, &SamplerPadOverride::transpose},
    {"fineTune", kPadFineTune, -100.0, 100.0, FieldRule::anyValue, &SamplerPadOverride::fineTune},
    {"gain", kPadGain, 0.0, 4.0, FieldRule::anyValue, &SamplerPadOverride::gain},
    {"pan", kPadPan, -1.0, 1.0, FieldRule::anyValue, &SamplerPadOverride::pan},
    {"start", kPadStart, 0.0, 1.0, FieldRule::anyValue, &SamplerPadOverride::start},
    {"end", kPadEnd, 0.0, 1.0, FieldRule::anyValue, &SamplerPadOverride::end},
    {"attack", kPadAttack, 0.0, 2.0, FieldRule::anyValue, &SamplerPadOverride::attack},
    {"release", kPadRelease, 0.001, 4.0, FieldRule::anyValue, &SamplerPadOverride::release},
    {"filterHz", kPadFilterHz, 20.0, 20000.0, FieldRule::anyValue, &SamplerPadOverride::filterHz},
    {"resonance", kPadResonance, 0.1, 18.0, FieldRule::anyValue, &SamplerPadOverride::resonance},
    {"reverse", kPadReverse, 0.0, 1.0, FieldRule::boolean, &SamplerPadOverride::reverse},
    {"muted", kPadMuted, 0.0, 1.0, FieldRule::boolean, &SamplerPadOverride::muted},
    {"chokeGroup", kPadChokeGroup, 0.0, 8.0, FieldRule::integer, &SamplerPadOverride::chokeGroup},
    {"roundRobinGroup", kPadRoundRobinGroup, 0.0, 8.0, FieldRule::integer,
     &SamplerPadOverride::roundRobinGroup},
    {"velocitySensitivity", kPadVelocitySensitivity, 0.0, 1.0, FieldRule::anyValue,
     &SamplerPadOverride::velocitySensitivity},
};

// A map with more members than this is treated as hostile or corrupt and reads as empty.
constexpr std::size_t kMaxPadMembers = kMaxSamplerPadOverrides;

// Nesting levels of the values the map reader skips: a pad's value sits one level below the map,
// a field's value two levels.
constexpr int kPadValueDepth = 1;
constexpr int kFieldValueDepth = 2;

const PadField* findPadField(const std::string& key) {
    const auto found = std::find_if(std::begin(kPadFields), std::end(kPadFields),
                                    [&key](const PadField& field) { return field.key == key; });
    return found != std::end(kPadFields) ? found : nullptr;
}

bool fieldAccepts(const PadField& field, double value) {
    if (!std::isfinite(value) || value < field.low || value > field.high) {
        return false;
    }
    switch (field.rule) {
    case FieldRule::integer:
        return value == std::trunc(value);
    case FieldRule::boolean:
        return value == 0.0 || value == 1.0;
    case FieldRule::anyValue:
        break;
    }
    return true;
}

void appendPad(std::string& out, const SamplerPadOverride& pad) {
    jsonAppendQuotedBytes(out, pad.padId.data(), pad.padId.size());
    out += ":{";
    bool firstField = true;
    for (const PadField& field : kPadFields) {
        if ((pad.mask & field.bit) == 0) {
            continue;
        }
        if (!firstField) {
            out += ',';
        }
        firstField = false;
        out += '"';
        out += field.key;
        out += "\":";
        jsonAppendNumber(out, pad.*field.member);
    }
    out += '}';
}

// One member of a pad object. A value that is no number is skipped; a number that is out of range,
// breaks its field's constraint or belongs to no field is dropped without failing the document.
bool readPadField(Reader& reader, const std::string& key, SamplerPadOverride& pad) {
    double value = 0.0;
    if (!parseNumber(reader, &value)) {
        return skipValue(reader, kFieldValueDepth);
    }
    const PadField* field = findPadField(key);
    if (field != nullptr && fieldAccepts(*field, value)) {
        pad.*field->member = value;
        pad.mask |= field->bit;
    }
    return true;
}

bool readPad(Reader& reader, SamplerPadOverride& pad) {
    std::string key;
    return parseObjectMembers(reader, &key, [&] { return readPadField(reader, key, pad); });
}

// Keeps a read pad if it says anything and its id is usable: a pad without an id could never be
// matched to a zone, written back or published.
void keepPad(SamplerPadOverrides& list, SamplerPadOverride&& pad) {
    if (pad.mask == 0 || pad.padId.empty() || pad.padId.size() > kMaxSamplerPadIdBytes) {
        return;
    }
    const auto same = std::find_if(list.begin(), list.end(), [&pad](const SamplerPadOverride& entry) {
        return entry.padId == pad.padId;
    });
    if (same != list.end()) {
        *same = std::move(pad);
    } else if (list.size() < kMaxSamplerPadOverrides) {
        list.push_back(std::move(pad));
    }
}

} // namespace

void writeSamplerPadOverridesJson(std::string& out, const SamplerPadOverrides& overrides) {
    out += '{';
    bool firstPad = true;
    for (const SamplerPadOverride& pad : overrides) {
        if (pad.padId.empty() || pad.mask == 0) {
            continue;
        }
        if (!firstPad) {
            out += ',';
        }
        firstPad = false;
        appendPad(out, pad);
    }
    out += '}';
}

bool parsePadOverrideMap(Reader& reader, SamplerPadOverrides& out) {
    SamplerPadOverrides merged = out;
    std::size_t members = 0;
    std::string padId;
    const bool read = parseObjectMembers(reader, &padId, [&] {
        ++members;
        if (peekChar(reader) != '{') {
            return skipValue(reader, kPadValueDepth);
        }
        SamplerPadOverride pad;
        pad.padId = std::move(padId);
        if (!readPad(reader, pad)) {
            return false;
        }
        keepPad(merged, std::move(pad));
        return true;
    });
    if (!read) {
        return false;
    }
    if (members > kMaxPadMembers) {
        merged.clear();
    }
    out = std::move(merged);
    return true;
}

bool parseSamplerPadOverridesJson(const char* text, std::size_t length, SamplerPadOverrides& out) {
    if (text == nullptr) {
        return false;
    }
    Reader reader = makeReader(std::string_view(text, length));
    SamplerPadOverrides fresh;
    if (!parsePadOverrideMap(reader, fresh) || !atEndOfInput(reader)) {
        return false;
    }
    out = std::move(fresh);
    return true;
}

} // namespace vanto
