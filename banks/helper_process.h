// Running a helper program to completion and collecting what it printed. Each platform supplies this
// in its own file. Call it from a thread that may block; never from the audio thread.
#pragma once

#include <string>
#include <vector>

namespace vanto {

struct HelperProcessResult {
    bool started = false; // false: the program could not be run at all
    int exitCode = -1;    // -1 when it ended through a signal
    std::string output;   // standard output and standard error together, at most kHelperOutputLimit bytes
};

inline constexpr size_t kHelperOutputLimit = 4096;

// Runs `program` with `arguments` (no shell: each argument reaches it as it is), with no input, no
// descriptors of this process besides its output, and waits for it to end.
HelperProcessResult runHelperProcess(const std::string& program, const std::vector<std::string>& arguments);

} // namespace vanto
