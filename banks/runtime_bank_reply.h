// The processor's answer to a bank load request, as the controller reads it: line-based text.
#pragma once

#include "banks/staged_bank.h"

#include <string>

namespace vanto {

// Separators inside the reply text.
inline constexpr char kReplyLineSeparator = '\n';
inline constexpr char kReplyFieldSeparator = '\t';
inline constexpr char kReplyPresetMarker = '\x01';
inline constexpr char kReplyParamSeparator = '\x1F';

// Line 1 the outcome name ("missing" when none is given), line 2 the message; with a bank, then the
// instrument line (id, name, list), one line per positioning (id, name, kind) and one line per preset
// (marker, id, name, instrument, then "path=value" pairs). Fields are tab-separated; any separator
// byte inside a field is replaced by a space so that bank texts cannot forge lines or fields.
std::string encodeRuntimeBankReply(const char* outcomeName, const std::string& message,
                                   const StagedBank* bank);

} // namespace vanto
