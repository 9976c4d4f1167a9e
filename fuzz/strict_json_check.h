// A strict JSON recogniser for checking, inside a fuzz run, what the plug-in writes for the page and
// for hosts. It is independent of the plug-in's readers and follows the standard grammar with the
// rules of a strict parser: UTF-8 only (no overlong forms, no encoded surrogates), no raw control
// characters in strings, no NaN or Infinity, nothing but whitespace around the one value.
#pragma once

#include <string_view>

namespace vanto::fuzz {

// Nesting is limited to `maxDepth` levels below the top-level value.
bool isStrictJson(std::string_view text, int maxDepth = 256);

// True when the whole text is well-formed UTF-8 under the same rules.
bool isValidUtf8(std::string_view text);

} // namespace vanto::fuzz
