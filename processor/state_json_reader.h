// Reading the component state document into a StateChunk. The processor's restore, the
// controller's two restore calls and the editor's state import all go through this one parser.
#pragma once

#include "processor/state_chunk.h"

#include <cstddef>

namespace vanto {

// True when the whole text is one valid state document (whitespace may follow it). `out` must hold
// the StateChunk defaults; only what the document carries is overwritten. On failure `out` is left
// partly filled and the caller discards it.
bool parseStateJson(const char* text, std::size_t length, StateChunk& out);

} // namespace vanto
