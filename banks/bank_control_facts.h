// What bank control remembers about the bank it asked for and the bank the processor loaded.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vanto {

// A preset of the loaded bank: the parameters it sets (path and plain value, in bank order) and the
// instrument it is meant for (empty: any).
struct BankControlPreset {
    std::string id;
    std::string name;
    std::string instrument;
    std::vector<std::pair<std::string, double>> params;

    bool operator==(const BankControlPreset&) const = default;
};

// The last bank request sent to the processor.
struct BankRequest {
    std::string source;     // "user-folder", "module-relative" or "hosted"
    std::string locator;    // the folder, or the URL of a hosted bank
    std::string sha256;     // the pinned digest of a hosted bank
    std::string instrument; // the instrument asked for (empty: the bank's first)
};

// What the processor reported about the bank it loaded.
struct LoadedBankFacts {
    std::string instrumentId;
    std::string instrumentName;
    std::string instrumentList;            // "instruments" or "kits"
    std::vector<std::string> positionings; // "id<TAB>name<TAB>list" per instrument or kit
    std::vector<BankControlPreset> presets;
};

} // namespace vanto
