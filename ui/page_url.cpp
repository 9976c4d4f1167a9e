#include "ui/page_url.h"

#include <cstdio>

namespace vanto {

uint64_t uiRootHash(std::string_view rootPath) {
    uint64_t hash = 0x14650FB0739D0383ull;
    for (const char byte : rootPath) {
        hash ^= static_cast<unsigned char>(byte);
        hash *= 0x100000001B3ull;
    }
    return hash;
}

std::string uiPageUrl(std::string_view rootPath) {
    char host[32];
    std::snprintf(host, sizeof host, "%016llx", static_cast<unsigned long long>(uiRootHash(rootPath)));
    std::string url = kUiUrlScheme;
    url += "://bundle-";
    url += host;
    url += "/index.html";
    return url;
}

} // namespace vanto
