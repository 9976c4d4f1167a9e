#include "banks/staged_bank.h"

namespace vanto {

const char* runtimeBankOutcomeName(RuntimeBankOutcome outcome) {
    switch (outcome) {
    case RuntimeBankOutcome::ok:
        return "ok";
    case RuntimeBankOutcome::bankHashMismatch:
        return "bank-hash-mismatch";
    case RuntimeBankOutcome::bankMalformed:
        return "bank-malformed";
    case RuntimeBankOutcome::bankUnsupportedCodec:
        return "bank-unsupported-codec";
    case RuntimeBankOutcome::bankTooLarge:
        return "bank-too-large";
    case RuntimeBankOutcome::bankInstrumentUnknown:
        return "bank-instrument-unknown";
    case RuntimeBankOutcome::bankMissing:
        break;
    }
    return "bank-missing";
}

} // namespace vanto
