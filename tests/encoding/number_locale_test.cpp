// Hosts may switch the process to a locale whose decimal point is a comma. Documents must read and
// write the same numbers regardless.
#include "encoding/json_reader.h"
#include "encoding/json_writer.h"

#include "support/exact_buffer.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <langinfo.h>
#include <locale.h>
#include <string>

#ifdef __SANITIZE_ADDRESS__
// glibc's newlocale keeps its parsed copy of LOCPATH forever; that leak belongs to the C library.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:__argz_add_sep\n";
}
#endif

namespace vanto {
namespace {

bool hasCommaDecimalPoint(locale_t locale) {
    return std::string(nl_langinfo_l(RADIXCHAR, locale)) == ",";
}

// The name of an installed locale with a comma decimal point, or empty. The build generates
// de_DE.UTF-8 into a private folder when the system lacks one (see CMakeLists.txt).
std::string findCommaLocale() {
    const char* const candidates[] = {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8",
                                      "nl_NL.UTF-8", "de_DE",      "fr_FR"};
    const auto tryAll = [&]() -> std::string {
        for (const char* name : candidates) {
            const locale_t locale = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(0));
            if (locale == static_cast<locale_t>(0)) {
                continue;
            }
            const bool comma = hasCommaDecimalPoint(locale);
            freelocale(locale);
            if (comma) {
                return name;
            }
        }
        return {};
    };
    std::string found = tryAll();
#ifdef DOVREL_TEST_LOCALE_DIR
    if (found.empty()) {
        setenv("LOCPATH", DOVREL_TEST_LOCALE_DIR, 1);
        found = tryAll();
    }
#endif
    return found;
}

class CommaLocale : public ::testing::Test {
  protected:
    void SetUp() override {
        name_ = findCommaLocale();
        if (name_.empty()) {
            GTEST_SKIP() << "no locale with a comma decimal point is installed";
        }
        previous_ = std::setlocale(LC_ALL, nullptr);
        ASSERT_NE(std::setlocale(LC_ALL, name_.c_str()), nullptr);
        // The premise: the C library itself now reads "1.5" as 1.
        ASSERT_EQ(std::strtod("1.5", nullptr), 1.0);
    }
    void TearDown() override {
        if (!previous_.empty()) {
            std::setlocale(LC_ALL, previous_.c_str());
        }
    }

  private:
    std::string name_;
    std::string previous_;
};

TEST_F(CommaLocale, ReaderStillUsesTheDecimalPoint) {
    const struct {
        const char* input;
        double expected;
        std::size_t consumed;
    } cases[] = {{"1.5", 1.5, 3}, {"-0.25e1", -2.5, 7}, {"1,5", 1.0, 1}, {"0x1.8p1", 3.0, 7}};
    for (const auto& c : cases) {
        const test::ExactBuffer buffer(c.input);
        Reader reader{buffer.begin(), buffer.end()};
        double value = 0.0;
        ASSERT_TRUE(parseNumber(reader, &value)) << c.input;
        EXPECT_EQ(value, c.expected) << c.input;
        EXPECT_EQ(static_cast<std::size_t>(reader.cursor - buffer.begin()), c.consumed) << c.input;
    }
}

TEST_F(CommaLocale, SkipValueReadsFractionalNumbers) {
    const test::ExactBuffer buffer("[1.5,2.25]");
    Reader reader{buffer.begin(), buffer.end()};
    EXPECT_TRUE(skipValue(reader, 1));
    EXPECT_EQ(reader.cursor, reader.end);
}

TEST_F(CommaLocale, WriterStillUsesTheDecimalPoint) {
    std::string out;
    jsonAppendNumber(out, 0.5);
    EXPECT_EQ(out, "0.5");
}

// A host thread may also switch only its own locale.
TEST(ThreadLocale, ReaderIgnoresAThreadLocalCommaLocale) {
    const std::string name = findCommaLocale();
    if (name.empty()) {
        GTEST_SKIP() << "no locale with a comma decimal point is installed";
    }
    const locale_t comma = newlocale(LC_ALL_MASK, name.c_str(), static_cast<locale_t>(0));
    ASSERT_NE(comma, static_cast<locale_t>(0));
    const locale_t previous = uselocale(comma);
    const test::ExactBuffer buffer("2.75");
    Reader reader{buffer.begin(), buffer.end()};
    double value = 0.0;
    const bool ok = parseNumber(reader, &value);
    uselocale(previous);
    freelocale(comma);
    ASSERT_TRUE(ok);
    EXPECT_EQ(value, 2.75);
    EXPECT_EQ(reader.cursor, reader.end);
}

} // namespace
} // namespace vanto
