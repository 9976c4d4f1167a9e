#include "encoding/json_writer.h"

#include "encoding/utf8.h"

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

// Stands in for each byte that is not part of well-formed UTF-8: one byte for one, so that a text keeps
// its length (ids have byte limits), and the same mark the reader gives for any "\u" escape.
constexpr char kReplacementByte = '?';

} // namespace

void jsonAppendQuotedBytes(std::string& out, const char* text, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    out += '"';
    for (std::size_t i = 0; i < size; ++i) {
        const unsigned char byte = bytes[i];
        if (byte == '"' || byte == '\\') {
            out += '\\';
            out += static_cast<char>(byte);
        } else if (byte < 0x20) {
            appendControlEscape(out, byte);
        } else if (byte < 0x80) {
            out += static_cast<char>(byte);
        } else if (const std::size_t length = utf8SequenceLength(bytes + i, size - i); length > 0) {
            out.append(text + i, length);
            i += length - 1;
        } else {
            out += kReplacementByte;
        }
    }
    out += '"';
}

void jsonAppendQuoted(std::string& out, const char* text) {
    jsonAppendQuotedBytes(out, text, text != nullptr ? std::strlen(text) : 0);
}

} // namespace vanto
