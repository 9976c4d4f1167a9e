#include "diagnostics/runtime_diagnostic_ring.h"

#include "diagnostics/diagnostic_vocabulary.h"

#include <gtest/gtest.h>

#include <string>

namespace vanto {
namespace {

// Every byte after the text's terminator must be zero, so records compare and copy as bytes.
template <std::size_t N> void expectZeroTail(const char (&field)[N]) {
    for (std::size_t i = std::char_traits<char>::length(field); i < N; ++i) {
        ASSERT_EQ(field[i], '\0') << "byte " << i;
    }
}

TEST(RuntimeDiagnosticRing, StartsEmptyWithSequenceOne) {
    const vanto_runtime_diagnostic_ring ring{};
    EXPECT_EQ(ring.headerWord, 1u);
    EXPECT_EQ(ring.nextSequence, 1u);
    EXPECT_EQ(ring.dropped, 0u);
    EXPECT_EQ(ring.firstErrorSequence, 0u);
    EXPECT_EQ(ring.count, 0u);
}

TEST(RuntimeDiagnosticRing, StoresOneRecordWithItsSequence) {
    vanto_runtime_diagnostic_ring ring{};
    recordRuntimeDiagnostic(ring, kDiagInvalidConfiguration, kSeverityError, kPhaseConfigure,
                            "host format rejected", "rate=0");
    ASSERT_EQ(ring.count, 1u);
    const vanto_runtime_diagnostic& record = ring.entries[0];
    EXPECT_EQ(record.sequence, 1u);
    EXPECT_EQ(record.code, 14u);
    EXPECT_EQ(record.severity, 2u);
    EXPECT_EQ(record.phase, 5u);
    EXPECT_STREQ(record.message, "host format rejected");
    EXPECT_STREQ(record.detail, "rate=0");
    expectZeroTail(record.message);
    expectZeroTail(record.detail);
    EXPECT_EQ(ring.nextSequence, 2u);
    EXPECT_EQ(ring.firstErrorSequence, 1u);
}

TEST(RuntimeDiagnosticRing, NullTextsAreEmpty) {
    vanto_runtime_diagnostic_ring ring{};
    recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseBuild, nullptr, nullptr);
    ASSERT_EQ(ring.count, 1u);
    EXPECT_STREQ(ring.entries[0].message, "");
    EXPECT_STREQ(ring.entries[0].detail, "");
    expectZeroTail(ring.entries[0].message);
}

struct TruncationCase {
    std::string text;
    std::string storedMessage; // in a 192-byte field
};

TEST(RuntimeDiagnosticRing, CutsLongTextsAtACharacterBoundaryAndBlanksControlBytes) {
    const std::string e = "\xc3\xa9";             // two-byte UTF-8 sequence
    const std::string euro = "\xe2\x82\xac";      // three bytes
    const std::string emoji = "\xf0\x9f\x98\x80"; // four bytes
    const TruncationCase cases[] = {
        {std::string(191, 'm'), std::string(191, 'm')},
        {std::string(300, 'm'), std::string(191, 'm')},
        {std::string(190, 'm') + e, std::string(190, 'm')},
        {std::string(189, 'm') + e + "x", std::string(189, 'm') + e},
        {std::string(189, 'm') + euro, std::string(189, 'm')},
        {std::string(188, 'm') + euro + "x", std::string(188, 'm') + euro},
        {std::string(188, 'm') + emoji, std::string(188, 'm')},
        {"tab\there\nline\r", "tab here line "},
    };
    for (const TruncationCase& c : cases) {
        vanto_runtime_diagnostic_ring ring{};
        recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseBuild, c.text.c_str(), c.text.c_str());
        EXPECT_EQ(std::string(ring.entries[0].message), c.storedMessage) << c.text.size();
        expectZeroTail(ring.entries[0].message);
        EXPECT_LE(std::string(ring.entries[0].detail).size(), 127u);
        expectZeroTail(ring.entries[0].detail);
    }
}

