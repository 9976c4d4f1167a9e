#include "diagnostics/host_facts.h"
#include "diagnostics/transport_fact.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace vanto {
namespace {

TEST(HostFactsRecord, HasTheFixedRawSizesAndCopiesAsBytes) {
    EXPECT_EQ(sizeof(HostFacts), 1312u);
    EXPECT_EQ(sizeof(HostBusFacts), 68u);
    EXPECT_EQ(sizeof(TransportFact), 88u);
    EXPECT_TRUE(std::is_trivially_copyable_v<HostFacts>);
    EXPECT_TRUE(std::is_trivially_copyable_v<TransportFact>);
}

TEST(HostFactsRecord, DefaultsMatchANeverConfiguredHost) {
    const HostFacts facts;
    EXPECT_STREQ(facts.hostName, "");
    EXPECT_EQ(facts.validatorHost, kValidatorNone);
    EXPECT_EQ(facts.sampleRate, 0.0);
    EXPECT_EQ(facts.lastBlockFrames, -1);
    EXPECT_EQ(facts.sampleSize, 32u);
    EXPECT_EQ(facts.busCount, 0u);
    // Every byte but the two non-zero defaults is zero, padding included: a record sent raw
    // carries nothing it was not given.
    unsigned char bytes[sizeof(HostFacts)];
    std::memcpy(bytes, &facts, sizeof bytes);
    for (std::size_t i = 0; i < sizeof bytes; ++i) {
        const bool lastBlockField = i >= 724 && i < 728;
        const bool sampleSizeField = i >= 732 && i < 736;
        if (!lastBlockField && !sampleSizeField) {
            ASSERT_EQ(bytes[i], 0) << "byte " << i;
        }
    }
}

TEST(HostFactsRecord, TransportFactDefaultsToTheCommonTempoAndMeter) {
    const TransportFact fact;
    EXPECT_EQ(fact.tempo, 120.0);
    EXPECT_EQ(fact.numerator, 4);
    EXPECT_EQ(fact.denominator, 4);
    EXPECT_FALSE(fact.playing);
    EXPECT_EQ(fact.source, kTransportSourceNone);
}

TEST(HostFactsAddBus, FillsRecordsInOrderWithTruncatedTexts) {
    const std::string longId(40, 'i');
    const std::string longLayout(30, 'l');
    const struct {
        const char* id;
        bool isInput;
        int channels;
        bool active;
        const char* layout;
        std::string storedId;
        uint32_t storedChannels;
        std::string storedLayout;
    } cases[] = {
        {"in0", true, 2, true, "stereo", "in0", 2, "stereo"},
        {"out0", false, 1, false, "mono", "out0", 1, "mono"},
        {nullptr, true, 6, true, nullptr, "", 6, ""},
        {longId.c_str(), false, 2, true, longLayout.c_str(), std::string(31, 'i'), 2, std::string(23, 'l')},
        {"odd", true, -3, true, "", "odd", 0, ""},
    };
    HostFacts facts;
    for (const auto& c : cases) {
        facts.addBus(c.id, c.isInput, c.channels, c.active, c.layout);
    }
    ASSERT_EQ(facts.busCount, std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const HostBusFacts& bus = facts.buses[i];
        EXPECT_EQ(std::string(bus.id), cases[i].storedId) << i;
        EXPECT_EQ(bus.isInput, cases[i].isInput ? 1 : 0) << i;
        EXPECT_EQ(bus.channels, cases[i].storedChannels) << i;
        EXPECT_EQ(bus.active, cases[i].active ? 1 : 0) << i;
        EXPECT_EQ(std::string(bus.layout), cases[i].storedLayout) << i;
    }
}

TEST(HostFactsAddBus, KeepsEightOfNineBuses) {
    HostFacts facts;
    for (int i = 0; i < 9; ++i) {
        facts.addBus(("in" + std::to_string(i)).c_str(), true, 2, true, "stereo");
    }
    EXPECT_EQ(facts.busCount, 8u);
    EXPECT_STREQ(facts.buses[7].id, "in7");
}

std::vector<unsigned char> bytesOf(const HostFacts& facts) {
    std::vector<unsigned char> bytes(sizeof facts);
    std::memcpy(bytes.data(), &facts, sizeof facts);
    return bytes;
}

TEST(ReadHostFactsBytes, RoundTripsARecordAndRefusesOtherSizes) {
    HostFacts sent;
    sent.sampleRate = 44100;
    sent.maxBlockFrames = 512;
    sent.addBus("in0", true, 2, true, "stereo");
    std::vector<unsigned char> bytes = bytesOf(sent);

    HostFacts received;
    ASSERT_TRUE(readHostFactsBytes(bytes.data(), bytes.size(), received));
    EXPECT_EQ(std::memcmp(&received, &sent, sizeof sent), 0);

    HostFacts untouched;
    bytes.push_back(0);
    EXPECT_FALSE(readHostFactsBytes(bytes.data(), 1313, untouched));
    EXPECT_FALSE(readHostFactsBytes(bytes.data(), 1311, untouched));
    EXPECT_FALSE(readHostFactsBytes(nullptr, 1312, untouched));
    EXPECT_EQ(untouched.sampleRate, 0.0);
}

TEST(ReadHostFactsBytes, MakesAHostileRecordSafeToWrite) {
    std::vector<unsigned char> bytes(sizeof(HostFacts), 'x'); // no terminator anywhere
    const uint32_t hugeBusCount = 200;
    std::memcpy(bytes.data() + offsetof(HostFacts, busCount), &hugeBusCount, sizeof hugeBusCount);
    HostFacts received;
    ASSERT_TRUE(readHostFactsBytes(bytes.data(), bytes.size(), received));
    EXPECT_EQ(std::strlen(received.hostName), 127u);
    EXPECT_EQ(std::strlen(received.hostVersion), 63u);
    EXPECT_EQ(std::strlen(received.hostPath), 511u);
    EXPECT_EQ(received.busCount, 8u);
    for (const HostBusFacts& bus : received.buses) {
        EXPECT_EQ(std::strlen(bus.id), 31u);
        EXPECT_EQ(std::strlen(bus.layout), 23u);
    }
}

TEST(ReadTransportFactBytes, RoundTripsAndReadsAnyNonZeroFlagByteAsTrue) {
    TransportFact sent;
    sent.atFrame = 123456789;
    sent.source = kTransportSourceHost;
    sent.playing = true;
    sent.hasLoop = true;
    sent.tempo = 97.5;
    sent.numerator = 7;
    sent.denominator = 8;
    sent.projectTimeSamples = -42;
    unsigned char bytes[sizeof(TransportFact)];
    std::memcpy(bytes, &sent, sizeof bytes);
    bytes[offsetof(TransportFact, recording)] = 0x7f;

    TransportFact received;
    ASSERT_TRUE(readTransportFactBytes(bytes, sizeof bytes, received));
    EXPECT_EQ(received.atFrame, 123456789u);
    EXPECT_TRUE(received.playing);
    EXPECT_TRUE(received.recording);
    EXPECT_FALSE(received.looping);
    EXPECT_TRUE(received.hasLoop);
    EXPECT_EQ(received.tempo, 97.5);
    EXPECT_EQ(received.numerator, 7);
    EXPECT_EQ(received.denominator, 8);
    EXPECT_EQ(received.projectTimeSamples, -42);

    TransportFact untouched;
    EXPECT_FALSE(readTransportFactBytes(bytes, 87, untouched));
    EXPECT_FALSE(readTransportFactBytes(bytes, 89, untouched));
    EXPECT_EQ(untouched.atFrame, 0u);
}

} // namespace
} // namespace vanto
