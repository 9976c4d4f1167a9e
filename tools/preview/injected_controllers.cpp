#include "injected_controllers.h"

#include <charconv>

namespace vanto::preview {

namespace {

std::optional<int> numberWithin(const std::string& text, int lowest, int highest) {
    int number = 0;
    const char* end = text.data() + text.size();
    const auto [stop, failure] = std::from_chars(text.data(), end, number);
    if (text.empty() || failure != std::errc() || stop != end || number < lowest || number > highest) {
        return std::nullopt;
    }
    return number;
}

} // namespace

std::optional<InjectedController> injectedControllerOf(const std::string& channel, const std::string& cc,
                                                       const std::string& value) {
    const std::optional<int> channelNumber = numberWithin(channel, 1, 16);
    const std::optional<int> controller = numberWithin(cc, 0, 127);
    const std::optional<int> valueNumber = numberWithin(value, 0, 127);
    if (!channelNumber || !controller || !valueNumber) {
        return std::nullopt;
    }
    return InjectedController{*channelNumber, *controller, *valueNumber};
}

} // namespace vanto::preview
