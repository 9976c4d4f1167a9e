// The streaming JSON reader shared by every document parser of the plug-in (state, CC map, pad
// overrides, bridge messages): a cursor over the caller's bytes and a few token functions. It
// builds no tree; parsers read the members they know and skip the rest with skipValue.
//
// Whitespace is exactly space, tab, line feed and carriage return. The range need not be
// NUL-terminated: nothing here reads at or beyond `end`. Token functions return false on malformed
// input; a parser then gives up on the whole document.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vanto {

// Values nested deeper than this below a document's top-level object are refused, which bounds
// the recursion of skipValue.
inline constexpr int kJsonMaxDepth = 32;

struct Reader {
    const char* cursor; // next unread byte
    const char* end;    // one past the last byte
};

inline Reader makeReader(std::string_view text) {
    return Reader{text.data(), text.data() + text.size()};
}

void skipWhitespace(Reader& reader);

// Skips whitespace and consumes `expected` if it is the next byte.
bool consumeChar(Reader& reader, char expected);

// Skips whitespace and returns the next byte without consuming it, or -1 at the end.
int peekChar(Reader& reader);

// Skips whitespace; true when nothing else remains.
bool atEndOfInput(Reader& reader);

// Skips whitespace and consumes `literal` (such as "true") if the whole of it lies before the end.
// Nothing is consumed otherwise.
bool parseLiteral(Reader& reader, std::string_view literal);

// Reads one string token into `*out` (replacing its contents), or skips it when `out` is null.
// Escapes \b \f \n \r \t give their control bytes, \u with up to four following bytes gives one "?"
// (no Unicode decoding anywhere), any other escaped byte stands for itself. Raw bytes, control
// bytes and UTF-8 sequences included, are taken as they stand.
bool parseString(Reader& reader, std::string* out);

// Reads one number token with exactly the syntax strtod accepts in the "C" locale, whatever the
// process locale (so also "+1", ".5", hexadecimal floats, "inf" and "nan"); `out` may be null. On
// failure the cursor is not moved past the whitespace, so a parser may try another kind of value.
bool parseNumber(Reader& reader, double* out);

// Consumes one complete value of any type. `depth` is the nesting level of that value, the
// top-level object of a document being 0; anything nested deeper than kJsonMaxDepth fails. Never
// allocates, except for a copy of each number-like run longer than 63 bytes.
bool skipValue(Reader& reader, int depth);

// True when the bytes hold exactly one object (whitespace around it allowed), as skipValue reads it.
bool isOneJsonObject(const char* bytes, std::size_t size);

// Reads an object, calling `readValue()` for each member after its key (stored in `*key` unless
// `key` is null) and the colon; readValue consumes the member's value and returns false to fail the
// object. Accepts "{}" with inner whitespace; refuses a trailing comma.
template <class ReadValue> bool parseObjectMembers(Reader& reader, std::string* key, ReadValue&& readValue) {
    if (!consumeChar(reader, '{')) {
        return false;
    }
    if (consumeChar(reader, '}')) {
        return true;
    }
    do {
        if (!parseString(reader, key) || !consumeChar(reader, ':') || !readValue()) {
            return false;
        }
    } while (consumeChar(reader, ','));
    return consumeChar(reader, '}');
}

// Reads an array, calling `readElement()` for each element; readElement consumes it and returns
// false to fail the array. Accepts "[]" with inner whitespace; refuses a trailing comma.
template <class ReadElement> bool parseArrayElements(Reader& reader, ReadElement&& readElement) {
    if (!consumeChar(reader, '[')) {
        return false;
    }
    if (consumeChar(reader, ']')) {
        return true;
    }
    do {
        if (!readElement()) {
            return false;
        }
    } while (consumeChar(reader, ','));
    return consumeChar(reader, ']');
}

} // namespace vanto
