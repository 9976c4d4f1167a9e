#include "ccmap/cc_map_json_reader.h"

#include "ccmap/cc_binding_names.h"
#include "kernel/param_table.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

namespace vanto {

namespace {

// A number member; a value of another type is skipped and counts as absent, as does NaN, which has
// no place in a map. Nullopt with `ok` false means malformed JSON.
std::optional<double> readOptionalNumber(Reader& reader, int depth, bool& ok) {
    double number = 0;
    if (parseNumber(reader, &number)) {
        ok = true;
        return std::isnan(number) ? std::nullopt : std::optional<double>(number);
    }
    ok = skipValue(reader, depth);
    return std::nullopt;
}

// Controller numbers and channels may arrive as fractions; they round half up, then clamp.
uint8_t roundedInRange(double number, int lowest, int highest) {
    return static_cast<uint8_t>(std::clamp(std::floor(number + 0.5), double(lowest), double(highest)));
}

// The parameter a path names exactly; a path with an embedded NUL names none.
std::optional<uint32_t> parameterOfPath(const std::string& path) {
    if (path.find('\0') != std::string::npos) {
        return std::nullopt;
    }
    const vanto_param_desc* row = vanto_param_find(path.c_str());
    return row != nullptr ? std::optional<uint32_t>(row->id) : std::nullopt;
}

// One binding's members as they are read; the binding counts only with a controller and a parameter.
struct BindingDraft {
    CcBinding binding;
    bool hasCc = false;
    bool hasParameter = false;
};

bool readNumberMember(Reader& reader, const std::string& key, int depth, BindingDraft& draft) {
    bool ok = false;
    const std::optional<double> number = readOptionalNumber(reader, depth, ok);
    if (!number) {
        return ok;
    }
    CcBinding& binding = draft.binding;
    if (key == "cc") {
        binding.cc = roundedInRange(*number, 0, 127);
        draft.hasCc = true;
    } else if (key == "channel") {
        binding.channel = roundedInRange(*number, 1, 16);
    } else if (std::isfinite(*number)) { // an infinite range end cannot be spread over controller steps
        (key == "min" ? binding.min : binding.max) = *number;
        (key == "min" ? binding.hasMin : binding.hasMax) = true;
    }
    return true;
}

bool readStringMember(Reader& reader, const std::string& key, BindingDraft& draft) {
    std::string text;
    if (!parseString(reader, &text)) {
        return false;
    }
    CcBinding& binding = draft.binding;
    if (key == "path") {
        const std::optional<uint32_t> parameter = parameterOfPath(text);
        binding.parameter = parameter.value_or(0);
        draft.hasParameter = parameter.has_value();
    } else if (key == "curve") {
        binding.curve = ccCurveFromName(text);
    } else if (key == "valueMode") {
        binding.valueMode = ccValueModeFromName(text);
    } else {
        binding.takeover = ccTakeoverFromName(text);
    }
    return true;
}

bool readEnabledMember(Reader& reader, int depth, BindingDraft& draft) {
    if (parseLiteral(reader, "true")) {
        draft.binding.enabled = true;
        return true;
    }
    if (parseLiteral(reader, "false")) {
        draft.binding.enabled = false;
        return true;
    }
    return skipValue(reader, depth);
}

bool readBindingMember(Reader& reader, const std::string& key, int depth, BindingDraft& draft) {
    if (key == "cc" || key == "channel" || key == "min" || key == "max") {
        return readNumberMember(reader, key, depth, draft);
    }
    if (key == "path" || key == "curve" || key == "valueMode" || key == "takeover") {
        return readStringMember(reader, key, draft);
    }
    if (key == "enabled") {
        return readEnabledMember(reader, depth, draft);
    }
    return skipValue(reader, depth);
}

// The binding list at `depth`; a later list replaces an earlier one of the same object.
bool readBindingList(Reader& reader, CcMap& map, int depth) {
    map = CcMap{};
    return parseArrayElements(reader, [&] { return parseCcBinding(reader, map, depth + 1); });
}

} // namespace

bool parseCcBinding(Reader& reader, CcMap& map, int depth) {
    if (peekChar(reader) != '{') {
        return skipValue(reader, depth);
    }
    BindingDraft draft;
    std::string key;
    const bool ok =
        parseObjectMembers(reader, &key, [&] { return readBindingMember(reader, key, depth + 1, draft); });
    if (!ok) {
        return false;
    }
    if (draft.hasCc && draft.hasParameter) {
        map.append(draft.binding); // a full map drops the binding silently
    }
    return true;
}

bool parseCcMapValue(Reader& reader, CcMap& out, bool& hasMap, int depth) {
    CcMap map;
    bool found = false;
    bool ok = false;
    switch (peekChar(reader)) {
    case '[':
        found = true;
        ok = readBindingList(reader, map, depth);
        break;
    case '{': {
        std::string key;
        ok = parseObjectMembers(reader, &key, [&] {
            if (key == "bindings" && peekChar(reader) == '[') {
                found = true;
                return readBindingList(reader, map, depth + 1);
            }
            return skipValue(reader, depth + 1);
        });
        break;
    }
    default:
        ok = skipValue(reader, depth);
        break;
    }
    if (!ok) {
        return false;
    }
    out = map;
    hasMap = found;
    return true;
}

bool parseCcMapJson(const char* text, std::size_t length, CcMap& out) {
    if (text == nullptr) {
        return false;
    }
    Reader reader{text, text + length};
    const int first = peekChar(reader);
    if (first != '{' && first != '[') {
        return false;
    }
    CcMap map;
    bool hasMap = false;
    if (!parseCcMapValue(reader, map, hasMap, 0) || !atEndOfInput(reader)) {
        return false;
    }
    out = map;
    return true;
}

} // namespace vanto
