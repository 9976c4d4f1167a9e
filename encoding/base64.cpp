#include "encoding/base64.h"

namespace vanto {

void base64Append(std::string& out, const unsigned char* data, std::size_t size) {
    out.reserve(out.size() + (size + 2) / 3 * 4);
    std::size_t i = 0;
    for (; i + 3 <= size; i += 3) {
        const uint32_t group = uint32_t{data[i]} << 16 | uint32_t{data[i + 1]} << 8 | data[i + 2];
        out += kBase64Alphabet[group >> 18];
        out += kBase64Alphabet[(group >> 12) & 0x3F];
        out += kBase64Alphabet[(group >> 6) & 0x3F];
        out += kBase64Alphabet[group & 0x3F];
    }
    const std::size_t remaining = size - i;
    if (remaining == 0) {
        return;
    }
    const uint32_t group = uint32_t{data[i]} << 16 | (remaining == 2 ? uint32_t{data[i + 1]} << 8 : 0);
    out += kBase64Alphabet[group >> 18];
    out += kBase64Alphabet[(group >> 12) & 0x3F];
    out += remaining == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=';
    out += '=';
}

int base64Digit(char ch) {
    if (ch >= 'A' && ch <= 'Z') {
        return ch - 'A';
    }
    if (ch >= 'a' && ch <= 'z') {
        return ch - 'a' + 26;
    }
    if (ch >= '0' && ch <= '9') {
        return ch - '0' + 52;
    }
    if (ch == '+') {
        return 62;
    }
    if (ch == '/') {
        return 63;
    }
    return -1;
}

namespace {

std::size_t paddingCount(const std::string& text) {
    const bool lastIsPad = text[text.size() - 1] == '=';
    const bool secondLastIsPad = text[text.size() - 2] == '=';
    return lastIsPad && secondLastIsPad ? 2 : (lastIsPad || secondLastIsPad ? 1 : 0);
}

// Decodes one group of four characters. Padding may only close the final group, and only as its
// last one or two characters: a digit after a "=" would carry bits no encoder writes there.
bool decodeQuartet(const char* quartet, bool isLastGroup, std::vector<uint8_t>& out,
                   std::size_t expectedSize) {
    uint32_t bits = 0;
    int digits = 0;
    for (int position = 0; position < 4; ++position) {
        const char ch = quartet[position];
        if (ch == '=') {
            if (!isLastGroup || position < 2) {
                return false;
            }
            continue;
        }
        const int value = base64Digit(ch);
        if (value < 0 || digits != position) {
            return false;
        }
        bits |= static_cast<uint32_t>(value) << (18 - 6 * position);
        ++digits;
    }
    const int bytes = digits - 1; // 4 digits carry 3 bytes, 3 carry 2, 2 carry 1
    for (int i = 0; i < bytes && out.size() < expectedSize; ++i) {
        out.push_back(static_cast<uint8_t>(bits >> (16 - 8 * i)));
    }
    return true;
}

} // namespace

bool base64Decode(const std::string& text, std::vector<uint8_t>& out, std::size_t maxBytes) {
    out.clear();
    if (text.size() % 4 != 0) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    const std::size_t expectedSize = text.size() / 4 * 3 - paddingCount(text);
    if (expectedSize > maxBytes) {
        return false;
    }
    out.reserve(expectedSize);
    for (std::size_t offset = 0; offset < text.size(); offset += 4) {
        const bool isLastGroup = offset + 4 == text.size();
        if (!decodeQuartet(text.data() + offset, isLastGroup, out, expectedSize)) {
            return false;
        }
    }
    return out.size() == expectedSize;
}

} // namespace vanto
