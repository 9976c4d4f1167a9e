#include "controller/sync_source_text.h"

#include "kernel/effective_tempo.h"

#include <cstring>

namespace vanto {

namespace {

constexpr const char* kManualText = "Manual";
constexpr const char* kHostText = "Host";

} // namespace

bool isSyncSource(const vanto_param_desc& row) {
    return std::strcmp(row.path, "sync.source") == 0;
}

const char* syncSourceText(double normalized) {
    return vanto_param_to_plain(vanto_param_find("sync.source"), normalized) == kSyncSourceHost ? kHostText
                                                                                                : kManualText;
}

bool syncSourceFromText(const char* text, double& normalized) {
    if (std::strcmp(text, kManualText) == 0) {
        normalized = 0.0;
        return true;
    }
    if (std::strcmp(text, kHostText) == 0) {
        normalized = 1.0;
        return true;
    }
    return false;
}

} // namespace vanto
