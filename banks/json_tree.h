// The bank loader's own JSON reader: it builds a whole tree, because manifests and instrument documents
// are looked up by key in any order, unlike the streaming documents of the rest of the plug-in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vanto {

struct JsonValue {
    enum class Type { null, boolean, number, string, array, object };

    Type type = Type::null;
    bool boolean = false;
    double number = 0.0;
    std::string text;
    std::vector<JsonValue> array;
    std::map<std::string, JsonValue> object;

    bool isObject() const { return type == Type::object; }
    bool isArray() const { return type == Type::array; }
    bool isNumber() const { return type == Type::number; }
    bool isString() const { return type == Type::string; }
    bool isBool() const { return type == Type::boolean; }

    // The member named `key`, or null when there is none or this value is not an object.
    const JsonValue* find(const std::string& key) const;
    // The member's text when it is a string, else the fallback.
    std::string str(const std::string& key, const std::string& fallback = std::string()) const;
};

// Deepest nesting accepted below the top-level value; deeper documents are refused so that hostile
// input cannot exhaust the stack.
inline constexpr int kJsonTreeMaxDepth = 32;

// Parses the whole range as one JSON value followed only by whitespace. False on any syntax error.
bool parseJsonDocument(const uint8_t* begin, const uint8_t* end, JsonValue& out);
bool parseJsonDocument(const std::vector<uint8_t>& bytes, JsonValue& out);

} // namespace vanto
