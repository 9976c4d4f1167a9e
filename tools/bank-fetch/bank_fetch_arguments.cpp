#include "bank_fetch_arguments.h"

#include "banks/bank_fetch_helper.h"

#include <charconv>

namespace vanto {

namespace {

// Whole decimal numbers only: a sign, spaces, a suffix or an overflow is refused.
template <typename Number> bool parseNumber(const std::string& text, Number& value) {
    const char* end = text.data() + text.size();
    auto [at, status] = std::from_chars(text.data(), end, value);
    return !text.empty() && text.front() != '-' && status == std::errc() && at == end;
}

template <typename Number> bool parsePositive(const std::string& text, Number& value) {
    return parseNumber(text, value) && value > 0;
}

bool applyOption(const std::string& name, const std::string& value, BankFetchArguments& arguments) {
    bool download = arguments.command == kHelperDownloadCommand;
    if (download && name == kHelperCaFileOption) {
        arguments.limits.caFile = value;
        return !value.empty();
    }
    if (download && name == kHelperMaxBytesOption)
        return parseNumber(value, arguments.limits.maxBytes);
    if (download && name == kHelperConnectSecondsOption)
        return parsePositive(value, arguments.limits.connectAndIdleSeconds);
    if (download && name == kHelperTransferSecondsOption)
        return parsePositive(value, arguments.limits.transferSeconds);
    if (!download && name == kHelperMaxUnpackedBytesOption)
        return parseNumber(value, arguments.maxUnpackedBytes);
    return false;
}

} // namespace

bool parseBankFetchArguments(const std::vector<std::string>& words, BankFetchArguments& arguments,
                             std::string& error) {
    if (words.size() < 3 || (words[0] != kHelperDownloadCommand && words[0] != kHelperUnzipCommand)) {
        error =
            "usage: dovrel-bank-fetch download URL OUTPUT_FILE [options] | unzip ARCHIVE_FILE DESTINATION "
            "[options]";
        return false;
    }
    arguments.command = words[0];
    arguments.source = words[1];
    arguments.target = words[2];
    if (arguments.source.empty() || arguments.target.empty()) {
        error = "empty argument";
        return false;
    }
    for (size_t at = 3; at < words.size(); at += 2) {
        if (at + 1 >= words.size()) {
            error = "option without a value: " + words[at];
            return false;
        }
        if (!applyOption(words[at], words[at + 1], arguments)) {
            error = "unknown option or bad value: " + words[at] + " " + words[at + 1];
            return false;
        }
    }
    return true;
}

} // namespace vanto
