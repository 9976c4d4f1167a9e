// Numbers with 17 significant digits, the printf "%.17g" form, for texts whose readers expect it
// (bank preset values in the processor's bank reply and in the page's bank state).
#pragma once

#include <string>

namespace vanto {

// Appends `value` as "%.17g" would in the "C" locale, whatever the process locale.
void appendDecimal17g(std::string& out, double value);

} // namespace vanto
