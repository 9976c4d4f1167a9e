// The sound-pack loader's tree JSON reader: every strict JSON text within its nesting limit is
// accepted, and an accepted tree written out again reads back to the same tree.
#include "fuzz_check.h"
#include "strict_json_check.h"

#include "banks/json_tree.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

using vanto::JsonValue;

void appendString(std::string& out, const std::string& text) {
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            out += escape;
        } else {
            out += c;
        }
    }
    out += '"';
}

// The tree as text the reader takes: numbers with every digit (non-finite ones as strtod spells
// them), strings with their raw bytes.
void appendValue(std::string& out, const JsonValue& value) {
    switch (value.type) {
    case JsonValue::Type::null:
        out += "null";
        return;
    case JsonValue::Type::boolean:
        out += value.boolean ? "true" : "false";
        return;
    case JsonValue::Type::number: {
        char number[40];
        std::snprintf(number, sizeof number, "%.17g", value.number);
        out += number;
        return;
    }
    case JsonValue::Type::string:
        appendString(out, value.text);
        return;
    case JsonValue::Type::array:
        out += '[';
        for (std::size_t i = 0; i < value.array.size(); ++i) {
            out += i > 0 ? "," : "";
            appendValue(out, value.array[i]);
        }
        out += ']';
        return;
    case JsonValue::Type::object:
        out += '{';
        for (const auto& [key, member] : value.object) {
            out += out.back() == '{' ? "" : ",";
            appendString(out, key);
            out += ':';
            appendValue(out, member);
        }
        out += '}';
        return;
    }
}

bool sameNumber(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool sameTree(const JsonValue& a, const JsonValue& b) {
    if (a.type != b.type || a.boolean != b.boolean || !sameNumber(a.number, b.number) || a.text != b.text ||
        a.array.size() != b.array.size() || a.object.size() != b.object.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.array.size(); ++i) {
        if (!sameTree(a.array[i], b.array[i])) {
            return false;
        }
    }
    for (auto left = a.object.begin(), right = b.object.begin(); left != a.object.end(); ++left, ++right) {
        if (left->first != right->first || !sameTree(left->second, right->second)) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    JsonValue tree;
    const bool accepted = vanto::parseJsonDocument(data, data + size, tree);
    if (vanto::fuzz::isStrictJson(std::string(reinterpret_cast<const char*>(data), size),
                                  vanto::kJsonTreeMaxDepth)) {
        FUZZ_CHECK(accepted);
    }
    if (!accepted) {
        return 0;
    }
    std::string text;
    appendValue(text, tree);
    JsonValue again;
    FUZZ_CHECK(vanto::parseJsonDocument(reinterpret_cast<const uint8_t*>(text.data()),
                                        reinterpret_cast<const uint8_t*>(text.data()) + text.size(), again));
    FUZZ_CHECK(sameTree(again, tree));
    return 0;
}
