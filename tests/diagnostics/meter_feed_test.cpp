// The meter records' JSON (the processor's payload and the page's frame) and the controller's meter
// feed: strict documents that read back to the same records, refusals of malformed payloads, and
// frames only while subscribed and at most at the subscribed rate.
#include "diagnostic_test_support.h"
#include "diagnostics/meter_feed.h"
#include "diagnostics/signal_meters_json.h"
#include "support/strict_json.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vanto {
namespace {

SignalMeterRecord sample(uint64_t at) {
    SignalMeterRecord record;
    record.atFrame = at;
    record.frames = 512;
    record.hitLanes = 0b1001;
    record.hitOffset[0] = 37;
    record.hitOffset[3] = 511;
    record.laneDuckDb[0] = 6.25f;
    record.laneDuckDb[2] = 0.25f;
    record.lowBandGainDb = -4.75f;
    record.glueReductionDb = 1.5f;
    record.activeBells = 0b0111;
    record.bellGainDb[1] = -3.5f;
    record.bellHz[0] = 90;
    record.bellHz[1] = 880;
    record.bellHz[2] = 3220;
    record.bellHz[3] = 8000;
    record.inputPeak[0] = 0.75f;
    record.inputMeanSquare[1] = 0.0625f;
    record.outputPeak[1] = 0.5f;
    record.outputMeanSquare[0] = 0.25f;
    return record;
}

TEST(SignalMetersJson, PayloadIsStrictAndReadsBackToTheSameRecords) {
    const SignalMeterRecord records[2] = {sample(0), sample(512)};
    std::string payload;
    writeSignalMetersJson(payload, records, 2, 3);
    EXPECT_EQ(test::strictJsonError(payload), "") << payload;
    std::vector<SignalMeterRecord> read;
    uint32_t dropped = 0;
    ASSERT_TRUE(parseSignalMetersJson(payload.data(), payload.size(), read, dropped)) << payload;
    EXPECT_EQ(dropped, 3u);
    ASSERT_EQ(read.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        // Every value above is exact in 2 decimals or 6 digits, so the record comes back whole.
        EXPECT_EQ(std::memcmp(&read[i], &records[i], sizeof(SignalMeterRecord)), 0) << i;
    }
    EXPECT_NE(payload.find(R"("lanes":[{"duckDb":6.25,"hit":37},{"duckDb":0,"hit":null})"), std::string::npos)
        << payload;

    std::string frame;
    writeMetersFrameJson(frame, records, 1, 0);
    EXPECT_EQ(test::strictJsonError(frame), "");
    EXPECT_EQ(
        frame.rfind(R"({"type":"vanto.meters","v":1,"frameRate":48000,"dropped":0,"records":[{"at":0,)", 0),
        0u)
        << frame;
}

TEST(SignalMetersJson, ValuesAreRoundedToWhatAMeterShows) {
    SignalMeterRecord record = sample(0);
    record.lowBandGainDb = -0.1f;       // 2 decimals, not -0.10000000149011612
    record.outputMeanSquare[1] = 1e-7f; // 6 significant digits however small
    record.inputPeak[1] = 0.123456789f;
    std::string payload;
    writeSignalMetersJson(payload, &record, 1, 0);
    EXPECT_NE(payload.find(R"("lowBandGainDb":-0.1,)"), std::string::npos) << payload;
    EXPECT_NE(payload.find(R"("meanSquare":[0.25,1e-07])"), std::string::npos) << payload;
    EXPECT_NE(payload.find(R"("peak":[0.75,0.123457])"), std::string::npos) << payload;
}

TEST(SignalMetersJson, TheLargestPayloadFitsTheSizeLimit) {
    SignalMeterRecord record;
    record.atFrame = 9007199254740991ull;
    record.frames = 4294967295u;
    record.hitLanes = 0b1111;
    for (int i = 0; i < 4; ++i) {
        record.hitOffset[i] = 4294967294u;
        record.laneDuckDb[i] = -123456.78f;
        record.bellGainDb[i] = -123456.78f;
        record.bellHz[i] = -1.23457e-30f;
    }
    record.activeBells = 0b1111;
    record.lowBandGainDb = record.glueReductionDb = -123456.78f;
    for (int ch = 0; ch < 2; ++ch) {
        record.inputPeak[ch] = record.inputMeanSquare[ch] = -1.23457e-30f;
        record.outputPeak[ch] = record.outputMeanSquare[ch] = -1.23457e-30f;
    }
    const std::vector<SignalMeterRecord> records(kMaxSignalRecordsPerPayload, record);
    std::string payload;
    writeSignalMetersJson(payload, records.data(), records.size(), 4294967295u);
    EXPECT_LE(payload.size(), kMaxSignalPayloadBytes);
    std::vector<SignalMeterRecord> read;
    uint32_t dropped = 0;
    EXPECT_TRUE(parseSignalMetersJson(payload.data(), payload.size(), read, dropped));
}

TEST(SignalMetersJson, MalformedPayloadsAreRefused) {
    std::string one;
    const SignalMeterRecord record = sample(0);
    writeSignalMetersJson(one, &record, 1, 0);
    const auto replaced = [&](const std::string& from, const std::string& to) {
        std::string text = one;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    const std::vector<std::string> bad = {
        "",
        "{}",
        R"({"v":2,"dropped":0,"records":[]})",
        R"({"v":1,"dropped":-1,"records":[]})",
        one + " x",
        replaced(R"("hit":37)", R"("hit":512)"), // a hit beyond the record's frames
        replaced(R"("hit":37)", R"("hit":3.5)"),
        replaced(R"("duckDb":6.25)", R"("duckDb":"6.25")"),
        replaced(R"("duckDb":6.25)", R"("duckDb":1e999)"),
        replaced(R"({"duckDb":0,"hit":null},)", ""), // three lanes
        replaced(R"("peak":[0.75,0])", R"("peak":[0.75])"),
        replaced(R"("on":true)", R"("on":1)"),
        replaced(R"("at":0)", R"("at":-512)"),
    };
    for (const std::string& text : bad) {
        std::vector<SignalMeterRecord> read;
        uint32_t dropped = 0;
        EXPECT_FALSE(parseSignalMetersJson(text.data(), text.size(), read, dropped)) << text;
    }
    std::string tooMany = R"({"v":1,"dropped":0,"records":[)";
    for (std::size_t i = 0; i <= kMaxSignalRecordsPerPayload; ++i) {
        tooMany += i == 0 ? "{}" : ",{}";
    }
    tooMany += "]}";
    std::vector<SignalMeterRecord> read;
    uint32_t dropped = 0;
    EXPECT_FALSE(parseSignalMetersJson(tooMany.data(), tooMany.size(), read, dropped));
}

std::string payloadOf(uint64_t at, std::size_t count, uint32_t dropped = 0) {
    std::vector<SignalMeterRecord> records;
    for (std::size_t i = 0; i < count; ++i) {
        records.push_back(sample(at + 512 * i));
    }
    std::string payload;
    writeSignalMetersJson(payload, records.data(), records.size(), dropped);
    return payload;
}

TEST(MeterFeed, FramesGoOnlyWhileMetersOrScopeAreSubscribedAndAPageIsThere) {
    DiagnosticMeterFeed feed;
    test::RecordingPage page;
    DiagnosticSubscription subscription;
    const std::string payload = payloadOf(0, 3);
    subscription.update(kFeedTransport | kFeedLifecycle, 30);
    feed.adopt(payload.data(), payload.size(), 0, subscription, page);
    EXPECT_TRUE(page.messages.empty());
    for (uint32_t feeds : {uint32_t{kFeedMeters}, uint32_t{kFeedScope}}) {
        subscription.update(feeds, 30);
        feed.restart();
        page.messages.clear();
        feed.adopt(payload.data(), payload.size(), 0, subscription, page);
        ASSERT_EQ(page.messages.size(), 1u);
        EXPECT_EQ(page.messages[0].rfind(R"({"type":"vanto.meters")", 0), 0u);
    }
    page.connected = false;
    feed.adopt(payload.data(), payload.size(), 1000, subscription, page);
    EXPECT_EQ(page.messages.size(), 1u);
    page.connected = true;
    feed.adopt("{", 1, 2000, subscription, page);
    EXPECT_EQ(page.messages.size(), 1u) << "a malformed payload is ignored";
}

TEST(MeterFeed, FramesKeepToTheSubscribedRateAndMergeWhatArrivesBetween) {
    DiagnosticMeterFeed feed;
    test::RecordingPage page;
    DiagnosticSubscription subscription;
    subscription.update(kFeedMeters, 10); // one frame per 100 ms
    // Payloads every 33 ms with a little jitter for 3 seconds.
    for (int i = 0; i < 90; ++i) {
        const std::string payload = payloadOf(static_cast<uint64_t>(i) * 1536, 3);
        feed.adopt(payload.data(), payload.size(), i * 33.3 + (i % 3 == 1 ? 2.0 : 0.0), subscription, page);
    }
    EXPECT_GE(page.messages.size(), 28u);
    EXPECT_LE(page.messages.size(), 31u);
    for (const std::string& error : test::strictJsonErrors(page.messages)) {
        EXPECT_EQ(error, "");
    }
    std::size_t records = 0;
    for (const std::string& frame : page.messages) {
        for (std::size_t at = frame.find("{\"at\":"); at != std::string::npos;
             at = frame.find("{\"at\":", at + 1)) {
            ++records;
        }
    }
    EXPECT_EQ(records + feed.pendingRecords(), 270u) << "nothing lost between frames";
}

TEST(MeterFeed, PendingRecordsAreBoundedAndTheLossCounted) {
    DiagnosticMeterFeed feed;
    test::RecordingPage page;
    DiagnosticSubscription subscription;
    subscription.update(kFeedMeters, 1);
    const std::string first = payloadOf(0, 1);
    feed.adopt(first.data(), first.size(), 0, subscription, page);
    ASSERT_EQ(page.messages.size(), 1u);
    for (int i = 0; i < 5; ++i) {
        const std::string payload = payloadOf(0, 40, i == 0 ? 2 : 0);
        feed.adopt(payload.data(), payload.size(), 10.0 * (i + 1), subscription, page);
    }
    EXPECT_EQ(feed.pendingRecords(), DiagnosticMeterFeed::kMaxPendingRecords);
    const std::string last = payloadOf(0, 1);
    feed.adopt(last.data(), last.size(), 1000, subscription, page);
    ASSERT_EQ(page.messages.size(), 2u);
    // 200 + 1 records came after the first frame, 128 fit; 2 were lost before they came.
    EXPECT_NE(page.messages[1].find(R"("dropped":75,)"), std::string::npos) << page.messages[1].substr(0, 80);
}

TEST(MeterFeed, TheProcessorIsToldOnlyWhenTheSignalFeedsChange) {
    DiagnosticMeterFeed feed;
    DiagnosticSubscription subscription;
    uint32_t feeds = 99;
    subscription.update(kFeedTransport, 30);
    EXPECT_FALSE(feed.takeFeedsChange(subscription, feeds));
    subscription.update(kFeedTransport | kFeedMeters | kFeedScope, 30);
    EXPECT_TRUE(feed.takeFeedsChange(subscription, feeds));
    EXPECT_EQ(feeds, uint32_t{kFeedMeters | kFeedScope});
    EXPECT_FALSE(feed.takeFeedsChange(subscription, feeds));
    subscription.clear();
    EXPECT_TRUE(feed.takeFeedsChange(subscription, feeds));
    EXPECT_EQ(feeds, 0u);
}

} // namespace
} // namespace vanto
