// Zip unpacking through the bank fetch helper program. The archive travels as a scratch file next to
// the destination folder, so it shares its disk and is never part of what is unpacked.
#include "banks/zip_unpack.h"

#include "banks/bank_fetch_helper.h"
#include "banks/helper_process.h"
#include "banks/scratch_file.h"

#include <filesystem>

namespace vanto {

ZipUnpackResult unpackZipArchive(const std::vector<uint8_t>& archive, const std::string& destination,
                                 uint64_t maxUnpackedBytes, const std::string& helperProgram,
                                 std::stop_token stop) {
    std::string parent = std::filesystem::path(destination).parent_path().string();
    ScratchFile archiveFile(parent.empty() ? "." : parent, ".archive-");
    if (!archiveFile.write(archive))
        return ZipUnpackResult::extractorUnavailable;
    HelperProcessResult run =
        runHelperProcess(bankFetchHelperPath(helperProgram),
                         {kHelperUnzipCommand, archiveFile.path(), destination, kHelperMaxUnpackedBytesOption,
                          std::to_string(maxUnpackedBytes)},
                         std::move(stop));
    if (!run.started)
        return ZipUnpackResult::extractorUnavailable;
    switch (static_cast<BankFetchHelperExit>(run.exitCode)) {
    case BankFetchHelperExit::done:
        return ZipUnpackResult::unpacked;
    case BankFetchHelperExit::archiveUnreadable:
        return ZipUnpackResult::unreadable;
    default:
        return ZipUnpackResult::extractorUnavailable;
    }
}

} // namespace vanto
