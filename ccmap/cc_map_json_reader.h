// Reading the CC map document, whole or as one value inside a larger document. Every refusal leaves
// the caller's map as it was.
#pragma once

#include "ccmap/cc_map.h"
#include "encoding/json_reader.h"

#include <cstddef>

namespace vanto {

// Reads a whole document: one object or array, with nothing but whitespace around it. An object
// without "bindings" reads as an empty map. On failure `out` is untouched.
bool parseCcMapJson(const char* text, std::size_t length, CcMap& out);

// Reads one value at `depth` inside a larger document (1 for a member of the top-level object). An
// array is the binding list itself; an object contributes its "bindings" array; both set `hasMap`.
// Any other value is skipped, giving an empty map and `hasMap` false. On failure neither `out` nor
// `hasMap` changes.
bool parseCcMapValue(Reader& reader, CcMap& out, bool& hasMap, int depth = 1);

// Reads one element of a binding list at `depth` and appends the binding to `map` when it names a
// controller and a known parameter and the map has room. Anything but an object is skipped. Fails only
// on malformed JSON or a non-string "path", "curve", "valueMode" or "takeover".
bool parseCcBinding(Reader& reader, CcMap& map, int depth);

} // namespace vanto
