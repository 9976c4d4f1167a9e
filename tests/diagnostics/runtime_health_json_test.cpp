#include "diagnostics/runtime_health_json.h"

#include "diagnostics/diagnostic_vocabulary.h"
#include "support/strict_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace vanto {
namespace {

constexpr const char* kModuleId = "music.vanto.dovrel";
constexpr const char* kVersion = "0.0.0";

// Writes the reports of a ring; every report a test writes is checked against an independent
// strict parser when the test ends (one checker run per test).
class RuntimeHealthJson : public ::testing::Test {
  protected:
    std::string write(bool failed = false, double sampleRate = 44100.0) {
        return checked(writeRuntimeHealthJson(ring, kModuleId, kVersion, sampleRate, 512, failed));
    }

    std::string checked(std::string json) {
        written_.push_back(json);
        return json;
    }

    void TearDown() override {
        const std::vector<std::string> errors = test::strictJsonErrors(written_);
        for (std::size_t i = 0; i < written_.size(); ++i) {
            EXPECT_EQ(errors[i], "") << written_[i];
        }
    }

    static bool contains(const std::string& json, const std::string& part) {
        return json.find(part) != std::string::npos;
    }

    static std::size_t occurrences(const std::string& json, const std::string& part) {
        std::size_t count = 0;
        for (std::size_t at = json.find(part); at != std::string::npos; at = json.find(part, at + 1)) {
            ++count;
        }
        return count;
    }

    vanto_runtime_diagnostic_ring ring{};

  private:
    std::vector<std::string> written_;
};

TEST_F(RuntimeHealthJson, FreshRingIsHealthy) {
    EXPECT_EQ(write(), "{\"format\":\"vanto-runtime-health/v1\",\"schemaVersion\":1,\"instanceId\":\"vst3\","
                       "\"lifecycle\":\"configured\",\"status\":\"healthy\",\"counters\":{\"diagnostics\":0,"
                       "\"diagnostics.dropped\":0},\"diagnostics\":[]}");
}

TEST_F(RuntimeHealthJson, FailedFlagFailsEvenAnEmptyRing) {
    EXPECT_EQ(write(true),
              "{\"format\":\"vanto-runtime-health/v1\",\"schemaVersion\":1,\"instanceId\":\"vst3\","
              "\"lifecycle\":\"failed\",\"status\":\"failed\",\"counters\":{\"diagnostics\":0,"
              "\"diagnostics.dropped\":0},\"diagnostics\":[]}");
}

// The first error appears twice: in the list and again as "firstError".
TEST_F(RuntimeHealthJson, SingleErrorFailsAndIsRepeatedAsFirstError) {
    recordRuntimeDiagnostic(ring, kDiagInvalidConfiguration, kSeverityError, kPhaseConfigure,
                            "host format rejected", "rate=1");
    const std::string record =
        "{\"format\":\"vanto-plugin-runtime-diagnostic/v1\",\"schemaVersion\":1,\"sequence\":1,"
        "\"code\":\"runtime.invalid-configuration\",\"severity\":\"error\",\"phase\":\"configure\","
        "\"component\":\"shell\",\"message\":\"host format rejected\",\"recoverable\":false,"
        "\"identity\":{\"moduleId\":\"music.vanto.dovrel\",\"version\":\"0.0.0\",\"target\":\"vst3\"},"
        "\"configuration\":{\"sampleRate\":44100,\"maxBlockFrames\":512},\"occurrence\":{\"count\":1},"
        "\"context\":{\"detail\":\"rate=1\"}}";
    EXPECT_EQ(write(), "{\"format\":\"vanto-runtime-health/v1\",\"schemaVersion\":1,\"instanceId\":\"vst3\","
                       "\"lifecycle\":\"configured\",\"status\":\"failed\",\"counters\":{\"diagnostics\":1,"
                       "\"diagnostics.dropped\":0},\"diagnostics\":[" +
                           record + "],\"firstError\":" + record + "}");
}

TEST_F(RuntimeHealthJson, StatusFollowsTheWorstStoredSeverity) {
    const struct {
        uint8_t severity;
        const char* status;
        bool hasFirstError;
        const char* recoverable;
    } cases[] = {{kSeverityInfo, "healthy", false, "true"},
                 {kSeverityWarning, "degraded", false, "true"},
                 {kSeverityError, "failed", true, "false"},
                 {kSeverityFatal, "failed", true, "false"}};
    for (const auto& c : cases) {
        ring = {};
        recordRuntimeDiagnostic(ring, 1, c.severity, kPhaseLoad, "m", nullptr);
        const std::string json = write();
        EXPECT_TRUE(contains(json, std::string("\"status\":\"") + c.status + "\"")) << json;
        EXPECT_TRUE(contains(json, std::string("\"recoverable\":") + c.recoverable)) << json;
        EXPECT_EQ(contains(json, "\"firstError\""), c.hasFirstError) << json;
        EXPECT_TRUE(contains(json, "\"lifecycle\":\"configured\"")) << json;
    }
}

TEST_F(RuntimeHealthJson, ErrorAfterAWarningStillFails) {
    recordRuntimeDiagnostic(ring, 1, kSeverityWarning, kPhaseLoad, "first", nullptr);
    recordRuntimeDiagnostic(ring, 4, kSeverityError, kPhaseProcess, "second", nullptr);
    const std::string json = write();
    EXPECT_TRUE(contains(json, "\"status\":\"failed\""));
    EXPECT_TRUE(contains(json, "\"firstError\":{\"format\":\"vanto-plugin-runtime-diagnostic/v1\","
                               "\"schemaVersion\":1,\"sequence\":2,"));
}

TEST_F(RuntimeHealthJson, The33rdRecordIsCountedButNotListed) {
    for (int i = 0; i < 33; ++i) {
        recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseProcess, "note", nullptr);
    }
    const std::string json = write();
    EXPECT_TRUE(contains(json, "\"counters\":{\"diagnostics\":32,\"diagnostics.dropped\":1}"));
    EXPECT_TRUE(contains(json, "\"status\":\"degraded\""));
    EXPECT_EQ(occurrences(json, "\"format\":\"vanto-plugin-runtime-diagnostic/v1\""), 32u);
    EXPECT_TRUE(contains(json, "\"sequence\":32,"));
    EXPECT_FALSE(contains(json, "\"sequence\":33,"));
    EXPECT_EQ(ring.nextSequence, 34u);
}

