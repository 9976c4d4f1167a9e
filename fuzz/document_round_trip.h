// The documents' round trips: a decoded state, CC map or pad-override list written again with its one
// writer must be strict JSON, read back, and keep its values. The writer changes some values on
// purpose: a byte outside UTF-8 is written as "?" (two ids may then become one), a control byte
// without a short escape as "\u00xx", which the reader takes as "?", and a non-finite number as null,
// which reads as absent. So the written text itself must come back unchanged when the document read
// was valid UTF-8 and the text holds no "\u" escape and no null, and after one more trip otherwise.
#pragma once

#include "banks/sampler_pad_overrides.h"
#include "ccmap/cc_map.h"
#include "processor/state_chunk.h"

#include <functional>
#include <string>

namespace vanto::fuzz {

// Checks that `written` is strict JSON and that rewriting what `rewrite` reads from it gives the
// same text (after one normalising trip unless `exact` and it holds no "\u" escape and no null).
// `rewrite` returns false when it cannot read its input.
void checkTextRoundTrip(const std::string& written, bool exact,
                        const std::function<bool(const std::string&, std::string&)>& rewrite);

// The document the writer makes from everything `state` holds (parameters absent from it are
// written as they stand in the record).
std::string writeStateChunk(const StateChunk& state);

// Writes `state` and checks the round trip of the text and of every value that is not a text;
// `readFromUtf8` tells whether the document it was read from was valid UTF-8.
void checkStateRoundTrip(const StateChunk& state, bool readFromUtf8);

// The same for a CC map (which holds no texts) and a list of pad overrides, through their
// whole-document readers.
void checkCcMapRoundTrip(const CcMap& map);
void checkPadOverridesRoundTrip(const SamplerPadOverrides& pads, bool readFromUtf8);

} // namespace vanto::fuzz
