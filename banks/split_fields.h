// Tab-separated fields, as the processor's bank reply lines carry them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vanto {

// Splits `text` at tabs into at most `maxFields` fields (at least one); the last field keeps the rest
// of the text, tabs included. An empty text gives one empty field.
std::vector<std::string> splitFields(const std::string& text, std::size_t maxFields);

} // namespace vanto