TEST_F(RuntimeHealthJson, ValuesOutsideTheTablesGetFallbackNames) {
    recordRuntimeDiagnostic(ring, 0, 7, 12, "a", nullptr);
    recordRuntimeDiagnostic(ring, 29, kSeverityInfo, kPhaseBuild, "b", nullptr);
    const std::string json = write();
    EXPECT_EQ(occurrences(json, "\"code\":\"runtime.unknown\""), 2u + 1u) << "both records and firstError";
    EXPECT_TRUE(contains(json, "\"severity\":\"error\",\"phase\":\"process\""));
    EXPECT_TRUE(contains(json, "\"status\":\"failed\""));
}

TEST_F(RuntimeHealthJson, DetailIsAnEscapedStringAndOmittedWhenEmpty) {
    recordRuntimeDiagnostic(ring, 27, kSeverityInfo, kPhaseLoad, "no detail", "");
    recordRuntimeDiagnostic(ring, 27, kSeverityInfo, kPhaseLoad, "json detail",
                            "{\"bank\":\"a\\b\",\"banks\":0}");
    const std::string json = write();
    EXPECT_EQ(occurrences(json, "\"context\""), 1u);
    EXPECT_TRUE(contains(json, R"("message":"no detail","recoverable":true,)"));
    EXPECT_TRUE(contains(json, R"("context":{"detail":"{\"bank\":\"a\\b\",\"banks\":0}"}})"));
}

TEST_F(RuntimeHealthJson, NonFiniteSampleRateIsNullAndNullIdentityIsUnknown) {
    recordRuntimeDiagnostic(ring, 1, kSeverityInfo, kPhaseConfigure, "m", nullptr);
    EXPECT_TRUE(contains(write(false, std::nan("")),
                         "\"configuration\":{\"sampleRate\":null,\"maxBlockFrames\":512}"));
    EXPECT_TRUE(contains(write(false, INFINITY), "\"sampleRate\":null"));
    EXPECT_TRUE(contains(write(false, 44100.5), "\"sampleRate\":44100.5"));

    const std::string json = checked(writeRuntimeHealthJson(ring, nullptr, nullptr, 48000.0, -1, false));
    EXPECT_TRUE(contains(json, R"("identity":{"moduleId":"unknown","version":"unknown","target":"vst3"})"));
    EXPECT_TRUE(contains(json, R"("maxBlockFrames":-1})"));
}

// Records with the longest texts, made of the bytes that need escaping, must still fit the 64 KiB
// the controller accepts.
TEST_F(RuntimeHealthJson, FullRingOfMaximalTextsStaysBelowTheControllerLimit) {
    const std::string quotes(400, '"');
    const std::string controls(400, '\x01');
    for (int i = 0; i < 40; ++i) {
        const std::string& text = i % 2 == 0 ? quotes : controls;
        recordRuntimeDiagnostic(ring, 4, kSeverityFatal, kPhaseProcess, text.c_str(), text.c_str());
    }
    const std::string json = write(true);
    EXPECT_LT(json.size(), 65536u);
    EXPECT_TRUE(contains(json, "\"diagnostics.dropped\":8"));
}

// The writer reads a copy of the ring taken from another component; damaged counts and texts
// without terminators must not make it read outside the ring.
TEST_F(RuntimeHealthJson, DamagedRingCopyStaysWithinBounds) {
    recordRuntimeDiagnostic(ring, 1, kSeverityWarning, kPhaseLoad, "m", "d");
    std::memset(ring.entries[0].message, 'M', sizeof ring.entries[0].message);
    std::memset(ring.entries[0].detail, 'D', sizeof ring.entries[0].detail);
    ring.count = 1000;
    const std::string json = write();
    EXPECT_TRUE(contains(json, "\"diagnostics\":32,"));
    EXPECT_TRUE(contains(json, "\"message\":\"" + std::string(192, 'M') + "\""));
    EXPECT_TRUE(contains(json, "\"detail\":\"" + std::string(128, 'D') + "\""));
}

} // namespace
} // namespace vanto
