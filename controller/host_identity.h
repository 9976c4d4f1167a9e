// The host application's name as the controller records it: plain ASCII, at most 127 characters.
#pragma once

#include "pluginterfaces/base/funknown.h"

#include <cstddef>

namespace vanto {

// Asks the host context for IHostApplication and copies its name into `name` (`capacity` bytes,
// always terminated; characters outside ASCII become '?'). False, and `name` untouched, when the
// context offers no host application or the name cannot be read.
bool readHostApplicationName(Steinberg::FUnknown* context, char* name, std::size_t capacity);

} // namespace vanto
