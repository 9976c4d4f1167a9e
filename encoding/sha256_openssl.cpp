// SHA-256 through OpenSSL's libcrypto, which is linked statically into every binary. The plain digest
// functions are used rather than the one-shot SHA256(): since OpenSSL 3 that goes through the
// provider machinery, which drags most of libcrypto, a process-wide library context and exit
// handlers into the plug-in, where the plain functions add a few kilobytes and no global state.
// OpenSSL 3 marks them deprecated but keeps them throughout its 3.x releases.
#define OPENSSL_SUPPRESS_DEPRECATED
#include "encoding/sha256_digest.h"

#include <openssl/sha.h>

namespace vanto {

static_assert(kSha256DigestSize == SHA256_DIGEST_LENGTH);

void sha256Digest(const unsigned char* data, std::size_t size, unsigned char (&digest)[kSha256DigestSize]) {
    SHA256_CTX context;
    SHA256_Init(&context);
    if (size > 0) {
        SHA256_Update(&context, data, size);
    }
    SHA256_Final(digest, &context);
}

} // namespace vanto
