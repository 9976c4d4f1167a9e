#include "diagnostics/diagnostic_text.h"

#include <cstring> // strnlen, memset

namespace vanto {

namespace {

// Control bytes would need six-byte escapes in a report; as spaces, 32 records of maximal text keep
// a report far below the size the controller accepts, and the texts stay single lines.
bool isControlByte(char byte) {
    return static_cast<unsigned char>(byte) < 0x20;
}

bool isUtf8Continuation(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// The longest prefix of `text` of at most `limit` bytes that does not end inside a UTF-8 sequence.
// A sequence is at most four bytes, so at most three bytes are given back; text that is not UTF-8
// is cut at the limit.
std::size_t utf8PrefixLength(const char* text, std::size_t limit) {
    const std::size_t length = strnlen(text, limit + 1);
    if (length <= limit) {
        return length;
    }
    for (std::size_t cut = limit; cut + 3 >= limit && cut > 0; --cut) {
        if (!isUtf8Continuation(text[cut])) {
            return cut;
        }
    }
    return limit;
}

} // namespace

void copyDiagnosticText(char* field, std::size_t size, const char* text) {
    if (size == 0) {
        return;
    }
    const std::size_t length = text != nullptr ? utf8PrefixLength(text, size - 1) : 0;
    for (std::size_t i = 0; i < length; ++i) {
        field[i] = isControlByte(text[i]) ? ' ' : text[i];
    }
    std::memset(field + length, 0, size - length);
}

} // namespace vanto
