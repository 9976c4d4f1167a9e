#include "diagnostics/lifecycle_event.h"

#include "diagnostics/diagnostic_text.h"

namespace vanto {

DiagnosticLifecycleField* DiagnosticLifecycleEvent::appendField(const char* name, LifecycleFieldType type) {
    if (fieldCount >= kLifecycleMaxFields) {
        return nullptr;
    }
    DiagnosticLifecycleField& field = fields[fieldCount++];
    field = DiagnosticLifecycleField{};
    copyDiagnosticText(field.name, sizeof field.name, name);
    field.type = type;
    return &field;
}

void DiagnosticLifecycleEvent::addNumber(const char* name, double value) {
    if (DiagnosticLifecycleField* field = appendField(name, kLifecycleFieldNumber)) {
        field->number = value;
    }
}

void DiagnosticLifecycleEvent::addString(const char* name, const char* text) {
    if (DiagnosticLifecycleField* field = appendField(name, kLifecycleFieldString)) {
        copyDiagnosticText(field->text, sizeof field->text, text);
    }
}

void DiagnosticLifecycleEvent::addBool(const char* name, bool value) {
    if (DiagnosticLifecycleField* field = appendField(name, kLifecycleFieldBool)) {
        field->boolean = value ? 1 : 0;
    }
}

void DiagnosticLifecycleEvent::addNull(const char* name) {
    appendField(name, kLifecycleFieldNull);
}

} // namespace vanto
