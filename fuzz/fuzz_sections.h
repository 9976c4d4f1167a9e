// One fuzz input carrying several texts (the files of a sound pack, a series of page messages): the
// texts are separated by a marker line, so seeds stay readable and mutations can move the boundaries.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vanto::fuzz {

inline constexpr char kSectionMarker[] = "\n--8<--\n";

// At most `maxSections` texts; the last one keeps the rest of the input, markers included.
std::vector<std::string> splitSections(const uint8_t* data, std::size_t size, std::size_t maxSections);

} // namespace vanto::fuzz
