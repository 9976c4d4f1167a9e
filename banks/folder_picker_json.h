// The "vanto.folderPicked" document: the page's answer to a folder request.
#pragma once

#include <string>

namespace vanto {

// Appends {"type":"vanto.folderPicked","ok":…} with the path when `ok`, "cancelled":true when not ok
// and `error` is empty, else the error.
void writeFolderPickedJson(std::string& out, bool ok, const std::string& path, const std::string& error);

} // namespace vanto
