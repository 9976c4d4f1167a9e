// Running a helper program to completion and collecting what it printed. Each platform supplies this
// in its own file. Call it from a thread that may block; never from the audio thread.
#pragma once

#include <stop_token>
#include <string>
#include <vector>

namespace vanto {

struct HelperProcessResult {
    bool started = false; // false: the program could not be run at all
    int exitCode = -1;    // -1 when it ended through a signal
    std::string output;   // standard output and standard error together, at most kHelperOutputLimit bytes
};

inline constexpr size_t kHelperOutputLimit = 4096;

// How long a helper asked to stop may take to end before it is killed.
inline constexpr int kHelperStopGraceMilliseconds = 500;

// Runs `program` with `arguments` (no shell: each argument reaches it as it is), with no input, no
// descriptors of this process besides its output, and waits for it to end. A stop requested through
// `stop` (from any thread) ends the run early: the program is asked to end, killed when it has not
// within kHelperStopGraceMilliseconds, and waited for, so that no process is left behind; a stop
// requested before the start means the program is not started.
HelperProcessResult runHelperProcess(const std::string& program, const std::vector<std::string>& arguments,
                                     std::stop_token stop = {});

} // namespace vanto
