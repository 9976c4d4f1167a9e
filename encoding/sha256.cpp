#include "encoding/sha256.h"

#include "encoding/sha256_digest.h"

namespace vanto {

std::string sha256Hex(const unsigned char* data, std::size_t size) {
    unsigned char digest[kSha256DigestSize];
    sha256Digest(data, size, digest);
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(2 * kSha256DigestSize);
    for (const unsigned char byte : digest) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 0x0F];
    }
    return hex;
}

} // namespace vanto
