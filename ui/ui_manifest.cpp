#include "ui/ui_manifest.h"

#include <cstdio>
#include <cstring>

namespace vanto {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::size_t skipSpace(std::string_view text, std::size_t at) {
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
    return at;
}

// The index just past the string opening at `at` (a quote), or npos when it never closes.
std::size_t endOfString(std::string_view text, std::size_t at) {
    for (std::size_t i = at + 1; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '"') {
            return i + 1;
        }
    }
    return std::string_view::npos;
}

// Copies the value string opening at `at` when it fits; see uiManifestString.
void copyValue(std::string_view text, std::size_t at, char* out, std::size_t capacity) {
    const std::size_t close = endOfString(text, at);
    if (close == std::string_view::npos || close - at - 2 > capacity - 2) {
        return;
    }
    for (std::size_t i = at + 1; i + 1 < close; ++i) {
        if (text[i] == '\\') {
            return;
        }
        out[i - at - 1] = text[i];
    }
}

// The value string after `"key"` at `at` (the key's opening quote), or npos when none follows.
std::size_t valueAfterKey(std::string_view text, std::size_t keyEnd) {
    std::size_t at = skipSpace(text, keyEnd);
    if (at >= text.size() || text[at] != ':') {
        return std::string_view::npos;
    }
    at = skipSpace(text, at + 1);
    return at < text.size() && text[at] == '"' ? at : std::string_view::npos;
}

} // namespace

void uiManifestString(std::string_view document, const char* key, char* out, std::size_t capacity) {
    if (out == nullptr || capacity == 0) {
        return;
    }
    std::memset(out, 0, capacity);
    if (capacity < 2 || key == nullptr) {
        return;
    }
    const std::string_view wanted(key);
    int depth = 0;
    for (std::size_t i = 0; i < document.size(); ++i) {
        const char c = document[i];
        if (c == '{' || c == '[') {
            ++depth;
        } else if (c == '}' || c == ']') {
            if (--depth < 0) {
                return;
            }
        } else if (c == '"') {
            const std::size_t end = endOfString(document, i);
            if (end == std::string_view::npos) {
                return;
            }
            const bool isKey =
                depth == 1 && end - i == wanted.size() + 2 && document.substr(i + 1, wanted.size()) == wanted;
            if (isKey) {
                const std::size_t value = valueAfterKey(document, end);
                if (value != std::string_view::npos) {
                    copyValue(document, value, out, capacity);
                    return;
                }
            }
            i = end - 1;
        }
    }
}

UiBundleFacts readUiBundleFactsAt(const std::string& manifestPath) {
    UiBundleFacts facts;
    std::FILE* file = std::fopen(manifestPath.c_str(), "rb");
    if (file == nullptr) {
        return facts;
    }
    std::string document;
    char piece[4096];
    std::size_t got = 0;
    while ((got = std::fread(piece, 1, sizeof piece, file)) > 0 && document.size() <= kUiManifestMaxBytes) {
        document.append(piece, got);
    }
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || document.size() > kUiManifestMaxBytes) {
        return facts;
    }
    uiManifestString(document, "buildTime", facts.buildTime, sizeof facts.buildTime);
    uiManifestString(document, "sourceRevision", facts.sourceRevision, sizeof facts.sourceRevision);
    uiManifestString(document, "sha256", facts.sha256, sizeof facts.sha256);
    return facts;
}

} // namespace vanto
