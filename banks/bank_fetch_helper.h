// The bank fetch helper: a small program shipped beside the plug-in that runs HTTPS downloads and zip
// unpacking, so the plug-in itself links no network or archive library. Both sides build their
// command lines and read the outcome from these names.
//
//   dovrel-bank-fetch download URL OUTPUT_FILE [--ca-file F] [--max-bytes N] [--connect-seconds N]
//                                              [--transfer-seconds N]
//   dovrel-bank-fetch unzip ARCHIVE_FILE DESTINATION [--max-unpacked-bytes N]
//
// A failed download prints its reason as one line.
#pragma once

#include <string>

namespace vanto {

inline constexpr const char* kBankFetchHelperName = "dovrel-bank-fetch";

inline constexpr const char* kHelperDownloadCommand = "download";
inline constexpr const char* kHelperUnzipCommand = "unzip";
inline constexpr const char* kHelperCaFileOption = "--ca-file";
inline constexpr const char* kHelperMaxBytesOption = "--max-bytes";
inline constexpr const char* kHelperConnectSecondsOption = "--connect-seconds";
inline constexpr const char* kHelperTransferSecondsOption = "--transfer-seconds";
inline constexpr const char* kHelperMaxUnpackedBytesOption = "--max-unpacked-bytes";

enum class BankFetchHelperExit : int {
    done = 0,
    downloadFailed = 1,       // the reason is the one line printed
    archiveUnreadable = 2,    // not a zip, damaged, too large or escaping its folder
    extractorUnavailable = 3, // the archive file or the destination could not be used
    usage = 64,               // the command line was wrong
};

// The helper program to run: `configured` when set, otherwise the one beside the binary holding this
// code; empty when neither is known.
std::string bankFetchHelperPath(const std::string& configured);

} // namespace vanto
