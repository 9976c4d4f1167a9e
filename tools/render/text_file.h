// Whole small files, such as state documents, read and written by the render tool.
#pragma once

#include <string>

namespace vanto {

bool readTextFile(const std::string& path, std::string& text, std::string& error);
// Writes through a temporary file renamed into place, so a failed write leaves nothing behind.
bool writeTextFile(const std::string& path, const std::string& text, std::string& error);

} // namespace vanto
