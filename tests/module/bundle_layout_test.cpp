#include "bundle_layout.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
    const char* from;
    const char* to;
};

TEST(BundleLayout, BinaryInsideTheBundle) {
    const PathCase cases[] = {
        {"/plugins/Dovrel.vst3", "/plugins/Dovrel.vst3/Contents/x86_64-linux/Dovrel.so"},
        {"/plugins/Dovrel.vst3/", "/plugins/Dovrel.vst3/Contents/x86_64-linux/Dovrel.so"},
        {"Dovrel.vst3", "Dovrel.vst3/Contents/x86_64-linux/Dovrel.so"},
        {"/a b/My Plug.vst3", "/a b/My Plug.vst3/Contents/x86_64-linux/My Plug.so"},
        {"/plugins/Dovrel.so", ""},
        {"/plugins/.vst3", ""},
        {"", ""},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(vanto::bundleBinaryPath(c.from), c.to) << c.from;
}

TEST(BundleLayout, BundleAroundTheBinary) {
    const PathCase cases[] = {
        {"/plugins/Dovrel.vst3/Contents/x86_64-linux/Dovrel.so", "/plugins/Dovrel.vst3"},
        {"/Dovrel.vst3/Contents/x86_64-linux/Dovrel.so", "/Dovrel.vst3"},
        // Outside the layout the binary's folder stands for the bundle.
        {"/plugins/Dovrel.vst3/Contents/i386-linux/Dovrel.so", "/plugins/Dovrel.vst3/Contents/i386-linux"},
        {"/plugins/Dovrel/Contents/x86_64-linux/Dovrel.so", "/plugins/Dovrel/Contents/x86_64-linux"},
        {"/usr/lib/libDovrel.so", "/usr/lib"},
        {"/Dovrel.so", "/"},
        {"Dovrel.so", ""},
    };
    for (const PathCase& c : cases)
        EXPECT_EQ(vanto::bundlePathForBinary(c.from), c.to) << c.from;
}

TEST(BundleLayout, RoundTrips) {
    const std::string bundle = "/home/user/.vst3/Dovrel.vst3";
    EXPECT_EQ(vanto::bundlePathForBinary(vanto::bundleBinaryPath(bundle)), bundle);
}

} // namespace
