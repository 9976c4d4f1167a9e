// Starting a helper program shipped beside the plug-in, without letting anything of the host leak
// into it: posix_spawn (no fork of the host's whole process, no shell), an environment without the
// variables that would change how it loads or draws (LD_*, GTK_*, GIO_*, GST_*), no signal blocked or
// ignored, and no descriptor of the host besides the ones handed over. Each platform supplies this in
// its own file.
#pragma once

#include <string>
#include <vector>

namespace vanto {

// The descriptors a helper starts with. Standard input is always /dev/null.
struct HelperDescriptors {
    int output = -1; // becomes its standard output; -1 keeps the host's
    int error = -1;  // becomes its standard error; -1 keeps the host's
    int passed = -1; // becomes descriptor kHelperPassedDescriptor; -1 for none
};

inline constexpr int kHelperPassedDescriptor = 3;

// The environment a helper gets from `environment` (a null-terminated list of "NAME=value").
std::vector<std::string> helperEnvironment(const char* const* environment);

// Starts `program` with `arguments` and returns its process id, or -1 with the reason in `error`
// (short: it may end up in a lifecycle event).
// The caller waits for it.
int spawnHelperProgram(const std::string& program, const std::vector<std::string>& arguments,
                       const HelperDescriptors& descriptors, std::string& error);

} // namespace vanto
