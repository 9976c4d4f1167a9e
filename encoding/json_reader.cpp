#include "encoding/json_reader.h"

#include "encoding/c_locale_number.h"

#include <algorithm>
#include <cstring>

namespace vanto {

namespace {

bool isJsonWhitespace(char ch) {
    return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r';
}

// The white space strtod itself skips before a number.
bool isCWhitespace(char ch) {
    return isJsonWhitespace(ch) || ch == '\v' || ch == '\f';
}

// Every byte strtod can consume after its leading white space: signs, digits, the decimal point,
// exponent and hexadecimal letters, "inf"/"infinity"/"nan" and the "(chars)" suffix of "nan".
bool mayBelongToNumber(char ch) {
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch == '+' ||
           ch == '-' || ch == '.' || ch == '_' || ch == '(' || ch == ')';
}

// The length of the bytes at the cursor that strtod could possibly read: it can never consume
// more, so converting a terminated copy of just these bytes gives strtod's own result.
std::size_t numberCandidateLength(const Reader& reader) {
    const char* p = reader.cursor;
    while (p != reader.end && isCWhitespace(*p)) {
        ++p;
    }
    while (p != reader.end && mayBelongToNumber(*p)) {
        ++p;
    }
    return static_cast<std::size_t>(p - reader.cursor);
}

// Converts a terminated copy of `length` bytes; returns how many of them strtod consumed.
std::size_t convertCopy(const char* bytes, std::size_t length, char* copy, double* out) {
    std::memcpy(copy, bytes, length);
    copy[length] = '\0';
    char* stop = copy;
    const double value = strtodCLocale(copy, &stop);
    if (out != nullptr && stop != copy) {
        *out = value;
    }
    return static_cast<std::size_t>(stop - copy);
}

} // namespace

void skipWhitespace(Reader& reader) {
    while (reader.cursor != reader.end && isJsonWhitespace(*reader.cursor)) {
        ++reader.cursor;
    }
}

bool consumeChar(Reader& reader, char expected) {
    skipWhitespace(reader);
    if (reader.cursor == reader.end || *reader.cursor != expected) {
        return false;
    }
    ++reader.cursor;
    return true;
}

int peekChar(Reader& reader) {
    skipWhitespace(reader);
    return reader.cursor != reader.end ? static_cast<unsigned char>(*reader.cursor) : -1;
}

bool atEndOfInput(Reader& reader) {
    skipWhitespace(reader);
    return reader.cursor == reader.end;
}

bool parseLiteral(Reader& reader, std::string_view literal) {
    skipWhitespace(reader);
    if (static_cast<std::size_t>(reader.end - reader.cursor) < literal.size() ||
        std::string_view(reader.cursor, literal.size()) != literal) {
        return false;
    }
    reader.cursor += literal.size();
    return true;
}

bool parseString(Reader& reader, std::string* out) {
    if (!consumeChar(reader, '"')) {
        return false;
    }
    if (out != nullptr) {
        out->clear();
    }
    const auto append = [out](const char* bytes, std::size_t size) {
        if (out != nullptr) {
            out->append(bytes, size);
        }
    };
    while (reader.cursor != reader.end) {
        // Copy the run of plain bytes up to the next quote or backslash in one go.
        const char* run = reader.cursor;
        while (reader.cursor != reader.end && *reader.cursor != '"' && *reader.cursor != '\\') {
            ++reader.cursor;
        }
        append(run, static_cast<std::size_t>(reader.cursor - run));
        if (reader.cursor == reader.end) {
            return false;
        }
        if (*reader.cursor++ == '"') {
            return true;
        }
        if (reader.cursor == reader.end) {
            return false; // a backslash as the last byte
        }
        const char escaped = *reader.cursor++;
        switch (escaped) {
        case 'b':
            append("\b", 1);
            break;
        case 'f':
            append("\f", 1);
            break;
        case 'n':
            append("\n", 1);
            break;
        case 'r':
            append("\r", 1);
            break;
        case 't':
            append("\t", 1);
            break;
        case 'u':
            // Documents only carry texts the plug-in compares or shows, never decodes: any code
            // point reads as one "?".
            reader.cursor += std::min<std::ptrdiff_t>(4, reader.end - reader.cursor);
            append("?", 1);
            break;
        default:
            append(&escaped, 1);
            break;
        }
    }
    return false;
}

bool parseNumber(Reader& reader, double* out) {
    skipWhitespace(reader);
    const std::size_t length = numberCandidateLength(reader);
    if (length == 0) {
        return false;
    }
    constexpr std::size_t kStackCopySize = 64;
    std::size_t consumed = 0;
    if (length < kStackCopySize) {
        char copy[kStackCopySize];
        consumed = convertCopy(reader.cursor, length, copy, out);
    } else {
        // Numbers of such length are legal (long digit strings) but rare; they pay for a heap copy.
        std::string copy(length + 1, '\0');
        consumed = convertCopy(reader.cursor, length, copy.data(), out);
    }
    reader.cursor += consumed;
    return consumed > 0;
}

bool skipValue(Reader& reader, int depth) {
    skipWhitespace(reader);
    if (depth > kJsonMaxDepth || reader.cursor == reader.end) {
        return false;
    }
    const auto skipNested = [&reader, depth] { return skipValue(reader, depth + 1); };
    switch (*reader.cursor) {
    case '"':
        return parseString(reader, nullptr);
    case '{':
        return parseObjectMembers(reader, nullptr, skipNested);
    case '[':
        return parseArrayElements(reader, skipNested);
    default:
        return parseLiteral(reader, "true") || parseLiteral(reader, "false") ||
               parseLiteral(reader, "null") || parseNumber(reader, nullptr);
    }
}

bool isOneJsonObject(const char* bytes, std::size_t size) {
    Reader reader{bytes, bytes + size};
    return peekChar(reader) == '{' && skipValue(reader, 0) && atEndOfInput(reader);
}

} // namespace vanto
