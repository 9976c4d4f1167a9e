#include "banks/split_fields.h"

namespace vanto {

std::vector<std::string> splitFields(const std::string& text, std::size_t maxFields) {
    std::vector<std::string> fields;
    std::size_t begin = 0;
    while (fields.size() + 1 < maxFields) {
        std::size_t tab = text.find('\t', begin);
        if (tab == std::string::npos)
            break;
        fields.push_back(text.substr(begin, tab - begin));
        begin = tab + 1;
    }
    fields.push_back(text.substr(begin));
    return fields;
}

} // namespace vanto
