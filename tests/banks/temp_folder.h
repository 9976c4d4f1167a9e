// A private temporary folder for one test, removed with everything in it when the object goes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto::fixtures {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // `relative` inside the folder.
    std::string at(const std::string& relative) const { return path_ + "/" + relative; }

  private:
    std::string path_;
};

// Writes a file, creating the folders above it.
void writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
void writeFile(const std::string& path, const std::string& text);
// Writes a sparse file of `size` zero bytes, which takes next to no room on disk: for files far larger
// than any reader could hold, to show that they are never read.
void writeSparseFile(const std::string& path, uint64_t size);
std::vector<uint8_t> fileBytes(const std::string& path);

} // namespace vanto::fixtures
