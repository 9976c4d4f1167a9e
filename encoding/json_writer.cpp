#include "encoding/json_writer.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace vanto {

void jsonAppendNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    // The shortest round-trip form of a double never needs more than 24 characters.
    char scratch[64];
    const std::to_chars_result result = std::to_chars(scratch, scratch + sizeof scratch, value);
    out.append(scratch, result.ptr);
}

namespace {

// The escape for a control byte; the five with a short form keep it so that the reader restores
// the very same byte.
void appendControlEscape(std::string& out, unsigned char byte) {
    switch (byte) {
    case '\b':
        out += "\\b";
        return;
    case '\f':
        out += "\\f";
        return;
    case '\n':
        out += "\\n";
        return;
    case '\r':
        out += "\\r";
        return;
    case '\t':
        out += "\\t";
        return;
    default:
        break;
    }
    static constexpr char kHexDigits[] = "0123456789abcdef";
    const char escape[] = {'\\', 'u', '0', '0', kHexDigits[byte >> 4], kHexDigits[byte & 0x0F]};
    out.append(escape, sizeof escape);
}

} // namespace

void jsonAppendQuotedBytes(std::string& out, const char* text, std::size_t size) {
    out += '"';
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20) {
            appendControlEscape(out, byte);
        } else {
            out += static_cast<char>(byte);
        }
    }
    out += '"';
}

void jsonAppendQuoted(std::string& out, const char* text) {
    jsonAppendQuotedBytes(out, text, text != nullptr ? std::strlen(text) : 0);
}

} // namespace vanto
