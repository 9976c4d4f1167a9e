// SHA-256 through OpenSSL's libcrypto.
#include "encoding/sha256_digest.h"

#include <openssl/sha.h>

namespace vanto {

static_assert(kSha256DigestSize == SHA256_DIGEST_LENGTH);

void sha256Digest(const unsigned char* data, std::size_t size, unsigned char (&digest)[kSha256DigestSize]) {
    static const unsigned char kNoBytes = 0;
    SHA256(size > 0 ? data : &kNoBytes, size, digest);
}

} // namespace vanto
