#include "processor/runtime_bank_request.h"

#include "processor/state_chunk.h"

namespace vanto {

namespace {

// The text up to the next line feed (or the end), consuming the line feed.
std::string takeField(std::string_view& text) {
    const std::size_t end = text.find('\n');
    const std::string field(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    return field;
}

} // namespace

RuntimeBankRequest parseRuntimeBankRequest(std::string_view text) {
    RuntimeBankRequest request;
    request.source = takeField(text);
    request.path = takeField(text);
    request.sha256 = takeField(text);
    request.instrument = takeField(text);
    if (request.source.empty()) {
        request.source = kBankSourceUserFolder;
    }
    return request;
}

} // namespace vanto
