#include "diagnostics/bank_facts.h"

namespace vanto {

uint32_t compiledBankCount() {
    return 0;
}

bool describeCompiledBank(uint32_t index, BankFacts& facts) {
    facts = BankFacts{};
    return index < compiledBankCount();
}

} // namespace vanto
