#include "banks/json_tree.h"

#include "encoding/c_locale_number.h"

#include <cstring>

namespace vanto {

const JsonValue* JsonValue::find(const std::string& key) const {
    if (type != Type::object)
        return nullptr;
    auto member = object.find(key);
    return member == object.end() ? nullptr : &member->second;
}

std::string JsonValue::str(const std::string& key, const std::string& fallback) const {
    const JsonValue* member = find(key);
    return member != nullptr && member->isString() ? member->text : fallback;
}

namespace {

bool isJsonWhitespace(uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

int hexDigitValue(uint8_t byte) {
    if (byte >= '0' && byte <= '9')
        return byte - '0';
    if (byte >= 'a' && byte <= 'f')
        return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F')
        return byte - 'A' + 10;
    return -1;
}

// Bytes that can belong to a number as strtod reads it ("1e-5", "0x1p3", "inf", "nan(abc)"). strtod
// stops at the first byte outside this set, so copying the run gives it a terminated buffer without
// changing what it accepts.
bool mayBelongToNumber(uint8_t byte) {
    return (byte >= '0' && byte <= '9') || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
           byte == '+' || byte == '-' || byte == '.' || byte == '_' || byte == '(' || byte == ')';
}

void appendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

bool isHighSurrogate(uint32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(uint32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

class JsonTreeReader {
  public:
    JsonTreeReader(const uint8_t* begin, const uint8_t* end) : cursor_(begin), end_(end) {}

    bool parseDocument(JsonValue& out) {
        if (!parseValue(out, 0))
            return false;
        skipWhitespace();
        return cursor_ == end_;
    }

  private:
    const uint8_t* cursor_;
    const uint8_t* end_;

    void skipWhitespace() {
        while (cursor_ < end_ && isJsonWhitespace(*cursor_))
            ++cursor_;
    }

    bool consume(uint8_t byte) {
        if (cursor_ < end_ && *cursor_ == byte) {
            ++cursor_;
            return true;
        }
        return false;
    }

    bool consumeLiteral(const char* literal) {
        size_t length = std::strlen(literal);
        if (static_cast<size_t>(end_ - cursor_) < length || std::memcmp(cursor_, literal, length) != 0)
            return false;
        cursor_ += length;
        return true;
    }

    bool parseValue(JsonValue& out, int depth) {
        skipWhitespace();
        if (depth > kJsonTreeMaxDepth || cursor_ == end_)
            return false;
        switch (*cursor_) {
        case '"':
            out.type = JsonValue::Type::string;
            return parseString(out.text);
        case '{':
            return parseObject(out, depth);
        case '[':
            return parseArray(out, depth);
        default:
            break;
        }
        if (consumeLiteral("true")) {
            out.type = JsonValue::Type::boolean;
            out.boolean = true;
            return true;
        }
        if (consumeLiteral("false")) {
            out.type = JsonValue::Type::boolean;
            out.boolean = false;
            return true;
        }
        if (consumeLiteral("null")) {
            out.type = JsonValue::Type::null;
            return true;
        }
        out.type = JsonValue::Type::number;
        return parseNumber(out.number);
    }

    bool parseNumber(double& out) {
        const uint8_t* runEnd = cursor_;
        while (runEnd < end_ && mayBelongToNumber(*runEnd))
            ++runEnd;
        std::string token(cursor_, runEnd);
        char* stop = nullptr;
        out = strtodCLocale(token.c_str(), &stop);
        size_t consumed = static_cast<size_t>(stop - token.c_str());
        if (consumed == 0)
            return false;
        cursor_ += consumed;
        return true;
    }

    bool parseHexUnit(uint32_t& unit) {
        if (end_ - cursor_ < 4)
            return false;
        unit = 0;
        for (int i = 0; i < 4; ++i) {
            int digit = hexDigitValue(cursor_[i]);
            if (digit < 0)
                return false;
            unit = (unit << 4) | static_cast<uint32_t>(digit);
        }
        cursor_ += 4;
        return true;
    }

    // After "\u" and its first unit: a high surrogate directly followed by an escaped low surrogate
    // makes one code point; anything unpaired is kept as the value of the unit itself.
    bool parseUnicodeEscape(std::string& out) {
        uint32_t unit = 0;
        if (!parseHexUnit(unit))
            return false;
        if (isHighSurrogate(unit) && end_ - cursor_ >= 6 && cursor_[0] == '\\' && cursor_[1] == 'u') {
            const uint8_t* mark = cursor_;
            cursor_ += 2;
            uint32_t low = 0;
            if (parseHexUnit(low) && isLowSurrogate(low)) {
                appendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                return true;
            }
            cursor_ = mark;
        }
        appendUtf8(out, unit);
        return true;
    }

    bool parseEscape(std::string& out) {
        if (cursor_ == end_)
            return false;
        uint8_t escape = *cursor_++;
        switch (escape) {
        case '"':
        case '\\':
        case '/':
            out += static_cast<char>(escape);
            return true;
        case 'b':
            out += '\b';
            return true;
        case 'f':
            out += '\f';
            return true;
        case 'n':
            out += '\n';
            return true;
        case 'r':
            out += '\r';
            return true;
        case 't':
            out += '\t';
            return true;
        case 'u':
            return parseUnicodeEscape(out);
        default:
            return false;
        }
    }

    bool parseString(std::string& out) {
        if (!consume('"'))
            return false;
        out.clear();
        while (cursor_ < end_) {
            uint8_t byte = *cursor_++;
            if (byte == '"')
                return true;
            if (byte == '\\') {
                if (!parseEscape(out))
                    return false;
            } else {
                out += static_cast<char>(byte);
            }
        }
        return false;
    }

    bool parseArray(JsonValue& out, int depth) {
        out.type = JsonValue::Type::array;
        ++cursor_;
        skipWhitespace();
        if (consume(']'))
            return true;
        for (;;) {
            JsonValue element;
            if (!parseValue(element, depth + 1))
                return false;
            out.array.push_back(std::move(element));
            skipWhitespace();
            if (consume(']'))
                return true;
            if (!consume(','))
                return false;
        }
    }

    bool parseObject(JsonValue& out, int depth) {
        out.type = JsonValue::Type::object;
        ++cursor_;
        skipWhitespace();
        if (consume('}'))
            return true;
        for (;;) {
            skipWhitespace();
            std::string key;
            if (!parseString(key))
                return false;
            skipWhitespace();
            if (!consume(':'))
                return false;
            JsonValue member;
            if (!parseValue(member, depth + 1))
                return false;
            out.object[key] = std::move(member);
            skipWhitespace();
            if (consume('}'))
                return true;
            if (!consume(','))
                return false;
        }
    }
};

} // namespace

bool parseJsonDocument(const uint8_t* begin, const uint8_t* end, JsonValue& out) {
    out = JsonValue();
    JsonTreeReader reader(begin, end);
    return reader.parseDocument(out);
}

bool parseJsonDocument(const std::vector<uint8_t>& bytes, JsonValue& out) {
    return parseJsonDocument(bytes.data(), bytes.data() + bytes.size(), out);
}

} // namespace vanto
