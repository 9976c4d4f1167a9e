// What the processor reads of a sound pack it is asked for, by the controller or by a restored state.
// This effect's engine takes no bank, so a pack is never staged: its manifest alone, within the
// loader's size limit for pack documents, tells whether the folder holds a usable pack, and no asset is
// read, however large. A missing or malformed pack keeps the outcome and message loading gives it.
#pragma once

#include "banks/staged_bank.h"

#include <string>

namespace vanto {

// The pack at `path` inspected for `instrument` (the first usable one when empty). Safe on any thread
// but the audio thread; never throws.
RuntimeBankLoad readRequestedBank(const std::string& path, const std::string& instrument);

} // namespace vanto
