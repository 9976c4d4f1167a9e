// Finding the UI bundle from the plug-in binary's path.
#include "page_folder_fixture.h"

#include "ui/ui_bundle.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace vanto {
namespace {

namespace fs = std::filesystem;

TEST(UiBundle, RootIsResourcesUiBesideTheBinarysFolder) {
    test::PageFolderFixture folder;
    const fs::path binary = folder.bundle() / "Contents/x86_64-linux/Dovrel.so";
    EXPECT_EQ(bundleContentsFolderOf(binary.string()), (folder.bundle() / "Contents").string());
    EXPECT_EQ(uiRootForBinary(binary.string()), fs::canonical(folder.ui()).string());
    // A bundle reached through a link gives the real folder.
    const fs::path linked = folder.bundle().parent_path() / "Linked.vst3";
    fs::create_directory_symlink(folder.bundle(), linked);
    EXPECT_EQ(uiRootForBinary((linked / "Contents/x86_64-linux/Dovrel.so").string()),
              fs::canonical(folder.ui()).string());
}

TEST(UiBundle, NoRootWithoutAUiFolder) {
    test::PageFolderFixture folder;
    EXPECT_EQ(uiRootForBinary((folder.bundle() / "Contents/Resources/ui/Dovrel.so").string()), "");
    EXPECT_EQ(uiRootForBinary("Dovrel.so"), "");
    EXPECT_EQ(uiRootForBinary("/Dovrel.so"), "");
    EXPECT_EQ(uiRootForBinary(""), "");
    // "ui" as a file is not a bundle.
    fs::remove_all(folder.ui());
    std::ofstream(folder.ui()) << "not a folder";
    EXPECT_EQ(uiRootForBinary((folder.bundle() / "Contents/x86_64-linux/Dovrel.so").string()), "");
}

} // namespace
} // namespace vanto
