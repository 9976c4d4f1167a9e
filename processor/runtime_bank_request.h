// The controller's request for a runtime bank: four text fields separated by line feeds.
#pragma once

#include <string>
#include <string_view>

namespace vanto {

struct RuntimeBankRequest {
    std::string source; // "user-folder" when the request leaves it empty
    std::string path;
    std::string sha256;
    std::string instrument;
};

// Splits at the first three line feeds; the last field keeps the rest of the text up to a fourth one.
// Missing line feeds leave the later fields empty.
RuntimeBankRequest parseRuntimeBankRequest(std::string_view text);

} // namespace vanto
