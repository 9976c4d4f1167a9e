#include "processor/state_json_reader.h"

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map_json_reader.h"
#include "encoding/base64.h"
#include "encoding/json_reader.h"
#include "kernel/param_table.h"
#include "processor/sampler_state_names.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

namespace vanto {

namespace {

// Members of the top-level object sit at depth 1, members of its blocks at depth 2.
constexpr int kTopMemberDepth = 1;
constexpr int kBlockMemberDepth = 2;
constexpr std::size_t kAuthoredMaxBytes = 1048576;

// Copies `text` into a fixed field when it fits with its terminator; false (field untouched) when not.
template <std::size_t Size> bool copyIfFits(char (&field)[Size], const std::string& text) {
    if (text.size() >= Size) {
        return false;
    }
    std::memcpy(field, text.data(), text.size());
    field[text.size()] = '\0';
    return true;
}

// A number token truncated toward zero into 32 bits, saturating at the type's ends. A document that
// says NaN or infinity where a count belongs is refused rather than guessed at.
bool readInt32Token(Reader& reader, int32_t& out) {
    double number = 0;
    if (!parseNumber(reader, &number) || !std::isfinite(number)) {
        return false;
    }
    constexpr double kLowest = std::numeric_limits<int32_t>::min();
    constexpr double kHighest = std::numeric_limits<int32_t>::max();
    out = static_cast<int32_t>(std::trunc(std::fmax(kLowest, std::fmin(kHighest, number))));
    return true;
}

// A string member of a block; any other value is skipped and leaves `text` as it was.
bool readOptionalString(Reader& reader, std::string& text) {
    if (peekChar(reader) == '"') {
        return parseString(reader, &text);
    }
    return skipValue(reader, kBlockMemberDepth);
}

// The parameter a key names exactly; a key with an embedded NUL names none.
const vanto_param_desc* parameterOfKey(const std::string& key) {
    return key.find('\0') == std::string::npos ? vanto_param_find(key.c_str()) : nullptr;
}

// One member of "params": true and false stand for 1 and 0, numbers for themselves; a word that only
// starts like true or false is malformed; strings, null, arrays and objects are skipped.
bool readParamMember(Reader& reader, const std::string& key, StateChunk& out) {
    double value = 0;
    const int next = peekChar(reader);
    if (next == 't' || next == 'f') {
        if (parseLiteral(reader, "true")) {
            value = 1.0;
        } else if (parseLiteral(reader, "false")) {
            value = 0.0;
        } else {
            return false;
        }
    } else if (!parseNumber(reader, &value)) {
        return skipValue(reader, kBlockMemberDepth);
    }
    if (const vanto_param_desc* row = parameterOfKey(key)) {
        out.params[row->id] = value;
        out.paramPresent[row->id] = true;
    }
    return true;
}

bool readParams(Reader& reader, StateChunk& out) {
    std::string key;
    return parseObjectMembers(reader, &key, [&] { return readParamMember(reader, key, out); });
}

bool readSamplerAssetFault(Reader& reader, StateChunk& out) {
    std::string name;
    if (!parseString(reader, &name)) {
        return false;
    }
    SamplerAssetDiagnostic fault = kSamplerAssetNone;
    out.hasSamplerAssetFault = samplerAssetDiagnosticFromName(name, fault);
    out.samplerAssetFault = fault;
    return true;
}

bool readSamplerZoneProgram(Reader& reader, StateChunk& out) {
    std::string name;
    if (!parseString(reader, &name)) {
        return false;
    }
    if (name.find('\0') == std::string::npos && samplerZoneProgramNameKnown(name.c_str())) {
        out.samplerZoneProgram = samplerZoneProgramFromName(name.c_str());
        out.hasSamplerZoneProgram = true;
    }
    return true;
}

bool parseAuthoredState(Reader& reader, StateChunk& out) {
    std::string bytes;
    int32_t version = 0;
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        if (key == "bytes") {
            return readOptionalString(reader, bytes);
        }
        if (key == "v") {
            return readInt32Token(reader, version);
        }
        return skipValue(reader, kBlockMemberDepth);
    });
    if (!read) {
        return false;
    }
    // A block that does not decode is dropped; it never costs the rest of the state.
    std::vector<uint8_t> decoded;
    if (!bytes.empty() && base64Decode(bytes, decoded, kAuthoredMaxBytes)) {
        out.authoredBytes = std::move(decoded);
        out.authoredVersion = version;
        out.hasAuthoredState = true;
    }
    return true;
}

// Overrides are taken only from a version 1 block with a "pads" object; any other block is read and
// ignored. A "pads" member given twice counts once, the later one.
bool parseSamplerExtension(Reader& reader, StateChunk& out) {
    bool versionOne = false;
    bool readPads = false;
    SamplerPadOverrides pads;
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        if (key == "v") {
            double version = 0;
            if (!parseNumber(reader, &version)) {
                return false;
            }
            versionOne = version == 1.0;
            return true;
        }
        if (key == "pads" && peekChar(reader) == '{') {
            SamplerPadOverrides fresh;
            if (!parsePadOverrideMap(reader, fresh)) {
                return false;
            }
            pads = std::move(fresh);
            readPads = true;
            return true;
        }
        return skipValue(reader, kBlockMemberDepth);
    });
    if (!read) {
        return false;
    }
    if (versionOne && readPads) {
        out.padOverrides = std::move(pads);
        out.hasPadOverrides = true;
    }
    return true;
}

bool isBankSource(const std::string& source) {
    return source == kBankSourceEmbedded || source == kBankSourceModuleRelative ||
           source == kBankSourceUserFolder || source == kBankSourceHosted;
}

