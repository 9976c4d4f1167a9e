// The CC map document and the page's change notice, written as compact JSON.
#pragma once

#include "ccmap/cc_map.h"

#include <string>

namespace vanto {

// Appends {"version":1,"bindings":[...]}: each binding with its cc and parameter path, and only those
// settings that differ from their defaults. Bindings naming no parameter of the table are left out.
void writeCcMapJson(std::string& out, const CcMap& map);

// Appends {"type":"vanto.ccMapChanged","map":<map document>}.
void writeCcMapChangedJson(std::string& out, const CcMap& map);

} // namespace vanto
