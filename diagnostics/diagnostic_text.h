// Copying texts into the fixed-size text fields of diagnostic records.
#pragma once

#include <cstddef>

namespace vanto {

// Copies `text` (null = empty) into `field` of `size` bytes, cut to at most size - 1 bytes at the
// start of a UTF-8 sequence so that a report never carries half a character, with control bytes
// (tab, line feed, ...) turned into spaces, and zeroes the rest of the field so records compare and
// copy as plain bytes.
void copyDiagnosticText(char* field, std::size_t size, const char* text);

} // namespace vanto
