// The processes this test program has started and not yet reaped, read from /proc: for tests that must
// show a helper program was started, or that none is left running (or left unreaped) afterwards.
#pragma once

#include <string>
#include <vector>

namespace vanto::test {

// The names of this process's children, zombies included, as the kernel keeps them (at most 15
// characters).
std::vector<std::string> childProcessNames();

// Waits up to `seconds` for a child named `name` (cut to what the kernel keeps); false when none came.
bool waitForChildProcess(const std::string& name, double seconds);

} // namespace vanto::test

namespace vanto::test {

struct ProcessEntry {
    long pid = 0;
    std::string name;
};

// Every living process below `root` (children, their children and so on), zombies excluded.
std::vector<ProcessEntry> descendantProcesses(long root);

// True while process `pid` exists and is not a zombie.
bool processRunning(long pid);

} // namespace vanto::test
