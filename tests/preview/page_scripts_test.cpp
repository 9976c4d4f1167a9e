// The preview scripts go into every page first, wherever its head starts.
#include "page_scripts.h"

#include <gtest/gtest.h>

namespace vanto::preview {
namespace {

constexpr const char* kTags =
    "<script src=\"/.vanto-preview/shim.js\"></script><script src=\"/.vanto-preview/bootstrap.js\"></script>";

TEST(PageScripts, GoRightAfterTheOpeningHeadOrHtmlTag) {
    const struct {
        const char* page;
        const char* before; // the page text the tags follow
    } cases[] = {
        {"<!doctype html><html><head><title>t</title></head></html>", "<!doctype html><html><head>"},
        {"<HTML><HEAD lang=\"en\"><meta charset=\"utf-8\"></HEAD></HTML>", "<HTML><HEAD lang=\"en\">"},
        {"<html><header-like></header-like><head>x</head></html>", "<html><header-like></header-like><head>"},
        {"<html lang=\"en\"><body>no head</body></html>", "<html lang=\"en\">"},
        {"just text", ""},
    };
    for (const auto& c : cases) {
        const std::string page = withPreviewScripts(c.page);
        EXPECT_EQ(page,
                  std::string(c.before) + kTags + std::string(c.page).substr(std::string(c.before).size()))
            << c.page;
    }
}

TEST(PageScripts, ShimStandsInForTheWebViewHandlerOnTheServersPaths) {
    const std::string shim = kPreviewShimScript;
    EXPECT_NE(shim.find("window.webkit.messageHandlers.vanto"), std::string::npos);
    EXPECT_NE(shim.find(std::string(kEventsPath)), std::string::npos);
    EXPECT_NE(shim.find(std::string(kBridgePath)), std::string::npos);
    EXPECT_NE(shim.find(kBridgeHeader), std::string::npos);
    EXPECT_NE(shim.find("window.vantoHost._deliver"), std::string::npos);
}

} // namespace
} // namespace vanto::preview
