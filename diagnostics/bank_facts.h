// What the editor's preset-state block tells about a compiled-in sample bank. This build compiles
// no bank, so the record always stays in its empty, invalid state; the shape is shared with the
// products that do.
#pragma once

#include <cstdint>

namespace vanto {

struct BankFacts {
    bool valid = false;
    int32_t index = -1;
    char id[128] = {};
    char name[128] = {};
    char kind[64] = {};
    char version[64] = {};
    char sha256[65] = {};
    char source[64] = {};
    char entryId[64] = {};
    // Counts of the bank's contents; -1 = absent.
    int32_t zoneCount = -1;
    int32_t roundRobinGroups = -1;
    int32_t chokeGroups = -1;
    int32_t velocityLayers = -1;
    int32_t padCount = -1;
};

// The number of banks compiled into this build: none.
uint32_t compiledBankCount();

// Resets `facts` to the empty record and fills it from compiled bank `index`; false when there is
// no such bank (always, in this build).
bool describeCompiledBank(uint32_t index, BankFacts& facts);

} // namespace vanto
