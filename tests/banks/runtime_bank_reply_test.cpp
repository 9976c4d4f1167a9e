#include "banks/runtime_bank_reply.h"

#include "banks/bank_fixtures.h"
#include "banks/runtime_bank_loader.h"

#include <gtest/gtest.h>

namespace vanto {
namespace {

TEST(RuntimeBankReply, WithoutABankOnlyOutcomeAndMessage) {
    EXPECT_EQ(encodeRuntimeBankReply("bank-malformed", "bank.json declares no id", nullptr),
              "bank-malformed\nbank.json declares no id");
    EXPECT_EQ(encodeRuntimeBankReply(nullptr, "", nullptr), "missing\n");
    EXPECT_EQ(encodeRuntimeBankReply("", "x", nullptr), "missing\nx");
}

TEST(RuntimeBankReply, ListsInstrumentPositioningsAndPresets) {
    StagedBank bank;
    bank.instrumentId = "keys";
    bank.instrumentName = "Keys";
    bank.instrumentKind = "instruments";
    bank.positionings = {{"keys", "Keys", "instruments"}, {"kit", "Kit", "kits"}};
    bank.presets = {{"bright", "Bright", "keys", {{"glue.ratio", 4.0}, {"mix", 0.1}}},
                    {"plain", "Plain", "", {{"out.level", -0.5}}}};
    EXPECT_EQ(encodeRuntimeBankReply("ok", "", &bank),
              "ok\n"
              "\n"
              "keys\tKeys\tinstruments\n"
              "keys\tKeys\tinstruments\n"
              "kit\tKit\tkits\n"
              "\x01"
              "bright\tBright\tkeys\tglue.ratio=4\x1Fmix=0.10000000000000001\n"
              "\x01"
              "plain\tPlain\t\tout.level=-0.5");
}

TEST(RuntimeBankReply, BankTextsCannotForgeLinesOrFields) {
    StagedBank bank;
    bank.instrumentId = "a\tb";
    bank.instrumentName = "line\nbreak";
    bank.instrumentKind = "instruments";
    bank.presets = {{"p\x01", "n\x1F", "i\r", {{"x=\n", 1.0}}}};
    EXPECT_EQ(encodeRuntimeBankReply("ok", "two\nlines", &bank),
              "ok\ntwo lines\na b\tline break\tinstruments\n\x01p \tn \ti \tx= =1");
}

TEST(RuntimeBankReply, ALoadedRichPackReadsBackLineByLine) {
    fixtures::TempFolder folder;
    fixtures::richPack().writeTo(folder.path());
    RuntimeBankLoad load = loadRuntimeBank(folder.path(), 0, "kit");
    ASSERT_EQ(load.outcome, RuntimeBankOutcome::ok) << load.error;
    std::string reply = encodeRuntimeBankReply(runtimeBankOutcomeName(load.outcome), load.error, &load.bank);
    EXPECT_EQ(reply,
              "ok\n\nkit\tKit\tkits\nkeys\tKeys\tinstruments\npads\tPads\tinstruments\nkit\tKit\tkits\n"
              "\x01"
              "bright\tBright\tkeys\tglue.ratio=4\x1Fmix=0.5");
}

TEST(RuntimeBankOutcomeNames, EveryValueAndOutOfRange) {
    const char* names[] = {"ok",
                           "bank-missing",
                           "bank-hash-mismatch",
                           "bank-malformed",
                           "bank-unsupported-codec",
                           "bank-too-large",
                           "bank-instrument-unknown"};
    for (uint32_t value = 0; value < 7; ++value)
        EXPECT_STREQ(runtimeBankOutcomeName(static_cast<RuntimeBankOutcome>(value)), names[value]);
    EXPECT_STREQ(runtimeBankOutcomeName(static_cast<RuntimeBankOutcome>(7)), "bank-missing");
    EXPECT_STREQ(runtimeBankOutcomeName(static_cast<RuntimeBankOutcome>(0xFFFFFFFF)), "bank-missing");
}

} // namespace
} // namespace vanto
