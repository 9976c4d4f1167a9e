#include "page_messages_check.h"

#include "fuzz_check.h"
#include "strict_json_check.h"

#include <cstdio>

namespace vanto::fuzz {

void checkPageMessages(const std::vector<std::string>& page) {
    for (const std::string& message : page) {
        if (!isStrictJson(message)) {
            std::fprintf(stderr, "page message is not strict JSON: %s\n", message.c_str());
        }
        FUZZ_CHECK(isStrictJson(message));
    }
}

} // namespace vanto::fuzz
