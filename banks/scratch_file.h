// A temporary file with a name no one else can take, removed when it goes out of scope, for handing
// data to and from a helper program. Each platform supplies this in its own file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

class ScratchFile {
  public:
    // Creates an empty file in `folder` named `prefix` plus a random suffix.
    ScratchFile(const std::string& folder, const std::string& prefix);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // False when the file could not be created; path() is empty then.
    bool created() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // Replaces the file's contents. False when not all bytes were written.
    bool write(const std::vector<uint8_t>& bytes) const;

  private:
    std::string path_;
};

} // namespace vanto
