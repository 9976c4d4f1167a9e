// Which request paths the preview serves from the page's folder, and as what type.
#include "page_folder_fixture.h"
#include "ui_file.h"

#include <gtest/gtest.h>

namespace vanto::preview {
namespace {

using test::PageFolderFixture;

TEST(UiFile, ServesFilesWhoseRealPathIsInsideTheFolder) {
    PageFolderFixture folder;
    const auto root = std::filesystem::canonical(folder.ui());
    const struct {
        const char* request;
        const char* served; // relative to the folder; null: refused
    } cases[] = {
        {"/", "index.html"},
        {"/index.html", "index.html"},
        {"/js/app.js", "js/app.js"},
        {"/js/../index.html", "index.html"},
        {"/linked-inside.js", "js/app.js"},
        {"/../ui-private/secret.txt", nullptr},
        {"/../../../outside.txt", nullptr},
        {"/escape.txt", nullptr},
        {"/escape-folder/secret.txt", nullptr},
        {"//etc/passwd", nullptr},
        {"/js", nullptr},
        {"/js/", nullptr},
        {"/missing.html", nullptr},
        {"", nullptr},
        {"index.html", nullptr},
    };
    for (const auto& c : cases) {
        const auto file = resolveUiFile(root, c.request);
        if (c.served == nullptr) {
            EXPECT_FALSE(file.has_value()) << c.request << " served " << file->string();
        } else {
            ASSERT_TRUE(file.has_value()) << c.request;
            EXPECT_EQ(*file, root / c.served) << c.request;
        }
    }
}

TEST(UiFile, RefusesAPathWithAZeroByte) {
    PageFolderFixture folder;
    const auto root = std::filesystem::canonical(folder.ui());
    EXPECT_FALSE(resolveUiFile(root, std::string_view("/index.html\0.js", 15)).has_value());
}

TEST(UiFile, TypesFollowTheExtensionInAnyCase) {
    const struct {
        const char* file;
        const char* type;
    } cases[] = {
        {"index.html", "text/html; charset=utf-8"},
        {"a/b.JS", "text/javascript; charset=utf-8"},
        {"STYLE.CSS", "text/css; charset=utf-8"},
        {"manifest.json", "application/json; charset=utf-8"},
        {"x.svg", "image/svg+xml; charset=utf-8"},
        {"x.png", "image/png"},
        {"x.woff2", "font/woff2"},
        {"data.bin", "application/octet-stream"},
        {"no-extension", "application/octet-stream"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(contentTypeOf(c.file), c.type) << c.file;
    }
}

} // namespace
} // namespace vanto::preview
