// The helper's command line, read strictly: positional arguments first, then known options each with
// one value. Anything else is a usage error, so a wrong call never starts a transfer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vanto {

struct BankFetchArguments {
    std::string command; // "download" or "unzip"
    std::string source;  // the URL, or the archive file
    std::string target;  // the output file, or the destination folder
    std::string caFile;
    uint64_t maxBytes = uint64_t{1} << 30;
    long connectSeconds = 30;
    long transferSeconds = 300;
    uint64_t maxUnpackedBytes = uint64_t{4} << 30;
};

// False with `error` set when the line is not a valid call.
bool parseBankFetchArguments(const std::vector<std::string>& words, BankFetchArguments& arguments,
                             std::string& error);

} // namespace vanto
