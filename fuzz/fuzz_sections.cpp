#include "fuzz_sections.h"

#include <string_view>

namespace vanto::fuzz {

std::vector<std::string> splitSections(const uint8_t* data, std::size_t size, std::size_t maxSections) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string_view marker(kSectionMarker);
    std::vector<std::string> sections;
    std::size_t begin = 0;
    while (sections.size() + 1 < maxSections) {
        const std::size_t found = input.find(marker, begin);
        if (found == std::string_view::npos) {
            break;
        }
        sections.emplace_back(input.substr(begin, found - begin));
        begin = found + marker.size();
    }
    sections.emplace_back(input.substr(begin));
    return sections;
}

} // namespace vanto::fuzz
