// dovrel-bank-fetch: the plug-in's hosted-bank helper. It runs the HTTPS download and the zip
// unpacking in a process of its own, so the plug-in needs neither a network nor an archive library.
// The command line and exit codes are described in banks/bank_fetch_helper.h.
#include "bank_fetch_arguments.h"

#include "banks/bank_fetch_helper.h"
#include "banks/bank_files.h"
#include "banks/https_download.h"
#include "banks/write_whole_file.h"
#include "banks/zip_unpack.h"

#include <cstdio>

namespace vanto {
namespace {

int exitWith(BankFetchHelperExit code) {
    return static_cast<int>(code);
}

// The plug-in reads the first line as the reason, so the reason must be exactly one line.
int failDownload(std::string reason) {
    for (char& c : reason) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    std::fprintf(stderr, "%s\n", reason.c_str());
    return exitWith(BankFetchHelperExit::downloadFailed);
}

int download(const BankFetchArguments& arguments) {
    std::vector<uint8_t> body;
    std::string error;
    if (!downloadOverHttps(arguments.source, arguments.limits, body, error))
        return failDownload(error.empty() ? "download failed" : error);
    if (!writeWholeFile(arguments.target, body))
        return failDownload("cannot write the downloaded file");
    return exitWith(BankFetchHelperExit::done);
}

int unzip(const BankFetchArguments& arguments) {
    std::vector<uint8_t> archive;
    if (!readWholeFile(arguments.source, archive)) {
        std::fprintf(stderr, "cannot read the archive file\n");
        return exitWith(BankFetchHelperExit::extractorUnavailable);
    }
    switch (unpackZipArchive(archive, arguments.target, arguments.maxUnpackedBytes, {})) {
    case ZipUnpackResult::unpacked:
        return exitWith(BankFetchHelperExit::done);
    case ZipUnpackResult::unreadable:
        return exitWith(BankFetchHelperExit::archiveUnreadable);
    case ZipUnpackResult::extractorUnavailable:
        break;
    }
    return exitWith(BankFetchHelperExit::extractorUnavailable);
}

} // namespace
} // namespace vanto

int main(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    vanto::BankFetchArguments arguments;
    std::string error;
    if (!vanto::parseBankFetchArguments(words, arguments, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return vanto::exitWith(vanto::BankFetchHelperExit::usage);
    }
    return arguments.command == vanto::kHelperDownloadCommand ? vanto::download(arguments)
                                                              : vanto::unzip(arguments);
}
