#include "module_lifetime.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using vanto::ModuleLifetime;

struct HookCounts {
    int inits = 0;
    int deinits = 0;
    bool initSucceeds = true;
};
HookCounts counts;

bool countedInit() {
    ++counts.inits;
    return counts.initSucceeds;
}
void countedDeinit() {
    ++counts.deinits;
}

class ModuleLifetimeTest : public ::testing::Test {
  protected:
    void SetUp() override { counts = {}; }

    ModuleLifetime lifetime{&countedInit, &countedDeinit};
    int firstHandle = 0;
    int secondHandle = 0;
};

TEST_F(ModuleLifetimeTest, NestedEntriesInitialiseOnceAndKeepTheFirstHandle) {
    EXPECT_TRUE(lifetime.enter(&firstHandle, "/plugins/Dovrel.vst3"));
    EXPECT_TRUE(lifetime.enter(&secondHandle, "/elsewhere/Dovrel.vst3"));
    EXPECT_EQ(counts.inits, 1);
    EXPECT_EQ(lifetime.entryCount(), 2);
    EXPECT_EQ(lifetime.moduleHandle(), &firstHandle);
    EXPECT_EQ(lifetime.bundlePath(), "/plugins/Dovrel.vst3");

    EXPECT_TRUE(lifetime.exit());
    EXPECT_EQ(counts.deinits, 0);
    EXPECT_EQ(lifetime.moduleHandle(), &firstHandle);
    EXPECT_TRUE(lifetime.exit());
    EXPECT_EQ(counts.deinits, 1);
    EXPECT_EQ(lifetime.moduleHandle(), nullptr);
    EXPECT_EQ(lifetime.bundlePath(), "");
}

TEST_F(ModuleLifetimeTest, UnmatchedExitIsRefusedWithoutUpsettingTheCount) {
    ASSERT_TRUE(lifetime.enter(&firstHandle, "/a.vst3"));
    ASSERT_TRUE(lifetime.exit());
    EXPECT_FALSE(lifetime.exit());
    EXPECT_EQ(lifetime.entryCount(), 0);
    EXPECT_EQ(counts.deinits, 1);

    // The next entry is a first entry again, with a fresh handle and path.
    EXPECT_TRUE(lifetime.enter(&secondHandle, "/b.vst3"));
    EXPECT_EQ(counts.inits, 2);
    EXPECT_EQ(lifetime.moduleHandle(), &secondHandle);
    EXPECT_EQ(lifetime.bundlePath(), "/b.vst3");
}

TEST_F(ModuleLifetimeTest, NullHandleDoesNotCount) {
    EXPECT_TRUE(lifetime.enter(nullptr, "/a.vst3"));
    EXPECT_EQ(lifetime.entryCount(), 0);
    EXPECT_EQ(counts.inits, 0);
    EXPECT_FALSE(lifetime.exit());
}

TEST_F(ModuleLifetimeTest, FailedInitialisationUndoesTheEntry) {
    counts.initSucceeds = false;
    EXPECT_FALSE(lifetime.enter(&firstHandle, "/a.vst3"));
    EXPECT_EQ(lifetime.entryCount(), 0);
    EXPECT_EQ(lifetime.moduleHandle(), nullptr);
    EXPECT_FALSE(lifetime.exit());
    EXPECT_EQ(counts.deinits, 0);

    counts.initSucceeds = true;
    EXPECT_TRUE(lifetime.enter(&firstHandle, "/a.vst3"));
    EXPECT_EQ(counts.inits, 2);
}

TEST_F(ModuleLifetimeTest, PathThatDoesNotFitIsLeftEmptyRatherThanCut) {
    const std::string longest(ModuleLifetime::kBundlePathCapacity - 1, 'p');
    ASSERT_TRUE(lifetime.enter(&firstHandle, longest));
    EXPECT_EQ(lifetime.bundlePath(), longest);
    ASSERT_TRUE(lifetime.exit());

    ASSERT_TRUE(lifetime.enter(&firstHandle, longest + "p"));
    EXPECT_EQ(lifetime.bundlePath(), "");
    EXPECT_EQ(lifetime.moduleHandle(), &firstHandle);
}

} // namespace
