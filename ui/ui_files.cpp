#include "ui/ui_files.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

namespace vanto {

namespace fs = std::filesystem;

namespace {

std::string lowerExtension(std::string_view fileName) {
    const std::size_t slash = fileName.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot == 0) {
        return {};
    }
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// Component by component, so that "ui2" is not taken for a part of "ui".
bool isBelow(const fs::path& root, const fs::path& candidate) {
    const auto [rootEnd, candidateAt] =
        std::mismatch(root.begin(), root.end(), candidate.begin(), candidate.end());
    return rootEnd == root.end() && candidateAt != candidate.end();
}

} // namespace

const char* uiMimeType(std::string_view fileName) {
    static const struct {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {"css", "text/css"},          {"gif", "image/gif"},        {"htm", "text/html"},
        {"html", "text/html"},        {"ico", "image/x-icon"},     {"jpeg", "image/jpeg"},
        {"jpg", "image/jpeg"},        {"js", "text/javascript"},   {"mjs", "text/javascript"},
        {"json", "application/json"}, {"map", "application/json"}, {"png", "image/png"},
        {"svg", "image/svg+xml"},     {"ttf", "font/ttf"},         {"txt", "text/plain"},
        {"wasm", "application/wasm"}, {"woff", "font/woff"},       {"woff2", "font/woff2"},
    };
    const std::string extension = lowerExtension(fileName);
    for (const auto& entry : kTypes) {
        if (extension == entry.extension) {
            return entry.type;
        }
    }
    return "application/octet-stream";
}

std::optional<std::string> decodeUrlPath(std::string_view urlPath) {
    std::string decoded;
    decoded.reserve(urlPath.size());
    for (std::size_t i = 0; i < urlPath.size(); ++i) {
        if (urlPath[i] != '%') {
            decoded += urlPath[i];
            continue;
        }
        const int high = i + 2 < urlPath.size() ? hexValue(urlPath[i + 1]) : -1;
        const int low = high >= 0 ? hexValue(urlPath[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) {
            return std::nullopt;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

std::optional<std::string> resolveUiFile(std::string_view root, std::string_view requestPath) {
    if (root.empty() || requestPath.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view relative = requestPath.empty() || requestPath == "/"
                                          ? std::string_view("index.html")
                                          : requestPath.substr(requestPath.front() == '/' ? 1 : 0);
    std::error_code error;
    const fs::path realRoot = fs::canonical(fs::path(root), error);
    if (error) {
        return std::nullopt;
    }
    const fs::path real = fs::canonical(realRoot / fs::path(relative), error);
    if (error || !isBelow(realRoot, real) || !fs::is_regular_file(real, error) || error) {
        return std::nullopt;
    }
    return real.string();
}

std::optional<UiFile> readUiFile(std::string_view root, std::string_view urlPath) {
    const std::optional<std::string> requestPath = decodeUrlPath(urlPath);
    if (!requestPath) {
        return std::nullopt;
    }
    const std::optional<std::string> file = resolveUiFile(root, *requestPath);
    if (!file) {
        return std::nullopt;
    }
    std::ifstream stream(*file, std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    UiFile served{uiMimeType(*file), std::string(std::istreambuf_iterator<char>(stream), {})};
    if (stream.bad()) {
        return std::nullopt;
    }
    return served;
}

} // namespace vanto
