// Unpacking a downloaded zip archive into a folder. Each platform supplies this in its own file.
#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <vector>

namespace vanto {

enum class ZipUnpackResult {
    unpacked,
    extractorUnavailable, // the unpacking machinery itself could not be started
    unreadable,           // not a zip, damaged, too large, or an entry that would land outside the folder
};

// Unpacks `archive` into the existing folder `destination`. Entries with absolute paths, ".."
// segments, links leading outside the folder, or other than files, folders and symbolic links are
// refused, as is an archive that unpacks to more than `maxUnpackedBytes`. On refusal the folder may
// hold part of the archive; the caller removes it. Where the unpacking runs in a helper program,
// `helperProgram` names it (empty: the one shipped beside the plug-in) and a stop requested through
// `stop` ends the helper (the result is then extractorUnavailable); other platforms ignore both.
ZipUnpackResult unpackZipArchive(const std::vector<uint8_t>& archive, const std::string& destination,
                                 uint64_t maxUnpackedBytes, const std::string& helperProgram,
                                 std::stop_token stop = {});

} // namespace vanto
