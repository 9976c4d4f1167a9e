#include "encoding/utf8.h"

namespace vanto {

namespace {

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

} // namespace

std::size_t utf8SequenceLength(const unsigned char* text, std::size_t available) {
    const unsigned char lead = text[0];
    std::size_t length = 0;
    unsigned char secondLow = 0x80;
    unsigned char secondHigh = 0xBF;
    if (inRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (inRange(lead, 0xE0, 0xEF)) {
        length = 3;
        secondLow = lead == 0xE0 ? 0xA0 : 0x80;
        secondHigh = lead == 0xED ? 0x9F : 0xBF;
    } else if (inRange(lead, 0xF0, 0xF4)) {
        length = 4;
        secondLow = lead == 0xF0 ? 0x90 : 0x80;
        secondHigh = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || available < length || !inRange(text[1], secondLow, secondHigh)) {
        return 0;
    }
    for (std::size_t i = 2; i < length; ++i) {
        if (!inRange(text[i], 0x80, 0xBF)) {
            return 0;
        }
    }
    return length;
}

bool isWellFormedUtf8(const char* text, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(text);
    for (std::size_t i = 0; i < size;) {
        if (bytes[i] < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = utf8SequenceLength(bytes + i, size - i);
        if (length == 0) {
            return false;
        }
        i += length;
    }
    return true;
}

} // namespace vanto
