// Collecting helpers the plug-in no longer talks to, without making the host's thread wait for them
// to end: they are waited for on a thread of their own, killed when they outlive a grace period, and
// killed at once when the plug-in is unloaded.
#pragma once

namespace vanto {

// How long a helper may take to end after being told to before it is killed.
inline constexpr int kChildReapGraceMilliseconds = 2000;

// Takes over waiting for child `pid`, which has been told to end. Never blocks.
void reapChildWhenItEnds(int pid);

} // namespace vanto
