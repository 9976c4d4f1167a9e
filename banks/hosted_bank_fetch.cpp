#include "banks/hosted_bank_fetch.h"

#include "banks/bank_files.h"
#include "banks/https_download.h"
#include "banks/zip_unpack.h"
#include "encoding/sha256.h"

#include <filesystem>
#include <random>
#include <vector>

namespace fs = std::filesystem;

namespace vanto {

namespace {

std::string stagingFolderFor(const std::string& target) {
    std::random_device entropy;
    std::uniform_int_distribution<unsigned> below(0, 999999);
    return target + ".staging-" + std::to_string(below(entropy));
}

// Symbolic links that passed the archive checks one by one may still lead outside in combination
// (a link to "." followed by one through it to ".."); every link is judged again by where it really
// leads once everything is on disk.
bool everyLinkStaysInside(const std::string& staging) {
    std::error_code ec;
    for (fs::recursive_directory_iterator it(staging, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_symlink(ec) && !realPathStaysInside(staging, it->path().string()))
            return false;
    }
    return !ec;
}

// The archive may hold the bank at its top level or inside one folder.
std::string bankRootIn(const std::string& staging) {
    std::error_code ec;
    if (fs::exists(fs::path(staging) / "bank.json", ec))
        return staging;
    std::string onlyFolder;
    int folders = 0;
    for (fs::directory_iterator it(staging, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!it->is_symlink(ec) && it->is_directory(ec) && name.front() != '.') {
            ++folders;
            onlyFolder = it->path().string();
        }
    }
    return folders == 1 ? onlyFolder : staging;
}

class StagedUnpack {
  public:
    StagedUnpack(const std::string& target, const std::string& helperProgram, std::stop_token stop)
        : target_(target), staging_(stagingFolderFor(target)), helperProgram_(helperProgram),
          stop_(std::move(stop)) {}
    ~StagedUnpack() { removeStaging(); }

    bool run(const std::vector<uint8_t>& archive, std::string& error) {
        std::error_code ec;
        fs::remove_all(staging_, ec);
        if (!fs::create_directories(staging_, ec))
            return failWith("cannot create the staging directory", error);
        switch (unpackZipArchive(archive, staging_, kHostedBankMaxUnpackedBytes, helperProgram_, stop_)) {
        case ZipUnpackResult::extractorUnavailable:
            return failWith("cannot unpack the downloaded archive", error);
        case ZipUnpackResult::unreadable:
            return failWith("the downloaded archive is not a readable zip", error);
        case ZipUnpackResult::unpacked:
            break;
        }
        if (!everyLinkStaysInside(staging_))
            return failWith("the downloaded archive is not a readable zip", error);
        fs::remove_all(target_, ec);
        fs::rename(bankRootIn(staging_), target_, ec);
        if (ec)
            return failWith("cannot move the unpacked bank into the cache", error);
        return true;
    }

  private:
    std::string target_;
    std::string staging_;
    std::string helperProgram_;
    std::stop_token stop_;

    void removeStaging() {
        std::error_code ec;
        fs::remove_all(staging_, ec);
    }

    bool failWith(const char* message, std::string& error) {
        removeStaging();
        error = message;
        return false;
    }
};

bool downloadPinnedArchive(const std::string& url, const std::string& sha256, const std::string& cacheRoot,
                           const HostedBankFetchOptions& options, std::stop_token stop,
                           std::vector<uint8_t>& archive, std::string& error) {
    std::string scheme;
    if (!urlScheme(url, scheme)) {
        error = "hosted bank url is not a valid URL";
        return false;
    }
    if (scheme != "https") {
        error = "hosted banks must be served over https";
        return false;
    }
    HttpsDownloadLimits limits;
    limits.caFile = options.caFile;
    limits.maxBytes = options.maxDownloadBytes;
    limits.helperProgram = options.helperProgram;
    // The body lands on the cache's own disk, where the bank is going anyway.
    limits.scratchFolder = cacheRoot;
    if (!downloadOverHttps(url, limits, archive, error, std::move(stop))) {
        if (error.empty())
            error = "download failed";
        return false;
    }
    std::string digest = sha256Hex(archive.data(), archive.size());
    if (digest != sha256) {
        error = "downloaded bytes hash to " + digest.substr(0, 16) +
                "\xE2\x80\xA6 which does not match the pinned sha256";
        return false;
    }
    return true;
}

} // namespace

bool fetchHostedBank(const std::string& url, const std::string& sha256, std::string& path, std::string& error,
                     const HostedBankFetchOptions& options, std::stop_token stop) {
    path.clear();
    error.clear();
    if (!isHostedBankPin(sha256)) {
        error = "a hosted bank must pin a 64-hex sha256";
        return false;
    }
    std::string cacheRoot = hostedBankCacheRoot();
    if (cacheRoot.empty()) {
        error = "cannot create the bank cache directory";
        return false;
    }
    std::string target = cacheRoot + "/" + sha256;
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        path = target;
        return true;
    }
    std::vector<uint8_t> archive;
    if (!downloadPinnedArchive(url, sha256, cacheRoot, options, stop, archive, error))
        return false;
    if (!StagedUnpack(target, options.helperProgram, stop).run(archive, error))
        return false;
    path = target;
    return true;
}

} // namespace vanto
