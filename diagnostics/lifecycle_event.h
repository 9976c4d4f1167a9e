// One entry of the lifecycle log: what happened, when, and up to six named detail values. A plain
// fixed-size record, so recording never allocates and the log is one block of memory.
#pragma once

#include "diagnostics/lifecycle_kind.h"

#include <cstdint>

namespace vanto {

inline constexpr uint32_t kLifecycleMaxFields = 6;

enum LifecycleFieldType : uint8_t {
    kLifecycleFieldNull = 0,
    kLifecycleFieldNumber = 1,
    kLifecycleFieldString = 2,
    kLifecycleFieldBool = 3,
};

struct DiagnosticLifecycleField {
    char name[24] = {};
    uint8_t type = kLifecycleFieldNull; // LifecycleFieldType
    double number = 0.0;
    uint8_t boolean = 0;
    char text[64] = {};
};

struct DiagnosticLifecycleEvent {
    uint32_t seq = 0;                 // 1, 2, 3 … in recording order
    double timeMs = 0.0;              // since the log was created
    int64_t atFrame = -1;             // sample position the event refers to; -1 none
    uint8_t kind = kLifecycleCreated; // DiagnosticLifecycleKind
    DiagnosticLifecycleField fields[kLifecycleMaxFields] = {};
    uint32_t fieldCount = 0;

    // Each appends one detail field; ignored once six are present. Names are cut to 23 bytes and
    // texts to 63; a null name or text is stored empty.
    void addNumber(const char* name, double value);
    void addString(const char* name, const char* text);
    void addBool(const char* name, bool value);
    void addNull(const char* name);

  private:
    DiagnosticLifecycleField* appendField(const char* name, LifecycleFieldType type);
};

} // namespace vanto
