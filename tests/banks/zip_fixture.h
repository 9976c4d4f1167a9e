// Zip archives built in memory with libarchive, for the hosted-download tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto::fixtures {

struct ZipEntry {
    enum class Kind { file, directory, symlink };
    Kind kind = Kind::file;
    std::string name;    // stored exactly as given, hostile names included
    std::string content; // a file's bytes, or a link's target
};

std::vector<uint8_t> makeZip(const std::vector<ZipEntry>& entries);

// Every folder and file below `folder`, named with `prefix` in front (e.g. "pack/").
std::vector<ZipEntry> zipEntriesOfFolder(const std::string& folder,
                                         const std::string& prefix = std::string());

} // namespace vanto::fixtures
