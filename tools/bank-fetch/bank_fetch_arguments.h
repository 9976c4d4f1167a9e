// The helper's command line, read strictly: positional arguments first, then known options each with
// one value. Anything else is a usage error, so a wrong call never starts a transfer.
#pragma once

#include "banks/hosted_bank_fetch.h"
#include "banks/https_download.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

// Without options the helper keeps the hosted-bank limits.
inline HttpsDownloadLimits hostedBankDownloadLimits() {
    HttpsDownloadLimits limits;
    limits.maxBytes = kHostedBankMaxDownloadBytes;
    return limits;
}

struct BankFetchArguments {
    std::string command; // "download" or "unzip"
    std::string source;  // the URL, or the archive file
    std::string target;  // the output file, or the destination folder
    HttpsDownloadLimits limits = hostedBankDownloadLimits();
    uint64_t maxUnpackedBytes = kHostedBankMaxUnpackedBytes;
};

// False with `error` set when the line is not a valid call.
bool parseBankFetchArguments(const std::vector<std::string>& words, BankFetchArguments& arguments,
                             std::string& error);

} // namespace vanto
