// The built Dovrel.vst3 bundle, loaded through dlopen and ModuleEntry as a DAW loads it.
#include "elf_dynamic_info.h"
#include "module.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>
#include <unistd.h>

namespace {

using vanto::host::Module;

// The only symbols hosts and test harnesses may find in the module.
const std::set<std::string> kExportedSymbols = {"GetPluginFactory",
                                                "ModuleEntry",
                                                "ModuleExit",
                                                "vantoDeliverDiagnosticBridgeMessage",
                                                "vantoDiagnosticBridgeAbiVersion",
                                                "vantoInstallDiagnosticBridgeSink",
                                                "vantoPluginUiRootForDiagnostics",
                                                "vantoTickDiagnosticCadence"};

// "lib<name>.so.<version>" for one of the names, or the dynamic loader itself.
bool isAllowedLibrary(std::string_view library, const std::set<std::string>& names) {
    if (library == "ld-linux-x86-64.so.2")
        return true;
    const auto so = library.find(".so.");
    return library.starts_with("lib") && so != std::string_view::npos &&
           names.count(std::string(library.substr(3, so - 3))) == 1 &&
           library.find_first_not_of("0123456789.", so + 4) == std::string_view::npos;
}

// A web address: the scheme, then a host with a dot in it.
bool isWebAddress(std::string_view url) {
    constexpr std::string_view scheme = "https://";
    if (!url.starts_with(scheme))
        return false;
    const std::string_view host = url.substr(scheme.size(), url.find('/', scheme.size()) - scheme.size());
    return host.find('.') != std::string_view::npos && host.front() != '.' && host.back() != '.';
}

// "mailto:" with one address: a local part, "@", and a domain with a dot in it.
bool isMailtoLink(std::string_view link) {
    constexpr std::string_view scheme = "mailto:";
    if (!link.starts_with(scheme))
        return false;
    const std::string_view address = link.substr(scheme.size());
    const auto at = address.find('@');
    if (at == 0 || at == std::string_view::npos ||
        address.find_first_of(" @", at + 1) != std::string_view::npos)
        return false;
    const std::string_view domain = address.substr(at + 1);
    return domain.find('.') != std::string_view::npos && domain.front() != '.' && domain.back() != '.';
}

std::string binaryPath() {
    return std::string(DOVREL_BUNDLE_PATH) + "/Contents/x86_64-linux/Dovrel.so";
}

class DovrelBundle : public ::testing::Test {
  protected:
    void SetUp() override {
        module = Module::load(DOVREL_BUNDLE_PATH, error);
        ASSERT_NE(module, nullptr) << error;
    }

    std::string error;
    std::shared_ptr<Module> module;
};

TEST_F(DovrelBundle, HasTheLinuxBundleLayout) {
    EXPECT_EQ(module->binaryPath(), binaryPath());
    EXPECT_TRUE(std::filesystem::is_directory(std::string(DOVREL_BUNDLE_PATH) + "/Contents/Resources"));
}

// The hosted-bank helper ships beside the binary, where the plug-in looks for it, and can be run.
TEST(DovrelBundleLayout, CarriesTheBankFetchHelperBesideTheBinary) {
    const std::string helper = std::string(DOVREL_BUNDLE_PATH) + "/Contents/x86_64-linux/dovrel-bank-fetch";
    EXPECT_TRUE(std::filesystem::is_regular_file(helper)) << helper;
    EXPECT_EQ(access(helper.c_str(), X_OK), 0) << helper;
}

TEST_F(DovrelBundle, FactoryNamesTheVendor) {
    const auto info = module->factoryInfo();
    ASSERT_TRUE(info.has_value());
    EXPECT_STREQ(info->vendor, "Vanto Music");
    EXPECT_TRUE(isWebAddress(info->url)) << info->url;
    EXPECT_TRUE(isMailtoLink(info->email)) << info->email;
    EXPECT_EQ(info->flags, Steinberg::PFactoryInfo::kUnicode);
}

TEST_F(DovrelBundle, EveryFactoryRequestGetsTheSameFactory) {
    const auto getFactory = module->entryPoints().getPluginFactory;
    Steinberg::IPluginFactory* first = getFactory();
    Steinberg::IPluginFactory* second = getFactory();
    EXPECT_EQ(first, module->factory());
    EXPECT_EQ(second, module->factory());
    second->release();
    first->release();
    // The module's own reference keeps the factory alive after the two requests are released.
    Steinberg::PFactoryInfo info;
    EXPECT_EQ(module->factory()->getFactoryInfo(&info), Steinberg::kResultOk);
}

TEST_F(DovrelBundle, NestedEntriesBalanceAndAnUnmatchedExitIsRefused) {
    const auto& entry = module->entryPoints();
    EXPECT_TRUE(entry.moduleEntry(module->libraryHandle()));
    EXPECT_TRUE(entry.moduleExit());
    EXPECT_TRUE(entry.moduleExit()); // the entry made by loading
    EXPECT_FALSE(entry.moduleExit());
    // The refused exit left nothing behind: a new entry works and the loaded module's exit balances it.
    EXPECT_TRUE(entry.moduleEntry(module->libraryHandle()));
    Steinberg::PFactoryInfo info;
    EXPECT_EQ(module->factory()->getFactoryInfo(&info), Steinberg::kResultOk);
}

TEST_F(DovrelBundle, NullHandleEntryIsANoOp) {
    const auto& entry = module->entryPoints();
    EXPECT_TRUE(entry.moduleEntry(nullptr));
    EXPECT_TRUE(entry.moduleExit()); // ends the loading entry, not the null one
    EXPECT_FALSE(entry.moduleExit());
    EXPECT_TRUE(entry.moduleEntry(module->libraryHandle()));
}

TEST(DovrelBundleReload, LoadsAgainAfterUnloading) {
    for (int round = 0; round < 2; ++round) {
        std::string error;
        const auto module = Module::load(DOVREL_BUNDLE_PATH, error);
        ASSERT_NE(module, nullptr) << error;
        EXPECT_TRUE(module->factoryInfo().has_value());
    }
}

TEST(DovrelBinary, ExportsOnlyTheModuleInterface) {
    const auto info = vanto::test::readElfDynamicInfo(binaryPath());
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->definedSymbols, kExportedSymbols);
}

// The module must load in any host, so it may need the C and C++ runtimes and the loader but nothing
// else; sanitizer builds add their runtimes. Hosted bank downloads and unpacking run in the helper
// program beside it, so no network or archive library is loaded into the host.
TEST(DovrelBinary, NeedsOnlyTheSystemRuntime) {
    const auto info = vanto::test::readElfDynamicInfo(binaryPath());
    ASSERT_TRUE(info.has_value());
    ASSERT_FALSE(info->neededLibraries.empty());
    const std::set<std::string> allowed = {"c",  "m",    "stdc++", "gcc_s", "pthread",
                                           "dl", "asan", "ubsan",  "tsan"};
    for (const std::string& library : info->neededLibraries)
        EXPECT_TRUE(isAllowedLibrary(library, allowed)) << library;
}

} // namespace
