// HTTPS downloads through the bank fetch helper program: it writes the body to a scratch file that is
// read back here, or prints why it failed.
#include "banks/https_download.h"

#include "banks/bank_fetch_helper.h"
#include "banks/bank_files.h"
#include "banks/helper_process.h"
#include "banks/scratch_file.h"

#include <filesystem>

namespace vanto {

namespace {

std::vector<std::string> downloadArguments(const std::string& url, const std::string& outputFile,
                                           const HttpsDownloadLimits& limits) {
    std::vector<std::string> arguments = {kHelperDownloadCommand,
                                          url,
                                          outputFile,
                                          kHelperMaxBytesOption,
                                          std::to_string(limits.maxBytes),
                                          kHelperConnectSecondsOption,
                                          std::to_string(limits.connectAndIdleSeconds),
                                          kHelperTransferSecondsOption,
                                          std::to_string(limits.transferSeconds)};
    if (!limits.caFile.empty()) {
        arguments.push_back(kHelperCaFileOption);
        arguments.push_back(limits.caFile);
    }
    return arguments;
}

std::string firstLineOf(const std::string& output) {
    std::string line = output.substr(0, output.find('\n'));
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::string scratchFolderFor(const HttpsDownloadLimits& limits) {
    if (!limits.scratchFolder.empty())
        return limits.scratchFolder;
    std::error_code ec;
    return std::filesystem::temp_directory_path(ec).string();
}

} // namespace

bool downloadOverHttps(const std::string& url, const HttpsDownloadLimits& limits, std::vector<uint8_t>& body,
                       std::string& error, std::stop_token stop) {
    body.clear();
    error.clear();
    ScratchFile output(scratchFolderFor(limits), ".download-");
    if (!output.created()) {
        error = "cannot create a file for the download";
        return false;
    }
    HelperProcessResult run =
        runHelperProcess(bankFetchHelperPath(limits.helperProgram),
                         downloadArguments(url, output.path(), limits), std::move(stop));
    if (!run.started)
        error = "cannot start the bank download helper";
    else if (run.exitCode == static_cast<int>(BankFetchHelperExit::downloadFailed))
        error = firstLineOf(run.output);
    else if (run.exitCode != static_cast<int>(BankFetchHelperExit::done))
        error = "download failed";
    else if (!readWholeFile(output.path(), body))
        error = "cannot read the downloaded file";
    if (!error.empty())
        body.clear();
    // The helper's own checks are not the last word: the body must still respect the limit here.
    if (error.empty() && body.size() > limits.maxBytes) {
        body.clear();
        error = "the download is larger than the limit of " + std::to_string(limits.maxBytes) + " bytes";
    }
    return error.empty();
}

} // namespace vanto
