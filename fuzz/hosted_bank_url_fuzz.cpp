// The checks a hosted bank's address and pin pass before anything is downloaded or a cache path is
// built: an accepted URL carries no space or control byte and begins with the scheme it reports
// followed by ":/"; an accepted pin is exactly 64 hex digits, so it can never climb out of the cache.
#include "fuzz_check.h"

#include "banks/hosted_bank_cache.h"
#include "banks/https_download.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isSixtyFourHexDigits(const std::string& text) {
    if (text.size() != 64) {
        return false;
    }
    for (char c : text) {
        if (!isHexDigit(c)) {
            return false;
        }
    }
    return true;
}

bool hasOnlyVisibleBytes(const std::string& text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f) {
            return false;
        }
    }
    return true;
}

std::string lowered(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return out;
}

void checkUrl(const std::string& url) {
    std::string scheme = "stale";
    if (!vanto::urlScheme(url, scheme)) {
        FUZZ_CHECK(scheme.empty());
        return;
    }
    FUZZ_CHECK(!scheme.empty());
    FUZZ_CHECK(hasOnlyVisibleBytes(url));
    FUZZ_CHECK(url.size() > scheme.size() + 1);
    FUZZ_CHECK(lowered(url.substr(0, scheme.size())) == scheme);
    FUZZ_CHECK(url.compare(scheme.size(), 2, ":/") == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkUrl(text);
    FUZZ_CHECK(vanto::isHostedBankPin(text) == isSixtyFourHexDigits(text));
    return 0;
}
