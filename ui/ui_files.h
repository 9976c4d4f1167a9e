// Which file of the UI bundle answers a request of the page, and as what type: the serving rules of
// the "vanto-ui" scheme, shared by the web views and dovrel-preview.
//
// Only regular files whose real path (every symbolic link and ".." resolved) lies below the root
// folder are served; a sibling folder whose name starts like the root's ("/a/ui2" beside "/a/ui") is
// not below it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vanto {

// The MIME type of a file by its extension, letters in any case; "application/octet-stream" for an
// extension the table does not know or a name without one.
const char* uiMimeType(std::string_view fileName);

// A URL path with its %XX escapes decoded; nothing when an escape is malformed or decodes to a NUL.
std::optional<std::string> decodeUrlPath(std::string_view urlPath);

// The real path of the file answering the decoded request path ("" and "/" mean "/index.html"), or
// nothing when the file is missing, not a regular file or not below the real path of `root`.
std::optional<std::string> resolveUiFile(std::string_view root, std::string_view requestPath);

// A served file: its bytes and MIME type.
struct UiFile {
    std::string mimeType;
    std::string bytes;
};

// The whole file for an undecoded URL path, or nothing when it is refused or cannot be read.
std::optional<UiFile> readUiFile(std::string_view root, std::string_view urlPath);

} // namespace vanto
