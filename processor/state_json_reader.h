// Reading the component state document into a StateChunk. The processor's restore, the
// controller's two restore calls and the editor's state import all go through this one parser.
#pragma once

#include "encoding/json_reader.h"
#include "processor/state_chunk.h"

#include <cstddef>

namespace vanto {

// True when the whole text is one valid state document (whitespace may follow it). `out` must hold
// the StateChunk defaults; only what the document carries is overwritten. On failure `out` is left
// partly filled and the caller discards it.
bool parseStateJson(const char* text, std::size_t length, StateChunk& out);

// Reads one state object at the reader's position, as inside a larger document (the editor's state
// import); the caller checks what follows it. Same rules and `out` contract as parseStateJson.
bool parseStateObject(Reader& reader, StateChunk& out);

} // namespace vanto
