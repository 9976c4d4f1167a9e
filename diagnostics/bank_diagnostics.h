// The diagnostic records of sample-bank failures: a bank load refused at run time, and a state
// recall that names a bank this build cannot provide. The caller maps its bank outcome onto
// `digestMismatch`, since the outcome types belong to the bank loader.
#pragma once

#include "diagnostics/runtime_diagnostic_ring.h"

#include <cstdint>

namespace vanto {

// Code "bank.hash-mismatch" when `digestMismatch`, else "bank.missing"; error, load phase. The
// message names the refusal reason and the loader's message, the detail is
// {"reason":"<reason>","source":"<source>"} (null texts count as empty).
void recordRuntimeBankRefusal(vanto_runtime_diagnostic_ring& ring, bool digestMismatch, const char* reason,
                              const char* message, const char* source);

// Code "bank.hash-mismatch" when `digestMismatch`, else "bank.missing"; error, state phase. The
// detail is {"bank":"<bankId>","banks":<compiledBankCount>}.
void recordBankRecallRefusal(vanto_runtime_diagnostic_ring& ring, bool digestMismatch, const char* bankId,
                             uint32_t compiledBankCount);

} // namespace vanto
