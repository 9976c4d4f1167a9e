// A throw-away folder laid out like a bundle's Contents/Resources around a small page folder "ui",
// with the traps a file server must not fall into: a sibling folder whose name starts like "ui",
// a file beside the bundle, a link out of "ui" and a link that stays inside it.
#pragma once

#include <filesystem>

namespace vanto::test {

class PageFolderFixture {
  public:
    // Lays out <temp>/Dovrel.vst3/Contents/Resources/{ui, ui-private} and <temp>/outside.txt.
    PageFolderFixture();
    ~PageFolderFixture();
    PageFolderFixture(const PageFolderFixture&) = delete;
    PageFolderFixture& operator=(const PageFolderFixture&) = delete;

    std::filesystem::path bundle() const { return base / "Dovrel.vst3"; }
    std::filesystem::path ui() const { return bundle() / "Contents/Resources/ui"; }

  private:
    std::filesystem::path base;
};

inline constexpr const char* kFixtureIndex =
    "<!doctype html><html><head><title>t</title></head><body>page</body></html>";
inline constexpr const char* kFixtureScript = "export const answer = 42;\n";

} // namespace vanto::test
