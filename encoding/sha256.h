// SHA-256 digests as lower-case hex, used to pin sample-bank assets and downloaded archives.
#pragma once

#include <cstddef>
#include <string>

namespace vanto {

// The 64 lower-case hex digits of the SHA-256 digest (FIPS 180-4) of `size` bytes at `data`.
std::string sha256Hex(const unsigned char* data, std::size_t size);

} // namespace vanto
