// The number readers: the JSON reader's parseNumber over a buffer that ends exactly where the input
// does (so reading past it is caught), and strtodCLocale on a terminated copy. Both must agree with
// the C library's strtod in a "C" locale object to the byte and to the bit, whatever locale the
// process has been switched to.
#include "fuzz_check.h"

#include "encoding/c_locale_number.h"
#include "encoding/json_reader.h"

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

namespace {

locale_t referenceLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

struct Conversion {
    std::size_t consumed = 0;
    double value = 0.0;
};

Conversion reference(const std::string& terminated) {
    char* stop = nullptr;
    const double value = strtod_l(terminated.c_str(), &stop, referenceLocale());
    return {static_cast<std::size_t>(stop - terminated.c_str()), value};
}

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool isJsonWhitespace(uint8_t byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

void checkParseNumber(const uint8_t* data, std::size_t size) {
    std::size_t skipped = 0;
    while (skipped < size && isJsonWhitespace(data[skipped])) {
        ++skipped;
    }
    const Conversion expected =
        reference(std::string(reinterpret_cast<const char*>(data) + skipped, size - skipped));
    vanto::Reader reader{reinterpret_cast<const char*>(data), reinterpret_cast<const char*>(data) + size};
    double value = 0.0;
    const bool read = vanto::parseNumber(reader, &value);
    const auto moved = static_cast<std::size_t>(reader.cursor - reinterpret_cast<const char*>(data));
    FUZZ_CHECK(read == (expected.consumed > 0));
    if (read) {
        FUZZ_CHECK(moved == skipped + expected.consumed);
        FUZZ_CHECK(sameBits(value, expected.value));
    } else {
        FUZZ_CHECK(moved <= skipped);
    }
}

void checkStrtodCLocale(const uint8_t* data, std::size_t size) {
    const std::string terminated(reinterpret_cast<const char*>(data), size);
    const Conversion expected = reference(terminated);
    char* stop = nullptr;
    const double value = vanto::strtodCLocale(terminated.c_str(), &stop);
    FUZZ_CHECK(static_cast<std::size_t>(stop - terminated.c_str()) == expected.consumed);
    if (expected.consumed > 0) {
        FUZZ_CHECK(sameBits(value, expected.value));
    }
}

} // namespace

// A host may switch the process to a locale with a decimal comma; the readers must not notice.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            break;
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    checkParseNumber(data, size);
    checkStrtodCLocale(data, size);
    return 0;
}
