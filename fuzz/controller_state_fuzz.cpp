// The controller's own state through its setState and getState, as a host restores and saves it: a
// text the state reader refuses is refused, an accepted one is saved as strict JSON that restores to
// the very same saved text (see checkTextRoundTrip for the texts the writer normalises), and every
// message the restores send to the page is strict JSON.
#include "document_round_trip.h"
#include "fuzz_check.h"
#include "page_messages_check.h"
#include "strict_json_check.h"

#include "controller_fixture.h"

#include "processor/state_chunk.h"
#include "processor/state_json_reader.h"
#include "public.sdk/source/common/memorystream.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace {

using Steinberg::IPtr;
using Steinberg::kResultOk;
using Steinberg::MemoryStream;

IPtr<MemoryStream> streamHolding(const void* bytes, std::size_t size) {
    IPtr<MemoryStream> stream = Steinberg::owned(new MemoryStream());
    stream->write(const_cast<void*>(bytes), static_cast<Steinberg::int32>(size), nullptr);
    stream->seek(0, Steinberg::IBStream::kIBSeekSet, nullptr);
    return stream;
}

std::string savedState(vanto::VantoController& controller) {
    IPtr<MemoryStream> stream = Steinberg::owned(new MemoryStream());
    FUZZ_CHECK(controller.getState(stream) == kResultOk);
    return std::string(stream->getData(), static_cast<std::size_t>(stream->getSize()));
}

bool readerAccepts(const uint8_t* data, std::size_t size) {
    auto state = std::make_unique<vanto::StateChunk>();
    return size == 0 || vanto::parseStateJson(reinterpret_cast<const char*>(data), size, *state);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    vanto::test::ControllerUnderTest controller;
    controller.openPage();
    const bool restored = controller->setState(streamHolding(data, size)) == kResultOk;
    FUZZ_CHECK(restored == readerAccepts(data, size));
    vanto::fuzz::checkTextRoundTrip(savedState(*controller), vanto::fuzz::isValidUtf8(input),
                                    [&](const std::string& text, std::string& saved) {
                                        if (controller->setState(streamHolding(text.data(), text.size())) !=
                                            kResultOk) {
                                            return false;
                                        }
                                        saved = savedState(*controller);
                                        return true;
                                    });
    vanto::fuzz::checkPageMessages(controller.page);
    return 0;
}