struct BankRefTexts {
    std::string id, bankVersion, sha256, source, presetId, instrument, locator;
};

// Oversized texts are dropped one by one; only an unusable id drops the whole reference.
void adoptBankRef(const BankRefTexts& texts, StateChunk& out) {
    if (texts.id.empty() || !copyIfFits(out.bankId, texts.id)) {
        return;
    }
    copyIfFits(out.bankVersion, texts.bankVersion);
    copyIfFits(out.bankSha256, texts.sha256);
    if (isBankSource(texts.source)) {
        copyIfFits(out.bankSource, texts.source);
    }
    out.hasBankRef = true;
    out.hasBankLocator = !texts.locator.empty() && copyIfFits(out.bankLocator, texts.locator);
    out.hasBankPresetId = !texts.presetId.empty() && copyIfFits(out.bankPresetId, texts.presetId);
    copyIfFits(out.bankInstrument, texts.instrument);
}

template <std::size_t Size> void clearText(char (&field)[Size]) {
    std::memset(field, 0, Size);
}

// A later "bank" block replaces an earlier one entirely.
void clearBankRef(StateChunk& out) {
    clearText(out.bankId);
    clearText(out.bankVersion);
    clearText(out.bankSha256);
    clearText(out.bankSource);
    clearText(out.bankPresetId);
    clearText(out.bankInstrument);
    clearText(out.bankLocator);
    out.hasBankLocator = out.hasBankRef = out.hasBankPresetId = false;
}

std::string* bankTextFor(BankRefTexts& texts, const std::string& key) {
    if (key == "id")
        return &texts.id;
    if (key == "bankVersion")
        return &texts.bankVersion;
    if (key == "sha256")
        return &texts.sha256;
    if (key == "source")
        return &texts.source;
    if (key == "presetId")
        return &texts.presetId;
    if (key == "instrument")
        return &texts.instrument;
    if (key == "locator")
        return &texts.locator;
    return nullptr;
}

// The reference's fields are NUL-terminated, so a text ends at its first NUL byte: an id starting with
// one is empty, and names no bank, rather than a reference whose id reads as nothing.
void cutAtNul(std::string& text) {
    if (const std::size_t nul = text.find('\0'); nul != std::string::npos) {
        text.resize(nul);
    }
}

bool parseBankStateRef(Reader& reader, StateChunk& out) {
    BankRefTexts texts;
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        std::string* text = bankTextFor(texts, key);
        if (text == nullptr) {
            return skipValue(reader, kBlockMemberDepth);
        }
        if (!readOptionalString(reader, *text)) {
            return false;
        }
        cutAtNul(*text);
        return true;
    });
    if (!read) {
        return false;
    }
    clearBankRef(out);
    adoptBankRef(texts, out);
    return true;
}

// The current preset of the controller's state; a program outside the factory list is ignored.
bool parseCurrentPreset(Reader& reader, StateChunk& out) {
    std::string id, name;
    int32_t program = -1;
    std::string key;
    const bool read = parseObjectMembers(reader, &key, [&] {
        if (key == "id")
            return readOptionalString(reader, id);
        if (key == "name")
            return readOptionalString(reader, name);
        if (key == "program" && peekChar(reader) != '"')
            return readInt32Token(reader, program);
        return skipValue(reader, kBlockMemberDepth);
    });
    if (!read) {
        return false;
    }
    out.presetId = std::move(id);
    out.presetName = std::move(name);
    out.presetProgram =
        program >= 0 && program < static_cast<int32_t>(VANTO_FACTORY_PRESET_COUNT) ? program : -1;
    out.hasPreset = true;
    return true;
}

bool readCcMap(Reader& reader, StateChunk& out) {
    bool hasMap = false;
    if (!parseCcMapValue(reader, out.ccMap, hasMap, kTopMemberDepth)) {
        return false;
    }
    out.hasCcMap = hasMap;
    return true;
}

// Blocks are read only when their value is an object (the CC map also as an array); a value of any
// other kind is skipped, so a document written by a newer build still restores.
bool readTopMember(Reader& reader, const std::string& key, StateChunk& out) {
    const int next = peekChar(reader);
    const bool isObject = next == '{';
    if (key == "params") {
        return readParams(reader, out);
    }
    if (key == "variation") {
        return readInt32Token(reader, out.variation);
    }
    if (key == "ccMap" && (isObject || next == '[')) {
        return readCcMap(reader, out);
    }
    if (key == "samplerAssetFault") {
        return readSamplerAssetFault(reader, out);
    }
    if (key == "samplerZoneProgram") {
        return readSamplerZoneProgram(reader, out);
    }
    if (key == "sampler" && isObject) {
        return parseSamplerExtension(reader, out);
    }
    if (key == "authoredState" && isObject) {
        return parseAuthoredState(reader, out);
    }
    if (key == "bank" && isObject) {
        return parseBankStateRef(reader, out);
    }
    if (key == "preset" && isObject) {
        return parseCurrentPreset(reader, out);
    }
    return skipValue(reader, kTopMemberDepth);
}

} // namespace

bool parseStateObject(Reader& reader, StateChunk& out) {
    std::string key;
    return parseObjectMembers(reader, &key, [&] { return readTopMember(reader, key, out); });
}

bool parseStateJson(const char* text, std::size_t length, StateChunk& out) {
    if (text == nullptr) {
        return false;
    }
    Reader reader{text, text + length};
    return parseStateObject(reader, out) && atEndOfInput(reader);
}

} // namespace vanto
