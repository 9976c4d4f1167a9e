#include "strict_json_check.h"

#include <cstddef>
#include <cstdint>

namespace vanto::fuzz {

namespace {

class StrictJson {
  public:
    StrictJson(std::string_view text, int maxDepth) : text_(text), maxDepth_(maxDepth) {}

    bool utf8Only() {
        while (!atEnd()) {
            if (peek() < 0x80) {
                ++at_;
            } else if (!utf8Sequence()) {
                return false;
            }
        }
        return true;
    }

    bool document() {
        skipWhitespace();
        if (!value(0)) {
            return false;
        }
        skipWhitespace();
        return at_ == text_.size();
    }

  private:
    std::string_view text_;
    int maxDepth_;
    std::size_t at_ = 0;

    bool atEnd() const { return at_ >= text_.size(); }
    uint8_t peek() const { return static_cast<uint8_t>(text_[at_]); }

    bool accept(char expected) {
        if (!atEnd() && text_[at_] == expected) {
            ++at_;
            return true;
        }
        return false;
    }

    void skipWhitespace() {
        while (!atEnd() && (peek() == ' ' || peek() == '\t' || peek() == '\n' || peek() == '\r')) {
            ++at_;
        }
    }

    bool literal(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) {
            return false;
        }
        at_ += word.size();
        return true;
    }

    bool digits() {
        const std::size_t start = at_;
        while (!atEnd() && peek() >= '0' && peek() <= '9') {
            ++at_;
        }
        return at_ > start;
    }

    // -? (0 | [1-9][0-9]*) (. [0-9]+)? ([eE] [+-]? [0-9]+)?
    bool number() {
        accept('-');
        if (accept('0')) {
            if (!atEnd() && peek() >= '0' && peek() <= '9') {
                return false;
            }
        } else if (!digits()) {
            return false;
        }
        if (accept('.') && !digits()) {
            return false;
        }
        if (accept('e') || accept('E')) {
            if (!accept('+')) {
                accept('-');
            }
            return digits();
        }
        return true;
    }

    bool hexDigits(std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++at_) {
            if (atEnd()) {
                return false;
            }
            const uint8_t c = peek();
            const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
            if (!hex) {
                return false;
            }
        }
        return true;
    }

    bool escape() {
        if (atEnd()) {
            return false;
        }
        switch (text_[at_++]) {
        case '"':
        case '\\':
        case '/':
        case 'b':
        case 'f':
        case 'n':
        case 'r':
        case 't':
            return true;
        case 'u':
            return hexDigits(4);
        default:
            return false;
        }
    }

    bool continuationBytes(std::size_t count, uint32_t& codePoint) {
        for (std::size_t i = 0; i < count; ++i, ++at_) {
            if (atEnd() || (peek() & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (peek() & 0x3F);
        }
        return true;
    }

    // One multi-byte UTF-8 sequence in its shortest form, naming a scalar value.
    bool utf8Sequence() {
        const uint8_t lead = peek();
        ++at_;
        std::size_t count = 0;
        uint32_t codePoint = 0;
        uint32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            count = 1;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            count = 2;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            count = 3;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (!continuationBytes(count, codePoint)) {
            return false;
        }
        const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
        return codePoint >= smallest && codePoint <= 0x10FFFF && !surrogate;
    }

    bool string() {
        if (!accept('"')) {
            return false;
        }
        while (!atEnd()) {
            const uint8_t c = peek();
            if (c == '"') {
                ++at_;
                return true;
            }
            if (c < 0x20) {
                return false;
            }
            if (c == '\\') {
                ++at_;
                if (!escape()) {
                    return false;
                }
            } else if (c < 0x80) {
                ++at_;
            } else if (!utf8Sequence()) {
                return false;
            }
        }
        return false;
    }

    template <typename Element> bool sequence(char close, Element element) {
        skipWhitespace();
        if (accept(close)) {
            return true;
        }
        do {
            skipWhitespace();
            if (!element()) {
                return false;
            }
            skipWhitespace();
        } while (accept(','));
        return accept(close);
    }

    bool value(int depth) {
        if (depth > maxDepth_ || atEnd()) {
            return false;
        }
        switch (peek()) {
        case '{':
            ++at_;
            return sequence('}', [&] {
                if (!string()) {
                    return false;
                }
                skipWhitespace();
                if (!accept(':')) {
                    return false;
                }
                skipWhitespace();
                return value(depth + 1);
            });
        case '[':
            ++at_;
            return sequence(']', [&] { return value(depth + 1); });
        case '"':
            return string();
        case 't':
            return literal("true");
        case 'f':
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number();
        }
    }
};

} // namespace

bool isStrictJson(std::string_view text, int maxDepth) {
    return StrictJson(text, maxDepth).document();
}

bool isValidUtf8(std::string_view text) {
    return StrictJson(text, 0).utf8Only();
}

} // namespace vanto::fuzz
