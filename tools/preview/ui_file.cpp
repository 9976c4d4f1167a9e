#include "ui_file.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <utility>

namespace vanto::preview {

namespace fs = std::filesystem;

namespace {

bool isInside(const fs::path& root, const fs::path& candidate) {
    const auto [rootEnd, candidateAt] =
        std::mismatch(root.begin(), root.end(), candidate.begin(), candidate.end());
    return rootEnd == root.end() && candidateAt != candidate.end();
}

std::string lowerExtension(const fs::path& file) {
    std::string extension = file.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension.empty() ? extension : extension.substr(1);
}

} // namespace

std::optional<fs::path> resolveUiFile(const fs::path& root, std::string_view requestPath) {
    if (requestPath.empty() || requestPath.front() != '/' ||
        requestPath.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view relative =
        requestPath == "/" ? std::string_view("index.html") : requestPath.substr(1);
    std::error_code error;
    // Whole-path comparison after resolving every link and "..": component by component, so that
    // "ui-private" is not taken for a part of "ui".
    const fs::path real = fs::canonical(root / fs::path(relative), error);
    if (error || !isInside(root, real) || !fs::is_regular_file(real, error) || error) {
        return std::nullopt;
    }
    return real;
}

std::string contentTypeOf(const fs::path& file) {
    static const std::pair<const char*, const char*> kTypes[] = {
        {"css", "text/css; charset=utf-8"},
        {"gif", "image/gif"},
        {"htm", "text/html; charset=utf-8"},
        {"html", "text/html; charset=utf-8"},
        {"ico", "image/x-icon"},
        {"jpeg", "image/jpeg"},
        {"jpg", "image/jpeg"},
        {"js", "text/javascript; charset=utf-8"},
        {"mjs", "text/javascript; charset=utf-8"},
        {"json", "application/json; charset=utf-8"},
        {"map", "application/json; charset=utf-8"},
        {"png", "image/png"},
        {"svg", "image/svg+xml; charset=utf-8"},
        {"ttf", "font/ttf"},
        {"txt", "text/plain; charset=utf-8"},
        {"wasm", "application/wasm"},
        {"woff", "font/woff"},
        {"woff2", "font/woff2"},
    };
    const std::string extension = lowerExtension(file);
    for (const auto& [name, type] : kTypes) {
        if (extension == name) {
            return type;
        }
    }
    return "application/octet-stream";
}

} // namespace vanto::preview
