// The two append primitives every JSON writer in the plug-in is built from, so that all documents
// format numbers and strings the same way. Documents are compact: no whitespace is ever written.
#pragma once

#include <cstddef>
#include <string>

namespace vanto {

// Appends the shortest decimal text that reads back to the identical double ("1", "0.5", "1e-07"),
// or "null" for NaN and the infinities, which JSON cannot express.
void jsonAppendNumber(std::string& out, double value);

// Appends a JSON string literal of a NUL-terminated byte string (null counts as empty). A double
// quote and a backslash get a backslash; the bytes below 0x20 become "\b", "\f", "\n", "\r", "\t" or
// "\u00xx" (lower-case hex); well-formed UTF-8 sequences and the other ASCII bytes are copied
// unchanged. Any other byte (a stray continuation byte, a truncated or overlong sequence, an encoded
// surrogate) is written as "?", so that every document stays valid UTF-8 whatever bytes a name or
// path brought in (the page's strict parser would refuse the whole message otherwise) and a text keeps
// its length.
void jsonAppendQuoted(std::string& out, const char* text);

// The same for `size` bytes that need not be NUL-terminated (a NUL byte is written as "\u0000").
void jsonAppendQuotedBytes(std::string& out, const char* text, std::size_t size);

} // namespace vanto