TEST(RuntimeDiagnosticRing, FirstErrorIsTheFirstErrorOrFatalAndNeverChanges) {
    vanto_runtime_diagnostic_ring ring{};
    recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseLoad, "info", nullptr);
    recordRuntimeDiagnostic(ring, 1, kSeverityWarning, kPhaseLoad, "warning", nullptr);
    EXPECT_EQ(ring.firstErrorSequence, 0u);
    recordRuntimeDiagnostic(ring, 1, kSeverityFatal, kPhaseLoad, "fatal", nullptr);
    EXPECT_EQ(ring.firstErrorSequence, 3u);
    recordRuntimeDiagnostic(ring, 1, kSeverityError, kPhaseLoad, "error", nullptr);
    EXPECT_EQ(ring.firstErrorSequence, 3u);
}

// A full ring keeps its first 32 records; later ones are counted and still spend their sequence
// numbers, so the next record after a loss shows the gap.
TEST(RuntimeDiagnosticRing, OverflowCountsDroppedRecordsAndSpendsTheirSequences) {
    vanto_runtime_diagnostic_ring ring{};
    for (uint32_t i = 0; i < 32; ++i) {
        recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseProcess, "kept", nullptr);
    }
    const vanto_runtime_diagnostic lastKept = ring.entries[31];
    recordRuntimeDiagnostic(ring, 4, kSeverityError, kPhaseProcess, "lost", nullptr);
    EXPECT_EQ(ring.count, 32u);
    EXPECT_EQ(ring.dropped, 1u);
    EXPECT_EQ(ring.nextSequence, 34u);
    EXPECT_EQ(ring.firstErrorSequence, 0u) << "a dropped record is not the first stored error";
    EXPECT_EQ(ring.entries[31].sequence, lastKept.sequence);
    EXPECT_STREQ(ring.entries[31].message, "kept");
    for (uint32_t i = 0; i < 32; ++i) {
        EXPECT_EQ(ring.entries[i].sequence, i + 1);
    }
    for (int i = 0; i < 7; ++i) {
        recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseProcess, "lost", nullptr);
    }
    EXPECT_EQ(ring.dropped, 8u);
    EXPECT_EQ(ring.nextSequence, 41u);
}

TEST(AudioCallbackDiagnostic, MessageIsChosenByCode) {
    const struct {
        uint32_t code;
        const char* message;
    } cases[] = {
        {kDiagProcessFailed, "audio process callback failed; output was cleared"},
        {kDiagRateAdapterFailed, "sample-rate adapter failed; output was cleared"},
        {kDiagEventRejected, "runtime diagnostic observed on the audio callback"},
        {0, "runtime diagnostic observed on the audio callback"},
    };
    for (const auto& c : cases) {
        vanto_runtime_diagnostic_ring ring{};
        recordAudioCallbackDiagnostic(ring, c.code, kSeverityError, kPhaseProcess);
        ASSERT_EQ(ring.count, 1u);
        EXPECT_EQ(ring.entries[0].code, c.code);
        EXPECT_EQ(ring.entries[0].severity, kSeverityError);
        EXPECT_EQ(ring.entries[0].phase, kPhaseProcess);
        EXPECT_STREQ(ring.entries[0].message, c.message);
        EXPECT_STREQ(ring.entries[0].detail, "audio callback");
    }
}

TEST(AudioQueueOverflow, RecordsTheLostCountAsAWarning) {
    vanto_runtime_diagnostic_ring ring{};
    recordAudioQueueOverflow(ring, 0);
    EXPECT_EQ(ring.count, 0u);
    EXPECT_EQ(ring.nextSequence, 1u);

    recordAudioQueueOverflow(ring, 4000000000u);
    ASSERT_EQ(ring.count, 1u);
    const vanto_runtime_diagnostic& record = ring.entries[0];
    EXPECT_EQ(record.code, 25u);
    EXPECT_EQ(record.severity, kSeverityWarning);
    EXPECT_EQ(record.phase, kPhaseProcess);
    EXPECT_STREQ(record.message, "audio diagnostic queue overflowed");
    EXPECT_STREQ(record.detail, "dropped=4000000000; source=audio callback");
    EXPECT_EQ(ring.firstErrorSequence, 0u);
}

} // namespace
} // namespace vanto
