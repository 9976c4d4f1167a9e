#include "diagnostics/bank_diagnostics.h"

#include "diagnostics/diagnostic_vocabulary.h"

#include <gtest/gtest.h>

#include <string>

namespace vanto {
namespace {

TEST(RuntimeBankRefusal, MissingAndDigestMismatchRecords) {
    const struct {
        bool digestMismatch;
        const char* reason;
        uint32_t code;
    } cases[] = {{false, "bank-manifest-invalid", kDiagBankMissing},
                 {true, "bank-hash-mismatch", kDiagBankHashMismatch}};
    for (const auto& c : cases) {
        vanto_runtime_diagnostic_ring ring{};
        recordRuntimeBankRefusal(ring, c.digestMismatch, c.reason, "asset kick.wav differs", "/banks/one");
        ASSERT_EQ(ring.count, 1u);
        const vanto_runtime_diagnostic& record = ring.entries[0];
        EXPECT_EQ(record.code, c.code);
        EXPECT_EQ(record.severity, kSeverityError);
        EXPECT_EQ(record.phase, kPhaseLoad);
        EXPECT_EQ(std::string(record.message),
                  std::string("runtime bank load refused (") + c.reason + "): asset kick.wav differs");
        EXPECT_EQ(std::string(record.detail),
                  std::string("{\"reason\":\"") + c.reason + "\",\"source\":\"/banks/one\"}");
        EXPECT_EQ(ring.firstErrorSequence, 1u);
    }
}

TEST(RuntimeBankRefusal, NullTextsAndLongTextsStayWithinTheFields) {
    vanto_runtime_diagnostic_ring ring{};
    recordRuntimeBankRefusal(ring, false, "bank-missing", nullptr, nullptr);
    EXPECT_STREQ(ring.entries[0].message, "runtime bank load refused (bank-missing): ");
    EXPECT_STREQ(ring.entries[0].detail, "{\"reason\":\"bank-missing\",\"source\":\"\"}");

    const std::string longText(500, 'x');
    recordRuntimeBankRefusal(ring, false, "bank-missing", longText.c_str(), longText.c_str());
    const std::string message = ring.entries[1].message;
    const std::string detail = ring.entries[1].detail;
    EXPECT_EQ(message.size(), 191u);
    EXPECT_EQ(message.rfind("runtime bank load refused (bank-missing): xxx", 0), 0u);
    EXPECT_EQ(detail.size(), 127u);
    EXPECT_EQ(detail.rfind("{\"reason\":\"bank-missing\",\"source\":\"xxx", 0), 0u);
}

TEST(BankRefusalDetails, QuotesAndControlBytesInIdsAndPathsAreEscaped) {
    vanto_runtime_diagnostic_ring ring{};
    recordRuntimeBankRefusal(ring, false, "bank-missing", "m", "/banks/a\"b\\c\n");
    recordBankRecallRefusal(ring, false, "evil\",\"banks\":9}", 0);
    EXPECT_STREQ(ring.entries[0].detail,
                 "{\"reason\":\"bank-missing\",\"source\":\"/banks/a\\\"b\\\\c\\n\"}");
    EXPECT_STREQ(ring.entries[1].detail, "{\"bank\":\"evil\\\",\\\"banks\\\":9}\",\"banks\":0}");
}

TEST(BankRecallRefusal, MissingAndDigestMismatchRecords) {
    vanto_runtime_diagnostic_ring ring{};
    recordBankRecallRefusal(ring, false, "acme.drums", 0);
    recordBankRecallRefusal(ring, true, "acme.keys", 0);
    ASSERT_EQ(ring.count, 2u);

    EXPECT_EQ(ring.entries[0].code, kDiagBankMissing);
    EXPECT_STREQ(ring.entries[0].message, "state recall named a bank this build does not contain; parameters "
                                          "kept, output silent, no bank substituted");
    EXPECT_STREQ(ring.entries[0].detail, "{\"bank\":\"acme.drums\",\"banks\":0}");

    EXPECT_EQ(ring.entries[1].code, kDiagBankHashMismatch);
    EXPECT_STREQ(ring.entries[1].message,
                 "state recall named a bank whose manifest hash differs from the one "
                 "compiled in; parameters kept, output silent");
    EXPECT_STREQ(ring.entries[1].detail, "{\"bank\":\"acme.keys\",\"banks\":0}");

    for (const vanto_runtime_diagnostic& record : ring.entries) {
        if (record.sequence != 0) {
            EXPECT_EQ(record.severity, kSeverityError);
            EXPECT_EQ(record.phase, kPhaseState);
        }
    }
}

} // namespace
} // namespace vanto
