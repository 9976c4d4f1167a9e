// The bank fetch helper program as this build made it: its command line, exit codes and messages, and
// where the plug-in looks for it.
#include "banks/bank_fetch_helper.h"

#include "banks/bank_files.h"
#include "banks/bank_fixtures.h"
#include "banks/helper_process.h"
#include "banks/local_https_server.h"
#include "banks/zip_unpack.h"
#include "platform/own_binary_folder.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <filesystem>

namespace fs = std::filesystem;

namespace vanto {
namespace {

using fixtures::LocalHttpsServer;
using fixtures::makeZip;
using fixtures::TempFolder;
using fixtures::ZipEntry;

constexpr int kDone = static_cast<int>(BankFetchHelperExit::done);
constexpr int kDownloadFailed = static_cast<int>(BankFetchHelperExit::downloadFailed);
constexpr int kUnreadable = static_cast<int>(BankFetchHelperExit::archiveUnreadable);
constexpr int kUnavailable = static_cast<int>(BankFetchHelperExit::extractorUnavailable);
constexpr int kUsage = static_cast<int>(BankFetchHelperExit::usage);

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

class HostedBankHelper : public ::testing::Test {
  protected:
    TempFolder work;
    LocalHttpsServer server;

    HelperProcessResult run(const std::vector<std::string>& arguments) {
        return runHelperProcess(DOVREL_BANK_FETCH_HELPER, arguments);
    }
};

struct HelperCall {
    const char* what;
    std::vector<std::string> arguments;
    int exitCode;
    std::string outputStart; // the start of the first line printed; empty: nothing printed
};

TEST_F(HostedBankHelper, ExitCodesAndMessagesFollowTheOutcome) {
    std::vector<uint8_t> zip = makeZip({{ZipEntry::Kind::file, "bank.json", "{}"}});
    server.serve("/bank.zip", zip);
    fixtures::writeFile(work.at("good.zip"), zip);
    fixtures::writeFile(work.at("text.zip"), "not a zip at all");
    fs::create_directory(work.at("into"));
    const std::string url = server.url("/bank.zip");
    const std::string out = work.at("out");
    const std::string ca = server.caFile();
    const HelperCall calls[] = {
        {"no arguments", {}, kUsage, "usage:"},
        {"unknown command", {"fetch", url, out}, kUsage, "usage:"},
        {"missing output", {"download", url}, kUsage, "usage:"},
        {"empty output", {"download", url, ""}, kUsage, "empty argument"},
        {"option without value", {"download", url, out, "--ca-file"}, kUsage, "option without a value"},
        {"unknown option", {"download", url, out, "--insecure", "1"}, kUsage, "unknown option"},
        {"negative size", {"download", url, out, "--max-bytes", "-1"}, kUsage, "unknown option"},
        {"size with a suffix", {"download", url, out, "--max-bytes", "10k"}, kUsage, "unknown option"},
        {"size beyond 64 bits",
         {"download", url, out, "--max-bytes", "18446744073709551616"},
         kUsage,
         "unknown option"},
        {"zero timeout", {"download", url, out, "--connect-seconds", "0"}, kUsage, "unknown option"},
        {"download option on unzip",
         {"unzip", work.at("good.zip"), work.at("into"), "--ca-file", ca},
         kUsage,
         "unknown option"},
        {"nothing listening",
         {"download", "https://127.0.0.1:1/x.zip", out, "--ca-file", ca},
         kDownloadFailed,
         "Failed to connect to 127.0.0.1 port 1"},
        {"not found",
         {"download", server.url("/missing.zip"), out, "--ca-file", ca},
         kDownloadFailed,
         "HTTP 404"},
        {"untrusted certificate", {"download", url, out}, kDownloadFailed, "SSL certificate problem"},
        {"over the size limit",
         {"download", url, out, "--ca-file", ca, "--max-bytes", "10"},
         kDownloadFailed,
         "the download is larger than the limit of 10 bytes"},
        {"default limits", {"download", url, work.at("default-limits.zip"), "--ca-file", ca}, kDone, ""},
        {"not a zip", {"unzip", work.at("text.zip"), work.at("into")}, kUnreadable, ""},
        {"unpacks beyond the limit",
         {"unzip", work.at("good.zip"), work.at("into"), "--max-unpacked-bytes", "1"},
         kUnreadable,
         ""},
        {"no archive file",
         {"unzip", work.at("missing.zip"), work.at("into")},
         kUnavailable,
         "cannot read the archive file"},
        {"no destination", {"unzip", work.at("good.zip"), work.at("missing")}, kUnavailable, ""},
    };
    for (const HelperCall& c : calls) {
        HelperProcessResult result = run(c.arguments);
        ASSERT_TRUE(result.started) << c.what;
        EXPECT_EQ(result.exitCode, c.exitCode) << c.what << ": " << result.output;
        if (c.outputStart.empty())
            EXPECT_EQ(result.output, "") << c.what;
        else
            EXPECT_EQ(result.output.substr(0, c.outputStart.size()), c.outputStart)
                << c.what << ": " << result.output;
        EXPECT_EQ(result.output.find('\n'),
                  result.output.empty() ? std::string::npos : result.output.size() - 1)
            << c.what << ": at most one line";
        EXPECT_FALSE(fs::exists(out)) << c.what << ": a failed download writes no file";
    }
}

TEST_F(HostedBankHelper, DownloadsAndUnpacksWithArgumentsTakenLiterally) {
    std::vector<uint8_t> zip = makeZip({{ZipEntry::Kind::directory, "pack/", ""},
                                        {ZipEntry::Kind::file, "pack/bank.json", "{\"id\":\"x\"}"}});
    server.serve("/bank.zip", zip);
    // No shell sees the arguments: quotes, spaces and substitutions are just characters of a name.
    const std::string out = work.at("body $(touch injected); 'x'.zip");
    HelperProcessResult fetched =
        run({"download", server.url("/bank.zip"), out, "--ca-file", server.caFile(), "--max-bytes",
             std::to_string(zip.size()), "--connect-seconds", "5", "--transfer-seconds", "20"});
    ASSERT_EQ(fetched.exitCode, kDone) << fetched.output;
    std::vector<uint8_t> body;
    ASSERT_TRUE(readWholeFile(out, body));
    EXPECT_EQ(body, zip);

    const std::string into = work.at("into here");
    fs::create_directory(into);
    HelperProcessResult unpacked = run({"unzip", out, into});
    ASSERT_EQ(unpacked.exitCode, kDone) << unpacked.output;
    EXPECT_EQ(unpacked.output, "");
    std::vector<uint8_t> document;
    ASSERT_TRUE(readWholeFile(into + "/pack/bank.json", document));
    EXPECT_EQ(std::string(document.begin(), document.end()), "{\"id\":\"x\"}");
    EXPECT_FALSE(fs::exists("injected"));
    EXPECT_FALSE(fs::exists(work.at("injected")));
}

TEST(HostedBankHelperLocation, DefaultsToTheFolderOfTheLoadedBinary) {
    const std::string ownFolder = fs::canonical("/proc/self/exe").parent_path().string();
    EXPECT_EQ(ownBinaryFolder(), ownFolder);
    EXPECT_EQ(bankFetchHelperPath(""), ownFolder + "/dovrel-bank-fetch");
    EXPECT_EQ(bankFetchHelperPath("/opt/other/helper"), "/opt/other/helper");
}

// In a host, the code runs inside the plug-in's library: the helper is looked for beside that library,
// not beside the host's executable.
TEST(HostedBankHelperLocation, IsBesideTheLibraryHoldingTheCode) {
    void* library = dlopen(DOVREL_HOSTED_BANK_PROBE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto probe = reinterpret_cast<void (*)(char*, size_t)>(dlsym(library, "vantoProbeBankFetchHelperPath"));
    ASSERT_NE(probe, nullptr);
    char path[4096] = {};
    probe(path, sizeof path);
    dlclose(library);
    const std::string libraryFolder = fs::canonical(DOVREL_HOSTED_BANK_PROBE).parent_path().string();
    EXPECT_EQ(std::string(path), libraryFolder + "/dovrel-bank-fetch");
    EXPECT_NE(libraryFolder, fs::canonical("/proc/self/exe").parent_path().string());
}

TEST(HostedBankHelperProcess, AProgramThatCannotRunIsNotStarted) {
    TempFolder folder;
    fixtures::writeFile(folder.at("plain"), "#!/bin/sh\nexit 0\n");
    for (const std::string& program :
         {std::string(), folder.at("missing"), folder.at("plain"), folder.path()})
        EXPECT_FALSE(runHelperProcess(program, {}).started) << program;
}

// Without its helper the unpacker reports the machinery missing and takes its scratch copy of the
// archive away again.
TEST(HostedBankHelperProcess, UnpackingWithoutTheHelperLeavesNoScratchFile) {
    TempFolder cache;
    fs::create_directory(cache.at("staging"));
    std::vector<uint8_t> zip = makeZip({{ZipEntry::Kind::file, "bank.json", "{}"}});
    EXPECT_EQ(unpackZipArchive(zip, cache.at("staging"), 1 << 20, cache.at("missing-helper")),
              ZipUnpackResult::extractorUnavailable);
    EXPECT_EQ(entriesOf(cache.path()), std::vector<std::string>{"staging"});
    EXPECT_TRUE(fs::is_empty(cache.at("staging")));

    EXPECT_EQ(unpackZipArchive(zip, cache.at("staging"), 1 << 20, DOVREL_BANK_FETCH_HELPER),
              ZipUnpackResult::unpacked);
    EXPECT_EQ(entriesOf(cache.path()), std::vector<std::string>{"staging"});
    EXPECT_TRUE(fs::exists(cache.at("staging/bank.json")));
}

} // namespace
} // namespace vanto
