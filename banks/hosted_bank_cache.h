// Where hosted banks live once downloaded: a per-user cache with one folder per pinned digest. The
// processor finds a hosted bank named by a restored state here without any network code.
#pragma once

#include <string>

namespace vanto {

// "<user data folder>/Vanto/banks", created when missing; empty when it cannot be had.
std::string hostedBankCacheRoot();

// True for 64 hex digits. A pin names a cache folder, so anything else (a "/" or "..") must never be
// joined to the cache root: check it before building a path from a pin that came from a document.
bool isHostedBankPin(const std::string& sha256);

} // namespace vanto
