#include "processor/requested_bank_read.h"

#include "banks/runtime_bank_loader.h"

#include <new>

namespace vanto {

RuntimeBankLoad readRequestedBank(const std::string& path, const std::string& instrument) {
    RuntimeBankLoad load;
    // An empty path would name the host's working folder; a request without a folder names no bank.
    if (path.empty()) {
        load.error = "no bank folder was named";
        return load;
    }
    try {
        return inspectRuntimeBank(path, instrument);
    } catch (const std::bad_alloc&) {
        load.outcome = RuntimeBankOutcome::bankTooLarge;
        load.error = "not enough memory to read the bank's manifest";
    }
    return load;
}

} // namespace vanto
