// What a method a host, the peer component or the page calls does with a C++ exception it must not
// let through: it catches everything and hands the exception here, which writes one standard-error
// line naming the method and gives the result the host gets instead. Call it only inside a catch
// handler.
#pragma once

#include "pluginterfaces/base/funknown.h"

namespace vanto {

Steinberg::tresult hostCallFailed(const char* method) noexcept;

} // namespace vanto
