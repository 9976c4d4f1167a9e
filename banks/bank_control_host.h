// What bank control needs from the edit controller: the page sink, parameter edits, and the
// messages to the processor. The controller implements it with a small bridge object.
#pragma once

#include "banks/sampler_pad_overrides.h"

#include <cstdint>
#include <string>

namespace vanto {

class BankControlHost {
  public:
    virtual ~BankControlHost() = default;
    // Sends a document to the editor page (dropped while no editor is attached).
    virtual void sendBankJson(const std::string& json) = 0;
    // Edits parameter `id` to the plain value, as a user edit the host records.
    virtual void editParam(uint32_t id, double plain) = 0;
    // The plain value of parameter `id` (0 for an unknown id).
    virtual double readParam(uint32_t id) = 0;
    // Asks the processor to load a runtime bank; its reply arrives later through the controller. True
    // when the request went out, so that a reply is to come.
    virtual bool requestRuntimeBank(const std::string& source, const std::string& path,
                                    const std::string& sha256, const std::string& instrument) = 0;
    // Hands pad overrides to the processor; true only when the message went out.
    virtual bool applyPadOverrides(const SamplerPadOverrides& overrides) = 0;
    // Lets the user choose a bank folder; false with an error (or an empty error when cancelled).
    virtual bool pickFolder(std::string& path, std::string& error) = 0;
    // Records that a bank preset became the current preset.
    virtual void notePresetSelected(const std::string& id, const std::string& name) = 0;
};

} // namespace vanto
