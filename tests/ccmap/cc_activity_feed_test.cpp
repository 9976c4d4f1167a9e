#include "ccmap/cc_activity_feed.h"
#include "ccmap/cc_activity_json.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace vanto {
namespace {

std::vector<CcActivityRecord> drainAll(CcActivityFeed& feed, int64_t now, unsigned capacity = 128) {
    std::vector<CcActivityRecord> out(capacity);
    out.resize(feed.drain(now, out.data(), capacity));
    return out;
}

MATCHER_P3(IsRecord, cc, channel, value, "") {
    return arg.cc == cc && arg.channel == channel && arg.value == value;
}

TEST(CcActivityFeed, ReportsEachControllerOncePer33MsWithItsLatestValue) {
    CcActivityFeed feed;
    feed.record(7, 1, 10);
    EXPECT_TRUE(feed.pending());
    EXPECT_THAT(drainAll(feed, 1000), testing::ElementsAre(IsRecord(7, 1, 10)));
    EXPECT_FALSE(feed.pending());

    feed.record(7, 2, 11);
    feed.record(7, 2, 12);
    EXPECT_TRUE(drainAll(feed, 1032).empty());
    EXPECT_TRUE(feed.pending());
    EXPECT_THAT(drainAll(feed, 1033), testing::ElementsAre(IsRecord(7, 2, 12)));
    EXPECT_FALSE(feed.pending());
    EXPECT_TRUE(drainAll(feed, 2000).empty());
}

TEST(CcActivityFeed, ControllersAreRateLimitedIndependentlyAndReportedInOrder) {
    CcActivityFeed feed;
    feed.record(9, 1, 1);
    ASSERT_EQ(drainAll(feed, 0).size(), 1u);
    feed.record(9, 1, 2);
    feed.record(3, 1, 3);
    EXPECT_THAT(drainAll(feed, 10), testing::ElementsAre(IsRecord(3, 1, 3)));
    feed.record(0, 16, 127);
    EXPECT_THAT(drainAll(feed, 40), testing::ElementsAre(IsRecord(0, 16, 127), IsRecord(9, 1, 2)));
}

TEST(CcActivityFeed, KeepsWhatDoesNotFitForTheNextDrain) {
    CcActivityFeed feed;
    for (int cc : {1, 2, 3}) {
        feed.record(cc, 1, cc);
    }
    EXPECT_THAT(drainAll(feed, 0, 2), testing::ElementsAre(IsRecord(1, 1, 1), IsRecord(2, 1, 2)));
    EXPECT_TRUE(feed.pending());
    EXPECT_THAT(drainAll(feed, 0, 2), testing::ElementsAre(IsRecord(3, 1, 3)));
    EXPECT_FALSE(feed.pending());
}

TEST(CcActivityFeed, IgnoresControllersOutsideTheRangeAndMasksFields) {
    CcActivityFeed feed;
    feed.record(-1, 1, 1);
    feed.record(128, 1, 1);
    EXPECT_FALSE(feed.pending());
    feed.record(127, 300, 200);
    EXPECT_THAT(drainAll(feed, 0), testing::ElementsAre(IsRecord(127, 300 & 255, 200 & 127)));
}

TEST(CcActivityFeed, DrainWithoutRoomTakesNothing) {
    CcActivityFeed feed;
    feed.record(5, 1, 1);
    CcActivityRecord record;
    EXPECT_EQ(feed.drain(0, nullptr, 4), 0u);
    EXPECT_EQ(feed.drain(0, &record, 0), 0u);
    EXPECT_THAT(drainAll(feed, 0), testing::ElementsAre(IsRecord(5, 1, 1)));
}

TEST(CcActivityJson, WritesTheMidiCcReport) {
    std::string out;
    writeMidiCcJson(out, CcActivityRecord{74, 16, 127});
    EXPECT_EQ(out, R"({"type":"vanto.midiCc","cc":74,"channel":16,"value":127})");
}

} // namespace
} // namespace vanto
