// Hosted banks against a real HTTPS server on 127.0.0.1 whose certificate only the test trusts.
#include "banks/hosted_bank_fetch.h"

#include "banks/bank_fixtures.h"
#include "banks/https_download.h"
#include "banks/local_https_server.h"
#include "banks/runtime_bank_loader.h"
#include "encoding/sha256.h"

#include "support/scoped_environment.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace vanto {
namespace {

using fixtures::LocalHttpsServer;
using fixtures::makeZip;
using fixtures::TempFolder;
using fixtures::ZipEntry;

std::string digestOf(const std::vector<uint8_t>& bytes) {
    return sha256Hex(bytes.data(), bytes.size());
}

std::vector<std::string> entriesBelow(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.push_back(fs::relative(entry.path(), folder).string());
    return names;
}

class HostedBankFetch : public ::testing::Test {
  protected:
    TempFolder dataHome;
    vanto::test::ScopedEnvironment xdg{"XDG_DATA_HOME", dataHome.path().c_str()};
    LocalHttpsServer server;
    // The helper program this build made, as the plug-in runs it from its bundle.
    HostedBankFetchOptions trusted{server.caFile(), kHostedBankMaxDownloadBytes, DOVREL_BANK_FETCH_HELPER};
    HostedBankFetchOptions systemTrust{"", kHostedBankMaxDownloadBytes, DOVREL_BANK_FETCH_HELPER};

    std::string cacheRoot() const { return dataHome.at("Vanto/banks"); }

    std::vector<uint8_t> packZip(const std::string& prefix) {
        TempFolder pack;
        fixtures::minimalPack().writeTo(pack.path());
        return makeZip(fixtures::zipEntriesOfFolder(pack.path(), prefix));
    }

