// Text-to-double conversion that ignores the process locale. A host may switch the process to a
// locale whose decimal point is a comma; documents always use ".".
#pragma once

namespace vanto {

// Behaves as strtod does in the "C" locale: converts the longest valid prefix of the NUL-terminated
// `text` and sets `*stop` past it (to `text` when nothing converts).
double strtodCLocale(const char* text, char** stop);

} // namespace vanto
