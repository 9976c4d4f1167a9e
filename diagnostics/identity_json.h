// The identity block of the editor's hello: which plug-in, which build, which editor bundle, the
// fixed rate policy, the state limits and the ports.
#pragma once

#include "diagnostics/diagnostic_target.h"

#include <string>

namespace vanto {

// Build facts of the editor's UI bundle (read from its manifest by the editor side); null or empty
// texts are left out.
struct DiagnosticUiBuild {
    const char* buildTime = nullptr;
    const char* sourceRevision = nullptr;
    const char* sha256 = nullptr;
};

// {"moduleId":"music.vanto.dovrel",…,"target":…,…[,"ui":{…}],"ratePolicy":…,"state":…,"ports":[…]}
// with "ui" only when at least one of the UI build texts is non-empty.
void writeDiagnosticIdentityJson(std::string& out, DiagnosticTarget target, const DiagnosticUiBuild& ui = {});

} // namespace vanto
