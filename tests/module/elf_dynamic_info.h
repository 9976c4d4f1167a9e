// What a 64-bit ELF shared library offers and needs from the dynamic loader, read from the file:
// the symbols it defines for other modules and the libraries it names as needed.
#pragma once

#include <optional>
#include <set>
#include <string>

namespace vanto::test {

struct ElfDynamicInfo {
    std::set<std::string> definedSymbols;  // global and weak dynamic symbols with a definition
    std::set<std::string> neededLibraries; // DT_NEEDED entries
};

// Nothing when the file cannot be read or is not a well-formed 64-bit ELF file.
std::optional<ElfDynamicInfo> readElfDynamicInfo(const std::string& path);

} // namespace vanto::test
