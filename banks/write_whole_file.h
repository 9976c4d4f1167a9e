// Writing a whole file in one go, the counterpart of readWholeFile.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

// Creates or truncates `path` and writes `bytes`. False when not all bytes reached the file.
bool writeWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);

} // namespace vanto
