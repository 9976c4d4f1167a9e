// The UI bundle's manifest.json: when the page was built, from which revision, and the digest of its
// files, as the identity block of the hello shows them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vanto {

struct UiBundleFacts {
    char buildTime[64] = {};
    char sourceRevision[64] = {};
    char sha256[80] = {};
};

// Manifests above this size are not read.
inline constexpr std::size_t kUiManifestMaxBytes = 1048576;

// Copies the string value of `key` among the top-level members of `document` into `out` (capacity
// bytes, zero-filled first). Only the first member of that name counts; a value of more than
// capacity - 2 characters, or without its closing quote, leaves `out` empty; a backslash ends the
// copy there. A capacity below 2 gives an empty result.
void uiManifestString(std::string_view document, const char* key, char* out, std::size_t capacity);

// The facts of the manifest at `manifestPath`; all empty when it is missing, unreadable or too large.
UiBundleFacts readUiBundleFactsAt(const std::string& manifestPath);

} // namespace vanto
