// Base64 both ways: any text the decoder accepts decodes to no more than its limit and re-encodes to
// text that decodes to the same bytes; any bytes encode to padded alphabet text that decodes back to
// them, and a limit one byte short refuses that text.
#include "fuzz_check.h"

#include "encoding/base64.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string encode(const std::vector<uint8_t>& bytes) {
    std::string text;
    vanto::base64Append(text, bytes.data(), bytes.size());
    return text;
}

bool isAlphabetOrPadding(char ch) {
    return vanto::base64Digit(ch) >= 0 || ch == '=';
}

void checkDecodingText(const std::string& text) {
    // A limit taken from the input's first byte exercises the refusal before decoding.
    const std::size_t limit = text.empty() ? 0 : static_cast<uint8_t>(text[0]);
    std::vector<uint8_t> decoded;
    if (!vanto::base64Decode(text, decoded, limit)) {
        return;
    }
    FUZZ_CHECK(text.size() % 4 == 0);
    FUZZ_CHECK(decoded.size() <= limit);
    FUZZ_CHECK(decoded.size() <= text.size() / 4 * 3);
    std::vector<uint8_t> again;
    FUZZ_CHECK(vanto::base64Decode(encode(decoded), again, limit));
    FUZZ_CHECK(again == decoded);
}

void checkEncodingBytes(const std::vector<uint8_t>& bytes) {
    const std::string text = encode(bytes);
    FUZZ_CHECK(text.size() == (bytes.size() + 2) / 3 * 4);
    for (char ch : text) {
        FUZZ_CHECK(isAlphabetOrPadding(ch));
    }
    std::vector<uint8_t> decoded;
    FUZZ_CHECK(vanto::base64Decode(text, decoded, bytes.size()));
    FUZZ_CHECK(decoded == bytes);
    if (!bytes.empty()) {
        FUZZ_CHECK(!vanto::base64Decode(text, decoded, bytes.size() - 1));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    checkDecodingText(std::string(reinterpret_cast<const char*>(data), size));
    checkEncodingBytes(std::vector<uint8_t>(data, data + size));
    return 0;
}
