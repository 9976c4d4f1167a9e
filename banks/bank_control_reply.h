// Reads the processor's answer to a bank request (the text encodeRuntimeBankReply writes).
#pragma once

#include "banks/bank_control_facts.h"

#include <string>

namespace vanto {

// Sets `outcome` from the first line and, for "ok", fills `bank` from the instrument, positioning and
// preset lines (anything else leaves `bank` empty). Parameter pairs whose value is not a finite number
// are dropped, since they could only reach the parameters as garbage. False when the text names no
// outcome at all; the reply is then not a reply.
bool parseRuntimeBankReply(const std::string& text, std::string& outcome, LoadedBankFacts& bank);

} // namespace vanto
