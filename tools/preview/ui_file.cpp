#include "ui_file.h"

#include "ui/ui_files.h"

namespace vanto::preview {

namespace fs = std::filesystem;

std::optional<fs::path> resolveUiFile(const fs::path& root, std::string_view requestPath) {
    // An HTTP request always names an absolute path; the scheme's rules do the rest.
    if (requestPath.empty() || requestPath.front() != '/') {
        return std::nullopt;
    }
    const std::optional<std::string> file = vanto::resolveUiFile(root.string(), requestPath);
    if (!file) {
        return std::nullopt;
    }
    return fs::path(*file);
}

std::string contentTypeOf(const fs::path& file) {
    std::string type = uiMimeType(file.string());
    // Browsers guess a text's encoding unless told; every text of the page is UTF-8.
    if (type.starts_with("text/") || type == "application/json" || type == "image/svg+xml") {
        type += "; charset=utf-8";
    }
    return type;
}

} // namespace vanto::preview
