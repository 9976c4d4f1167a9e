// Moving a state document through a host's IBStream: the stream holds exactly the document's bytes,
// with no header, length or terminator around them.
#pragma once

#include "pluginterfaces/base/ibstream.h"

#include <string>

namespace vanto {

// Appends everything the stream delivers, in reads of 4096 bytes, until a read fails, delivers
// nothing or delivers less than it was asked for. There is no size limit.
void readStateStream(Steinberg::IBStream& stream, std::string& out);

// Writes the whole text with a single write. kResultOk only when the stream took every byte.
Steinberg::tresult writeStateStream(Steinberg::IBStream& stream, const std::string& text);

} // namespace vanto
