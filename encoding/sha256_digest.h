// The raw SHA-256 digest, computed by the platform's crypto library (one small file per platform).
#pragma once

#include <cstddef>

namespace vanto {

inline constexpr std::size_t kSha256DigestSize = 32;

// Writes the 32-byte digest of `size` bytes at `data` (which may be null when `size` is 0).
void sha256Digest(const unsigned char* data, std::size_t size, unsigned char (&digest)[kSha256DigestSize]);

} // namespace vanto
