// Checks documents with an independent JSON implementation (Python's json module in strict mode:
// UTF-8 only, no NaN or Infinity, no raw control characters in strings), so writer tests do not
// validate our output with our own reader.
#pragma once

#include <string>
#include <vector>

namespace vanto::test {

// One entry per document, in order: empty when the document is one valid strict JSON text,
// otherwise the checker's complaint. All documents are checked by one run of the checker.
std::vector<std::string> strictJsonErrors(const std::vector<std::string>& documents);

// The same for a single document.
std::string strictJsonError(const std::string& document);

} // namespace vanto::test
