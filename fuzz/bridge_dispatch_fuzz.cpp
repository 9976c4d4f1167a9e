// The whole dispatch of page messages into a real edit controller: the input holds a few messages,
// delivered in order with the controller's cadence timer fired after each, as a page and a host run
// loop would. Every message the controller sends back to the page must be strict JSON. Hosted banks
// are cached in a private folder, and no bank fetch helper lies beside this program, so nothing is
// ever downloaded.
#include "fuzz_sections.h"
#include "page_messages_check.h"

#include "banks/temp_folder.h"
#include "controller_fixture.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

constexpr std::size_t kMaxMessages = 8;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static const vanto::fixtures::TempFolder dataHome;
    setenv("XDG_DATA_HOME", dataHome.path().c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    vanto::test::ControllerUnderTest controller("Fuzz Host", true);
    controller.openPage();
    for (const std::string& message : vanto::fuzz::splitSections(data, size, kMaxMessages)) {
        controller->handleBridgeMessage(message.data(), message.size());
        controller.host.fireTimers();
    }
    vanto::fuzz::checkPageMessages(controller.page);
    return 0;
}
