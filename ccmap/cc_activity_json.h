// The page-bound report of one CC activity record.
#pragma once

#include "ccmap/cc_activity_feed.h"

#include <string>

namespace vanto {

// Appends {"type":"vanto.midiCc","cc":<cc>,"channel":<channel>,"value":<value>}.
void writeMidiCcJson(std::string& out, const CcActivityRecord& record);

} // namespace vanto
