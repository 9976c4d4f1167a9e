// The two names the VST 3 SDK's reference counting takes from C's <stdatomic.h>, for C++ translation
// units, where GCC's C header cannot be used. Only the SDK's funknown.cpp sees this header.
#pragma once

#include <cstdint>

using atomic_int_least32_t = std::int_least32_t;

// Returns the previous value, like C's atomic_fetch_add; the add and the read are one atomic step.
template <typename Integer, typename Delta> inline Integer atomic_fetch_add(Integer* object, Delta delta) {
    return __atomic_fetch_add(object, static_cast<Integer>(delta), __ATOMIC_SEQ_CST);
}
