#include "controller/bridge_message.h"

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map_json_reader.h"
#include "diagnostics/diagnostic_feeds.h"
#include "encoding/json_reader.h"
#include "processor/state_json_reader.h"

#include <string>

namespace vanto {

namespace {

// Members of the message object sit at depth 1, members of its objects at depth 2.
constexpr int kMemberDepth = 1;
constexpr int kNestedMemberDepth = 2;

std::string* stringMember(BridgeMessage& message, const std::string& key) {
    if (key == "type")
        return &message.type;
    if (key == "path")
        return &message.path;
    if (key == "id")
        return &message.id;
    if (key == "source")
        return &message.source;
    if (key == "sha256")
        return &message.sha256;
    if (key == "url")
        return &message.url;
    if (key == "bankPath")
        return &message.bankPath;
    if (key == "instrument")
        return &message.instrument;
    return nullptr;
}

double* numberMember(BridgeMessage& message, const std::string& key) {
    if (key == "value")
        return &message.value;
    if (key == "note")
        return &message.note;
    if (key == "velocity")
        return &message.velocity;
    if (key == "hz")
        return &message.hz;
    return nullptr;
}

bool isObjectNext(Reader& reader) {
    return peekChar(reader) == '{';
}

// Only an object is a state; anything else is skipped and leaves an earlier state in place.
bool readState(Reader& reader, BridgeMessage& out) {
    if (!isObjectNext(reader)) {
        return skipValue(reader, kMemberDepth);
    }
    StateChunk state;
    if (!parseStateObject(reader, state)) {
        return false;
    }
    out.state = std::move(state);
    out.hasState = true;
    return true;
}

// An object or array is a map; any other value reads as no map, like a later duplicate that
// replaces an earlier one.
bool readMap(Reader& reader, BridgeMessage& out) {
    return parseCcMapValue(reader, out.map, out.hasMap, kMemberDepth);
}

bool readPads(Reader& reader, BridgeMessage& out) {
    if (!isObjectNext(reader)) {
        return skipValue(reader, kMemberDepth);
    }
    SamplerPadOverrides pads;
    if (!parsePadOverrideMap(reader, pads)) {
        return false;
    }
    out.pads = std::move(pads);
    out.hasPads = true;
    return true;
}

// A name holding a NUL byte is no feed name, even if its first part is one.
uint32_t feedBitOfName(const std::string& name) {
    return name.find('\0') == std::string::npos ? diagnosticFeedBit(name.c_str()) : 0;
}

bool readFeeds(Reader& reader, BridgeMessage& out) {
    if (peekChar(reader) != '[') {
        return skipValue(reader, kMemberDepth);
    }
    uint32_t feeds = 0;
    std::string name;
    const bool read = parseArrayElements(reader, [&] {
        if (!parseString(reader, &name)) {
            return false;
        }
        feeds |= feedBitOfName(name);
        return true;
    });
    if (!read) {
        return false;
    }
    out.feeds = feeds;
    return true;
}

bool readStimulus(Reader& reader, BridgeMessage& out) {
    if (!isObjectNext(reader)) {
        return skipValue(reader, kMemberDepth);
    }
    std::string kind;
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        return key == "kind" ? parseString(reader, &kind) : skipValue(reader, kNestedMemberDepth);
    });
    if (!read) {
        return false;
    }
    out.stimulusKind = std::move(kind);
    return true;
}

bool readMember(Reader& reader, const std::string& key, BridgeMessage& out) {
    if (std::string* text = stringMember(out, key)) {
        return parseString(reader, text);
    }
    if (double* number = numberMember(out, key)) {
        if (!parseNumber(reader, number)) {
            return false;
        }
        if (key == "value") {
            out.hasValue = true;
        }
        return true;
    }
    if (key == "state")
        return readState(reader, out);
    if (key == "map")
        return readMap(reader, out);
    if (key == "pads")
        return readPads(reader, out);
    if (key == "feeds")
        return readFeeds(reader, out);
    if (key == "stimulus")
        return readStimulus(reader, out);
    return skipValue(reader, kMemberDepth);
}

BridgeDiagnosticKind diagnosticKindOfType(const std::string& type) {
    if (type == "vanto.diag.subscribe")
        return kBridgeDiagnosticSubscribe;
    if (type == "vanto.diag.unsubscribe")
        return kBridgeDiagnosticUnsubscribe;
    if (type == "vanto.diag.stimulus")
        return kBridgeDiagnosticStimulus;
    return kBridgeDiagnosticNone;
}

// "{}" (inner whitespace allowed) is a complete message on its own: what follows it is not read.
bool isEmptyObjectAhead(Reader reader) {
    return consumeChar(reader, '{') && consumeChar(reader, '}');
}

} // namespace

bool parseBridgeMessage(const char* bytes, std::size_t length, BridgeMessage& out) {
    out = BridgeMessage{};
    if (bytes == nullptr) {
        return false;
    }
    Reader reader{bytes, bytes + length};
    if (isEmptyObjectAhead(reader)) {
        return true;
    }
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] { return readMember(reader, key, out); });
    if (!read || !atEndOfInput(reader)) {
        return false;
    }
    out.diagnosticKind = diagnosticKindOfType(out.type);
    return true;
}

} // namespace vanto
