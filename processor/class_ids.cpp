#include "class_ids.h"

namespace vanto {

const Steinberg::FUID kProcessorUid(0xB9F3B617, 0xB8F3B484, 0xBBF3B93D, 0xBAF3B7AA);
const Steinberg::FUID kControllerUid(0xE8E56881, 0xE7E566EE, 0xE6E5655B, 0xE5E563C8);

} // namespace vanto
