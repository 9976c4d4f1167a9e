// Writing the fixed-size text fields of diagnostic records as JSON strings. A field is read only up
// to its size, so a record that arrived without a terminator cannot make a writer run past it.
#pragma once

#include "encoding/json_writer.h"

#include <cstddef>
#include <cstring>
#include <string>

namespace vanto {

template <std::size_t N> void jsonAppendTextField(std::string& out, const char (&field)[N]) {
    jsonAppendQuotedBytes(out, field, strnlen(field, N));
}

template <std::size_t N> bool textFieldEmpty(const char (&field)[N]) {
    return field[0] == '\0';
}

} // namespace vanto
