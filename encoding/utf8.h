// UTF-8 well-formedness, shared by the JSON writer (which replaces stray bytes) and the editor (which
// hands the web view only texts it can carry).
#pragma once

#include <cstddef>

namespace vanto {

// The length of the well-formed UTF-8 sequence of two to four bytes at `text` (shortest form, no
// surrogate, at most U+10FFFF), or 0 when the bytes there are not one.
std::size_t utf8SequenceLength(const unsigned char* text, std::size_t available);

// True when all `size` bytes form well-formed UTF-8 (a NUL byte counts as the character U+0000).
bool isWellFormedUtf8(const char* text, std::size_t size);

} // namespace vanto
