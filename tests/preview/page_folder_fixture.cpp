#include "page_folder_fixture.h"

#include <cstdlib>
#include <fstream>
#include <string>

namespace vanto::test {

namespace fs = std::filesystem;

namespace {

void write(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace

PageFolderFixture::PageFolderFixture() {
    std::string pattern = (fs::temp_directory_path() / "dovrel-page-XXXXXX").string();
    base = fs::canonical(mkdtemp(pattern.data()));
    const fs::path resources = bundle() / "Contents/Resources";
    write(ui() / "index.html", kFixtureIndex);
    write(ui() / "js/app.js", kFixtureScript);
    write(ui() / "STYLE.CSS", "body{}");
    write(ui() / "data.bin", "\x01\x02");
    write(resources / "ui-private/secret.txt", "secret");
    write(base / "outside.txt", "outside");
    fs::create_symlink("js/app.js", ui() / "linked-inside.js");
    fs::create_symlink("../ui-private/secret.txt", ui() / "escape.txt");
    fs::create_directory_symlink(resources / "ui-private", ui() / "escape-folder");
}

PageFolderFixture::~PageFolderFixture() {
    std::error_code ignored;
    fs::remove_all(base, ignored);
}

} // namespace vanto::test
