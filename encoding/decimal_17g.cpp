#include "encoding/decimal_17g.h"

#include <charconv>

namespace vanto {

void appendDecimal17g(std::string& out, double value) {
    char text[64];
    const std::to_chars_result result =
        std::to_chars(text, text + sizeof text, value, std::chars_format::general, 17);
    out.append(text, result.ptr);
}

} // namespace vanto
