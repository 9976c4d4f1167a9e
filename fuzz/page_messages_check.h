// What a controller sends to its page must be strict JSON whatever the page or the host sent it,
// since the page parses every message with a strict parser.
#pragma once

#include <string>
#include <vector>

namespace vanto::fuzz {

// Aborts, printing the message, on the first page message that is not strict JSON.
void checkPageMessages(const std::vector<std::string>& page);

} // namespace vanto::fuzz
