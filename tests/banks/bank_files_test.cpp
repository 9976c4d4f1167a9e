#include "banks/bank_files.h"

#include "banks/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vanto {
namespace {

TEST(BankFiles, JoinPathCases) {
    const struct {
        const char* dir;
        const char* relative;
        const char* joined;
    } cases[] = {
        {"/packs/a", "", "/packs/a"},
        {"/packs/a", "/abs/x.wav", "/abs/x.wav"},
        {"", "x.wav", "x.wav"},
        {"/packs/a", "x.wav", "/packs/a/x.wav"},
        {"/packs/a/", "s/x.wav", "/packs/a/s/x.wav"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(joinPath(c.dir, c.relative), c.joined) << c.dir << " + " << c.relative;
}

TEST(BankFiles, PathIsContainedRefusesEscapesOnly) {
    const struct {
        const char* path;
        bool contained;
    } cases[] = {
        {"", false},          {"/etc/passwd", false}, {"..", false},       {"../x.wav", false},
        {"a/../../x", false}, {"a/..", false},        {"a\\b.wav", false}, {"a/b/../c", false},
        {"x.wav", true},      {"a/b/c.wav", true},    {"..x/y.wav", true}, {"a/...", true},
        {"a/..b", true},      {"./x.wav", true},      {"a//b", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pathIsContained(c.path), c.contained) << c.path;
}

TEST(BankFiles, ReadWholeFileReadsBytesAndRefusesWhatIsNoFile) {
    fixtures::TempFolder folder;
    std::vector<uint8_t> bytes = {0, 1, 2, 0xFF, 0};
    fixtures::writeFile(folder.at("data.bin"), bytes);
    fixtures::writeFile(folder.at("empty.bin"), std::vector<uint8_t>());
    std::vector<uint8_t> out = {42};
    ASSERT_TRUE(readWholeFile(folder.at("data.bin"), out));
    EXPECT_EQ(out, bytes);
    ASSERT_TRUE(readWholeFile(folder.at("empty.bin"), out));
    EXPECT_TRUE(out.empty());
    EXPECT_FALSE(readWholeFile(folder.at("missing.bin"), out));
    EXPECT_FALSE(readWholeFile(folder.path(), out)); // a folder
}

TEST(BankFiles, ReadFileUpToReadsNothingOfAFileAboveTheLimit) {
    fixtures::TempFolder folder;
    const std::vector<uint8_t> bytes = {1, 2, 3, 4};
    fixtures::writeFile(folder.at("four.bin"), bytes);
    // A sparse file far larger than this machine could hold: sizing it must be all that happens.
    fixtures::writeSparseFile(folder.at("huge.bin"), uint64_t{1} << 42);
    const struct {
        const char* file;
        uint64_t limit;
        FileRead result;
        std::vector<uint8_t> read;
    } cases[] = {
        {"four.bin", 4, FileRead::ok, bytes},
        {"four.bin", 3, FileRead::tooLarge, {}},
        {"huge.bin", uint64_t{1} << 41, FileRead::tooLarge, {}},
        {"missing.bin", 4, FileRead::unreadable, {}},
        {"", 4, FileRead::unreadable, {}}, // the folder itself
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> out = {42};
        EXPECT_EQ(readFileUpTo(folder.at(c.file), c.limit, out), c.result) << c.file << " " << c.limit;
        EXPECT_EQ(out, c.read) << c.file << " " << c.limit;
    }
}

TEST(BankFiles, RealPathMustStayInsideThroughSymbolicLinks) {
    fixtures::TempFolder outside;
    fixtures::TempFolder pack;
    fixtures::writeFile(outside.at("secret.wav"), "secret");
    fixtures::writeFile(pack.at("samples/own.wav"), "own");
    std::filesystem::create_symlink(outside.at("secret.wav"), pack.at("leak.wav"));
    std::filesystem::create_directory_symlink(outside.path(), pack.at("elsewhere"));
    std::filesystem::create_symlink("samples/own.wav", pack.at("alias.wav"));
    std::filesystem::create_directory_symlink(pack.path(), outside.at("pack-link"));

    EXPECT_TRUE(realPathStaysInside(pack.path(), "samples/own.wav"));
    EXPECT_TRUE(realPathStaysInside(pack.path(), "alias.wav"));     // a link that stays inside
    EXPECT_TRUE(realPathStaysInside(pack.path(), "not-there.wav")); // left for the read to report
    EXPECT_FALSE(realPathStaysInside(pack.path(), "leak.wav"));
    EXPECT_FALSE(realPathStaysInside(pack.path(), "elsewhere/secret.wav"));
    EXPECT_FALSE(realPathStaysInside(pack.path(), ".")); // the folder itself is no file in it
    // The pack reached through a link of its own is judged by its real location.
    EXPECT_TRUE(realPathStaysInside(outside.at("pack-link"), "samples/own.wav"));
}

} // namespace
} // namespace vanto
