// Reading the UI bundle's manifest for the hello's identity block.
#include "ui/ui_manifest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace vanto {
namespace {

std::string manifestString(const std::string& document, const char* key, std::size_t capacity) {
    char out[128];
    std::memset(out, 'x', sizeof out);
    uiManifestString(document, key, out, capacity);
    return std::string(out, strnlen(out, capacity == 0 ? 0 : capacity));
}

// {"key":"value"}
std::string member(const char* key, const std::string& value) {
    std::string document = "{\"";
    document.append(key).append("\":\"").append(value).append("\"}");
    return document;
}

TEST(UiManifestString, TakesTheFirstTopLevelStringThatFits) {
    const std::string v62(62, 'a');
    const std::string v63(63, 'b');
    const std::string v64(64, 'c');
    const struct {
        std::string document;
        const char* key;
        std::size_t capacity;
        std::string expected;
    } cases[] = {
        {member("buildTime", v62), "buildTime", 64, v62},
        {member("buildTime", v63), "buildTime", 64, ""},
        {member("sha256", v64), "sha256", 80, v64},
        {R"({ "buildTime" :  "2026-12-10" , "x":1})", "buildTime", 64, "2026-12-10"},
        {R"({"nested":{"buildTime":"inner"},"buildTime":"outer"})", "buildTime", 64, "outer"},
        {R"({"list":["buildTime",{"buildTime":"no"}],"buildTime":"yes"})", "buildTime", 64, "yes"},
        {R"({"buildTime":"first","buildTime":"second"})", "buildTime", 64, "first"},
        {R"({"buildTime":"ab\"cd"})", "buildTime", 64, "ab"},
        {R"({"buildTime":"unterminated)", "buildTime", 64, ""},
        {R"({"buildTime":42,"sha256":"x"})", "buildTime", 64, ""},
        {R"({"a":"buildTime","buildTime":"after"})", "buildTime", 64, "after"},
        {R"({"key \"buildTime\"":"no"})", "buildTime", 64, ""},
        {R"(}{"buildTime":"after a closer"})", "buildTime", 64, ""},
        {R"({"buildTime":"x"})", "buildTime", 1, ""},
        {R"({"buildTime":""})", "buildTime", 64, ""},
        {R"({"buildTime":"ab"})", "buildTime", 4, "ab"},
        {R"({"buildTime":"abc"})", "buildTime", 4, ""},
        {"", "buildTime", 64, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(manifestString(c.document, c.key, c.capacity), c.expected) << c.document;
    }
}

class ManifestFile : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "dovrel-manifest-XXXXXX").string();
        folder = mkdtemp(pattern.data());
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string write(const std::string& text) {
        const std::string path = (folder / "manifest.json").string();
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    std::filesystem::path folder;
};

TEST_F(ManifestFile, GivesAllThreeFacts) {
    const UiBundleFacts facts = readUiBundleFactsAt(
        write(R"({"buildTime":"2026-12-10T17:00:00Z","sourceRevision":"abc123","sha256":"ff"})"));
    EXPECT_STREQ(facts.buildTime, "2026-12-10T17:00:00Z");
    EXPECT_STREQ(facts.sourceRevision, "abc123");
    EXPECT_STREQ(facts.sha256, "ff");
}

TEST_F(ManifestFile, MissingOrOversizedGivesNothing) {
    const UiBundleFacts missing = readUiBundleFactsAt((folder / "none.json").string());
    EXPECT_STREQ(missing.buildTime, "");
    std::string large = R"({"buildTime":"big","pad":")";
    large.append(kUiManifestMaxBytes, ' ');
    large += "\"}";
    const UiBundleFacts oversized = readUiBundleFactsAt(write(large));
    EXPECT_STREQ(oversized.buildTime, "");
    // Exactly at the limit is still read.
    std::string limit = R"({"buildTime":"edge","pad":")";
    limit.append(kUiManifestMaxBytes - limit.size() - 2, ' ');
    limit += "\"}";
    ASSERT_EQ(limit.size(), kUiManifestMaxBytes);
    EXPECT_STREQ(readUiBundleFactsAt(write(limit)).buildTime, "edge");
}

} // namespace
} // namespace vanto