    // A failed fetch leaves neither a staging folder nor a cache entry, nor anything else anywhere
    // below the data folder.
    void expectNothingLeftBehind(const char* what) {
        EXPECT_EQ(entriesBelow(dataHome.path()), (std::vector<std::string>{"Vanto", "Vanto/banks"})) << what;
    }
};

TEST_F(HostedBankFetch, DownloadsUnpacksAndLoadsFromTheCache) {
    // The pack may sit at the top of the archive or inside its one folder.
    for (const char* prefix : {"", "minimal-pack/"}) {
        std::vector<uint8_t> archive = packZip(prefix);
        std::string pin = digestOf(archive);
        server.serve("/bank.zip", archive);
        std::string path;
        std::string error = "stale";
        ASSERT_TRUE(fetchHostedBank(server.url("/bank.zip"), pin, path, error, trusted)) << prefix << error;
        EXPECT_EQ(error, "");
        EXPECT_EQ(path, cacheRoot() + "/" + pin);
        // No staging folder and no scratch file of the download or the unpacking next to it.
        std::vector<std::string> cacheEntries;
        for (const auto& entry : fs::directory_iterator(cacheRoot()))
            cacheEntries.push_back(entry.path().filename().string());
        EXPECT_EQ(cacheEntries, std::vector<std::string>{pin});
        RuntimeBankLoad load = loadRuntimeBank(path, 0, "");
        EXPECT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
        EXPECT_EQ(load.bank.id, "fixture-pack");
        fs::remove_all(path);
    }
    EXPECT_EQ(server.requestCount(), 2);
}

TEST_F(HostedBankFetch, ACachedDigestNeedsNoServer) {
    std::vector<uint8_t> archive = packZip("pack/");
    std::string pin = digestOf(archive);
    server.serve("/bank.zip", archive);
    std::string first;
    std::string error;
    ASSERT_TRUE(fetchHostedBank(server.url("/bank.zip"), pin, first, error, trusted)) << error;

    // Nothing listens on port 1; a second fetch of the same digest must not try.
    std::string second;
    ASSERT_TRUE(fetchHostedBank("https://127.0.0.1:1/bank.zip", pin, second, error)) << error;
    EXPECT_EQ(second, first);
    EXPECT_EQ(server.requestCount(), 1);
}

struct FetchFailure {
    const char* what;
    std::vector<uint8_t> body; // served at /bank.zip
    int status;
    std::string url;                // empty: the server's /bank.zip
    std::optional<std::string> pin; // unset: the body's digest
    std::string error;
};

std::vector<uint8_t> zipWithBankAnd(const ZipEntry& hostile) {
    return makeZip({{ZipEntry::Kind::directory, "pack/", ""},
                    {ZipEntry::Kind::file, "pack/bank.json", "{}"},
                    hostile,
                    {ZipEntry::Kind::file, "pack/after.txt", "after"}});
}

TEST_F(HostedBankFetch, FailuresReportTheirMessageAndLeaveNothingBehind) {
    const std::vector<uint8_t> good = packZip("pack/");
    const std::string escaped = dataHome.at("escaped.txt");
    const std::string notReadable = "the downloaded archive is not a readable zip";
    const FetchFailure cases[] = {
        {"wrong digest", good, 200, "", std::string(64, 'a'),
         "downloaded bytes hash to " + digestOf(good).substr(0, 16) +
             "\xE2\x80\xA6 which does not match the pinned sha256"},
        {"upper-case pin", good, 200, "",
         [&] {
             std::string pin = digestOf(good);
             for (char& digit : pin)
                 digit = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
             return pin;
         }(),
         "downloaded bytes hash to " + digestOf(good).substr(0, 16) +
             "\xE2\x80\xA6 which does not match the pinned sha256"},
        {"http url", good, 200, "http://127.0.0.1:1/bank.zip", std::nullopt,
         "hosted banks must be served over https"},
        {"not a url", good, 200, "no scheme here", std::nullopt, "hosted bank url is not a valid URL"},
        {"63-character pin", good, 200, "", digestOf(good).substr(1),
         "a hosted bank must pin a 64-hex sha256"},
        {"pin that is a path", good, 200, "", "../../" + std::string(58, 'a'),
         "a hosted bank must pin a 64-hex sha256"},
        {"404", good, 404, "", std::nullopt, "HTTP 404"},
        {"body that is no zip", std::vector<uint8_t>(4000, 'x'), 200, "", std::nullopt, notReadable},
        {"empty body", {}, 200, "", std::nullopt, notReadable},
        {"absolute entry", zipWithBankAnd({ZipEntry::Kind::file, escaped, "out"}), 200, "", std::nullopt,
         notReadable},
        {"parent entry", zipWithBankAnd({ZipEntry::Kind::file, "pack/../../../../escaped.txt", "out"}), 200,
         "", std::nullopt, notReadable},
        {"symlink to an absolute path",
         zipWithBankAnd({ZipEntry::Kind::symlink, "pack/link", dataHome.path()}), 200, "", std::nullopt,
         notReadable},
        {"symlink upwards", zipWithBankAnd({ZipEntry::Kind::symlink, "pack/link", "../../.."}), 200, "",
         std::nullopt, notReadable},
        {"symlinks that escape together",
         makeZip({{ZipEntry::Kind::directory, "pack/", ""},
                  {ZipEntry::Kind::file, "pack/bank.json", "{}"},
                  {ZipEntry::Kind::symlink, "pack/here", "."},
                  {ZipEntry::Kind::symlink, "pack/up", "here/../.."}}),
         200, "", std::nullopt, notReadable},
        {"write through a symlink",
         makeZip({{ZipEntry::Kind::symlink, "inner", "."}, {ZipEntry::Kind::file, "inner/bank.json", "{}"}}),
         200, "", std::nullopt, notReadable},
    };
    for (const FetchFailure& c : cases) {
        server.serve("/bank.zip", c.body, c.status);
        std::string path = "stale";
        std::string error;
        std::string url = c.url.empty() ? server.url("/bank.zip") : c.url;
        EXPECT_FALSE(fetchHostedBank(url, c.pin.value_or(digestOf(c.body)), path, error, trusted)) << c.what;
        EXPECT_EQ(error, c.error) << c.what;
        EXPECT_EQ(path, "") << c.what;
        expectNothingLeftBehind(c.what);
    }
}

TEST_F(HostedBankFetch, PinIsCheckedBeforeAnyRequest) {
    std::string path;
    std::string error;
    EXPECT_FALSE(fetchHostedBank(server.url("/bank.zip"), std::string(63, 'a'), path, error, trusted));
    EXPECT_EQ(server.requestCount(), 0);
}

TEST_F(HostedBankFetch, ADownloadAboveTheLimitIsRefused) {
    std::vector<uint8_t> archive = packZip("pack/");
    server.serve("/bank.zip", archive);
    HostedBankFetchOptions small = trusted;
    small.maxDownloadBytes = archive.size() - 1;
    std::string path;
    std::string error;
    EXPECT_FALSE(fetchHostedBank(server.url("/bank.zip"), digestOf(archive), path, error, small));
    EXPECT_EQ(error,
              "the download is larger than the limit of " + std::to_string(archive.size() - 1) + " bytes");
    expectNothingLeftBehind("limit");
    small.maxDownloadBytes = archive.size();
    EXPECT_TRUE(fetchHostedBank(server.url("/bank.zip"), digestOf(archive), path, error, small)) << error;
}

TEST_F(HostedBankFetch, CertificatesAreVerified) {
    std::vector<uint8_t> archive = packZip("pack/");
    server.serve("/bank.zip", archive);
    std::string path;
    std::string error;
    // The system's trust store does not know the test's certificate.
    EXPECT_FALSE(fetchHostedBank(server.url("/bank.zip"), digestOf(archive), path, error, systemTrust));
    EXPECT_NE(error.find("certificate"), std::string::npos) << error;
    expectNothingLeftBehind("untrusted");

    // A trusted certificate that names another host is refused as well.
    LocalHttpsServer otherName("127.0.0.2");
    otherName.serve("/bank.zip", archive);
    HostedBankFetchOptions trustOther{otherName.caFile(), kHostedBankMaxDownloadBytes,
                                      DOVREL_BANK_FETCH_HELPER};
    error.clear();
    EXPECT_FALSE(fetchHostedBank(otherName.url("/bank.zip"), digestOf(archive), path, error, trustOther));
    EXPECT_NE(error.find("name"), std::string::npos) << error;
    expectNothingLeftBehind("wrong host");
}

// A bundle whose helper program is missing or damaged fails cleanly, before any request is made.
TEST_F(HostedBankFetch, AHelperThatCannotStartIsReportedAndLeavesNothing) {
    std::vector<uint8_t> archive = packZip("pack/");
    server.serve("/bank.zip", archive);
    TempFolder bundle;
    fixtures::writeFile(bundle.at("not-executable"), "#!/bin/sh\nexit 0\n");
    const std::string helpers[] = {bundle.at("missing"), bundle.at("not-executable"), bundle.path()};
    for (const std::string& helper : helpers) {
        HostedBankFetchOptions options = trusted;
        options.helperProgram = helper;
        std::string path = "stale";
        std::string error;
        EXPECT_FALSE(fetchHostedBank(server.url("/bank.zip"), digestOf(archive), path, error, options))
            << helper;
        EXPECT_EQ(error, "cannot start the bank download helper") << helper;
        EXPECT_EQ(path, "") << helper;
        expectNothingLeftBehind(helper.c_str());
    }
    EXPECT_EQ(server.requestCount(), 0);
}

// The scheme check that decides whether a URL may be downloaded at all.
TEST(HostedBankUrlScheme, NamesTheSchemeOfAbsoluteUrlsOnly) {
    const struct {
        std::string url;
        std::optional<std::string> scheme; // unset: not a URL
    } cases[] = {
        {"https://example.com/bank.zip", "https"},
        {"HTTPS://Example.com", "https"},
        {"h+t.p-s://host", "h+t.p-s"},
        {"https://user@host:443/x?y#z", "https"},
        {"https://[::1]:8443/x", "https"},
        {"https:/host/x", "https"},
        {"http://127.0.0.1:1/bank.zip", "http"},
        {"", std::nullopt},
        {"no scheme here", std::nullopt},
        {"https:host", std::nullopt},
        {"x:", std::nullopt},
        {"file:", std::nullopt},
        {"FILE:x", std::nullopt},
        {"file:///tmp/bank", "file"},
        {"https://", std::nullopt},
        {"https://@/x", std::nullopt},
        {"https://:443/x", std::nullopt},
        {"https://host:99999/x", std::nullopt},
        {"https://host:44a/x", std::nullopt},
        {"ht_tp://host", std::nullopt},
        {"https://host/a b", std::nullopt},
        {"https://host/a\tb", std::nullopt},
        {"https://host/a\n--ca-file", std::nullopt},
        {std::string(41, 'a') + "://host", std::nullopt},
    };
    for (const auto& c : cases) {
        std::string scheme = "stale";
        EXPECT_EQ(urlScheme(c.url, scheme), c.scheme.has_value()) << c.url;
        EXPECT_EQ(scheme, c.scheme.value_or("")) << c.url;
    }
}

TEST(HostedBankCacheRoot, FollowsXdgDataHomeAndFallsBackToHome) {
    TempFolder home;
    TempFolder dataHome;
    vanto::test::ScopedEnvironment homeVariable("HOME", home.path().c_str());
    const struct {
        const char* xdg;
        std::string root;
    } cases[] = {
        {dataHome.path().c_str(), dataHome.at("Vanto/banks")},
        {nullptr, home.at(".local/share/Vanto/banks")},
        {"relative/data", home.at(".local/share/Vanto/banks")}, // a relative XDG_DATA_HOME is ignored
    };
    for (const auto& c : cases) {
        vanto::test::ScopedEnvironment xdg("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(hostedBankCacheRoot(), c.root);
        EXPECT_TRUE(fs::is_directory(c.root));
    }
    // A data folder that cannot hold the cache yields no root, and the fetcher says so.
    fixtures::writeFile(dataHome.at("file"), "not a folder");
    vanto::test::ScopedEnvironment blocked("XDG_DATA_HOME", dataHome.at("file").c_str());
    EXPECT_EQ(hostedBankCacheRoot(), "");
    std::string path;
    std::string error;
    EXPECT_FALSE(fetchHostedBank("https://127.0.0.1:1/x.zip", std::string(64, 'a'), path, error));
    EXPECT_EQ(error, "cannot create the bank cache directory");
}

} // namespace
} // namespace vanto
