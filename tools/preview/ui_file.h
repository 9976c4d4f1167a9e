// Which file of the page's folder answers a request, and as what type, by the rules of the "vanto-ui"
// scheme (ui/ui_files.h). Only regular files whose real
// path (symbolic links resolved) lies inside the folder are served: "..", a sibling folder whose name
// starts like the page's, and links pointing out are all refused.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vanto::preview {

// The file for a decoded request path ("/" means "/index.html"), or nothing. `root` must be the
// folder's real path (std::filesystem::canonical).
std::optional<std::filesystem::path> resolveUiFile(const std::filesystem::path& root,
                                                   std::string_view requestPath);

// The content type of a file by its extension (any letter case), with the UTF-8 charset for text.
std::string contentTypeOf(const std::filesystem::path& file);

} // namespace vanto::preview
