// Hosted banks: a zip archive served over HTTPS, pinned by the SHA-256 of its bytes, unpacked into a
// per-user cache with one folder per digest, then loaded like any folder bank.
#pragma once

#include "banks/hosted_bank_cache.h"

#include <cstdint>
#include <stop_token>
#include <string>

namespace vanto {

inline constexpr uint64_t kHostedBankMaxDownloadBytes = uint64_t{1} << 30;
// Guards the disk against an archive that expands far beyond its own size.
inline constexpr uint64_t kHostedBankMaxUnpackedBytes = uint64_t{4} << 30;

struct HostedBankFetchOptions {
    std::string caFile; // trust only these certificates (tests); empty means the system's trust store
    uint64_t maxDownloadBytes = kHostedBankMaxDownloadBytes;
    std::string helperProgram; // the bank fetch helper; empty means the one shipped beside the plug-in
};

// Makes the bank pinned by `sha256` available in the cache and sets `path` to its folder. A digest
// already cached is used without any network access. Otherwise `url` (https only) is downloaded, its
// digest checked against the pin, and the archive unpacked into a staging folder that is moved into
// place. Runs synchronously and starts the bank fetch helper program, so never call it from the
// audio thread; on failure `error` says why and nothing is left behind. A stop requested through `stop`
// (from any thread) ends the helper at work and the fetch fails, with its scratch files removed.
bool fetchHostedBank(const std::string& url, const std::string& sha256, std::string& path, std::string& error,
                     const HostedBankFetchOptions& options = HostedBankFetchOptions(),
                     std::stop_token stop = {});

} // namespace vanto
