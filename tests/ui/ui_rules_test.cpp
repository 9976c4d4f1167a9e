// The editor's rules that need no web view: the page URL, the scheme's files and types, the size rules.
#include "page_folder_fixture.h"

#include "ui/editor_size.h"
#include "ui/page_url.h"
#include "ui/ui_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vanto {
namespace {

namespace fs = std::filesystem;
using test::PageFolderFixture;

TEST(PageUrl, HashesTheRootPathBytesWithFnv1a) {
    EXPECT_EQ(uiRootHash(""), 0x14650FB0739D0383ull);
    EXPECT_EQ(uiRootHash("/a/ui"), 0xafbba290b9bb49c2ull);
    EXPECT_EQ(uiPageUrl("/a/ui"), "vanto-ui://bundle-afbba290b9bb49c2/index.html");
    // The same root always gives the same address; any other byte gives another.
    EXPECT_EQ(uiPageUrl("/a/ui"), uiPageUrl(std::string("/a/ui")));
    EXPECT_NE(uiPageUrl("/a/ui"), uiPageUrl("/a/ui/"));
    EXPECT_EQ(uiPageUrl("").size(), std::string("vanto-ui://bundle-0123456789abcdef/index.html").size());
}

TEST(UiMimeType, FollowsTheTableInAnyLetterCase) {
    const struct {
        const char* file;
        const char* type;
    } cases[] = {
        {"index.html", "text/html"},
        {"a/b.HTM", "text/html"},
        {"app.JS", "text/javascript"},
        {"m.mjs", "text/javascript"},
        {"s.Css", "text/css"},
        {"manifest.json", "application/json"},
        {"x.js.map", "application/json"},
        {"i.svg", "image/svg+xml"},
        {"p.PNG", "image/png"},
        {"g.gif", "image/gif"},
        {"j.jpeg", "image/jpeg"},
        {"j.JPG", "image/jpeg"},
        {"favicon.ico", "image/x-icon"},
        {"f.ttf", "font/ttf"},
        {"f.woff", "font/woff"},
        {"f.woff2", "font/woff2"},
        {"w.wasm", "application/wasm"},
        {"t.txt", "text/plain"},
        {"data.bin", "application/octet-stream"},
        {"no-extension", "application/octet-stream"},
        {"dir.js/file", "application/octet-stream"},
        {".hidden", "application/octet-stream"},
        {"trailing.", "application/octet-stream"},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(uiMimeType(c.file), c.type) << c.file;
    }
}

TEST(UiUrlPath, DecodesEscapesAndRefusesBrokenOnes) {
    EXPECT_EQ(decodeUrlPath("/a%20b/c.js"), "/a b/c.js");
    EXPECT_EQ(decodeUrlPath("/%2e%2E/x"), "/../x");
    EXPECT_EQ(decodeUrlPath("/plain"), "/plain");
    EXPECT_FALSE(decodeUrlPath("/bad%2").has_value());
    EXPECT_FALSE(decodeUrlPath("/bad%zz").has_value());
    EXPECT_FALSE(decodeUrlPath("/nul%00.js").has_value());
}

// Every request is answered from below the root's real path or not at all.
TEST(UiFiles, ServeOnlyRegularFilesBelowTheRootsRealPath) {
    PageFolderFixture folder;
    const fs::path root = fs::canonical(folder.ui());
    const struct {
        const char* urlPath;
        const char* served; // relative to the root; null: refused
    } cases[] = {
        {"", "index.html"},
        {"/", "index.html"},
        {"/index.html", "index.html"},
        {"/js/app.js", "js/app.js"},
        {"/js/../index.html", "index.html"},
        {"/linked-inside.js", "js/app.js"},
        {"/js/%2e%2e/index.html", "index.html"},
        // "..", also encoded, out of the root
        {"/../ui-private/secret.txt", nullptr},
        {"/%2e%2e/ui-private/secret.txt", nullptr},
        {"/%2E%2E/%2E%2E/%2E%2E/outside.txt", nullptr},
        {"/../../../outside.txt", nullptr},
        // a sibling whose name starts like the root's: "ui-private" is not below "ui"
        {"/../ui-private", nullptr},
        // links inside the root that point out of it
        {"/escape.txt", nullptr},
        {"/escape-folder/secret.txt", nullptr},
        {"//etc/passwd", nullptr},
        {"/js", nullptr},
        {"/missing.html", nullptr},
        {"/index.html%00.js", nullptr},
    };
    for (const auto& c : cases) {
        const auto file = readUiFile(root.string(), c.urlPath);
        if (c.served == nullptr) {
            EXPECT_FALSE(file.has_value()) << c.urlPath;
            continue;
        }
        ASSERT_TRUE(file.has_value()) << c.urlPath;
        std::ifstream expected(root / c.served, std::ios::binary);
        EXPECT_EQ(file->bytes, std::string(std::istreambuf_iterator<char>(expected), {})) << c.urlPath;
    }
    EXPECT_EQ(readUiFile(root.string(), "/")->mimeType, "text/html");
    EXPECT_EQ(readUiFile(root.string(), "/STYLE.CSS")->mimeType, "text/css");
    EXPECT_EQ(readUiFile(root.string(), "/data.bin")->mimeType, "application/octet-stream");
}

// A root given through a link or with "..", as a host's path may be, serves the same files.
TEST(UiFiles, AcceptARootThatIsNotItsRealPath) {
    PageFolderFixture folder;
    const fs::path linkedRoot = folder.bundle().parent_path() / "linked-ui";
    fs::create_directory_symlink(folder.ui(), linkedRoot);
    EXPECT_TRUE(readUiFile(linkedRoot.string(), "/js/app.js").has_value());
    EXPECT_TRUE(readUiFile((folder.ui() / "js" / "..").string(), "/index.html").has_value());
    EXPECT_FALSE(readUiFile((folder.ui() / "missing").string(), "/index.html").has_value());
    EXPECT_FALSE(readUiFile("", "/index.html").has_value());
}

TEST(EditorSize, ClampsWidthAndHeightKeepingTheCorner) {
    const struct {
        EditorRect in;
        EditorRect out;
    } cases[] = {
        {{0, 0, 300, 2000}, {0, 0, 480, 1200}},
        {{0, 0, 1000, 800}, {0, 0, 1000, 800}},
        {{10, 20, 2010, 520}, {10, 20, 1610, 760}},
        {{100, 100, 0, 0}, {100, 100, 580, 840}}, // reversed: the minimum
        {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
         {INT32_MIN, INT32_MIN, INT32_MIN + 1600, INT32_MIN + 1200}},
        {{0, 0, 480, 740}, {0, 0, 480, 740}},
        {{0, 0, 1600, 1200}, {0, 0, 1600, 1200}},
    };
    for (const auto& c : cases) {
        const EditorRect clamped = clampEditorRect(c.in);
        EXPECT_EQ(clamped.left, c.out.left);
        EXPECT_EQ(clamped.top, c.out.top);
        EXPECT_EQ(clamped.right, c.out.right) << c.in.right - c.in.left;
        EXPECT_EQ(clamped.bottom, c.out.bottom) << c.in.bottom - c.in.top;
    }
}

} // namespace
} // namespace vanto
