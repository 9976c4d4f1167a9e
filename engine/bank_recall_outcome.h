// What became of the sample bank a restored state named.
#pragma once

#include <cstdint>

namespace vanto {

enum class BankRecallOutcome : uint32_t {
    ok = 0,           // the state named no bank
    missing = 2,      // the named bank is not available in this build
    hashMismatch = 3, // the named bank is compiled in, but with a different manifest digest
};

} // namespace vanto
