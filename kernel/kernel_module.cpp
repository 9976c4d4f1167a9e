// The kernel's module interface: a pool of 256 instance slots in module-wide tables, addressed by
// generation-checked handles. Slots are claimed and released with atomic state changes, so instances
// created and destroyed on different threads at once never share a slot or any mutable state.
#include "dovrel_kernel.h"

#include "denormal_guard.h"
#include "kernel_process.h"
#include "kernel_state.h"
#include "param_table.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

namespace {

using vanto::KernelState;

constexpr uint32_t kSlots = DOVREL_KERNEL_MAX_INSTANCES;
constexpr uint32_t kRegion = DOVREL_KERNEL_IN_CHANNELS * DOVREL_KERNEL_MAX_FRAMES;
constexpr uint32_t kEvents = DOVREL_KERNEL_MAX_EVENTS;
// Handles are slot + slots × (generation − 1) + 1 and must stay 32-bit numbers, so generations wrap
// before that sum would.
constexpr uint32_t kMaxGeneration = (UINT32_MAX - kSlots) / kSlots + 1;

enum SlotState : uint8_t { SLOT_FREE = 0, SLOT_CLAIMED = 1, SLOT_ACTIVE = 2 };

struct Event {
    uint32_t frame;
    uint32_t kind;
    uint32_t parameter;
    float value;
};

struct Slot {
    std::unique_ptr<KernelState> state;
    uint32_t maximumBlockSize = 0;
    uint32_t eventCount = 0;
    Event events[kEvents];
};

struct Module {
    std::unique_ptr<float[]> input{new float[kSlots * kRegion]()};
    std::unique_ptr<float[]> output{new float[kSlots * kRegion]()};
    std::unique_ptr<float[]> sidechain{new float[kSlots * kRegion]()};
    std::atomic<uint8_t> slotStates[kSlots]{};
    std::atomic<uint32_t> generations[kSlots]{};
    Slot slots[kSlots];
};

std::unique_ptr<Module> module;
std::atomic<bool> trapped{false};
dovrel_kernel_panic_sink panicSink = nullptr;
void* panicContext = nullptr;
float emptyView[1] = {0};

// A fatal internal error: reported through the sink, after which every entry is refused.
void trap(const char* message) {
    trapped.store(true, std::memory_order_release);
    if (panicSink != nullptr) {
        panicSink(panicContext, message, static_cast<uint32_t>(std::strlen(message)),
                  reinterpret_cast<const void*>(&trap));
    }
}

bool moduleReady() {
    if (trapped.load(std::memory_order_acquire)) {
        trap("kernel entry after a trap");
        return false;
    }
    if (!module) {
        trap("kernel entry before runtime_init");
        return false;
    }
    return true;
}

// The slot a handle names, or -1 when the handle is not a live instance of this generation.
int resolve(uint32_t handle) {
    if (handle == 0 || !moduleReady()) {
        return -1;
    }
    const uint32_t slot = (handle - 1) % kSlots;
    const uint32_t generation = (handle - 1) / kSlots + 1;
    if (module->slotStates[slot].load(std::memory_order_acquire) != SLOT_ACTIVE ||
        module->generations[slot].load(std::memory_order_relaxed) != generation) {
        return -1;
    }
    return static_cast<int>(slot);
}

int claimFreeSlot() {
    for (uint32_t slot = 0; slot < kSlots; ++slot) {
        uint8_t expected = SLOT_FREE;
        if (module->slotStates[slot].compare_exchange_strong(expected, SLOT_CLAIMED,
                                                             std::memory_order_acq_rel)) {
            return static_cast<int>(slot);
        }
    }
    return -1;
}

uint32_t nextGeneration(uint32_t slot) {
    uint32_t generation = module->generations[slot].load(std::memory_order_relaxed) + 1;
    if (generation > kMaxGeneration) {
        generation = 1;
    }
    module->generations[slot].store(generation, std::memory_order_relaxed);
    return generation;
}

bool applyDefaults(KernelState& state) {
    for (uint32_t id = 0; id < DOVREL_KERNEL_PARAMETER_COUNT; ++id) {
        if (!vanto::setParameterById(state, id, VANTO_PARAMS[id].defaultPlain)) {
            return false;
        }
    }
    return true;
}

void clearRegions(uint32_t slot) {
    std::memset(module->input.get() + slot * kRegion, 0, kRegion * sizeof(float));
    std::memset(module->output.get() + slot * kRegion, 0, kRegion * sizeof(float));
    std::memset(module->sidechain.get() + slot * kRegion, 0, kRegion * sizeof(float));
}

bool runSubBlock(uint32_t slot, uint32_t offset, uint32_t length, bool sidechained) {
    const vanto::KernelBlock block{DOVREL_KERNEL_MAX_FRAMES,
                                   static_cast<double>(length),
                                   static_cast<double>(offset),
                                   module->input.get() + slot * kRegion,
                                   kRegion,
                                   DOVREL_KERNEL_IN_CHANNELS,
                                   module->output.get() + slot * kRegion,
                                   kRegion,
                                   DOVREL_KERNEL_OUT_CHANNELS,
                                   sidechained ? module->sidechain.get() + slot * kRegion : nullptr,
                                   sidechained ? static_cast<double>(kRegion) : 0.0};
    return vanto::processBlock(*module->slots[slot].state, block);
}

bool applyEvent(KernelState& state, const Event& event) {
    if (event.kind == DOVREL_KERNEL_EVENT_HOST_TEMPO) {
        return vanto::setHostTempo(state, event.value);
    }
    return vanto::setParameterById(state, event.parameter, event.value);
}

double processSlot(uint32_t handle, uint32_t frames, bool sidechained) {
    const int slot = resolve(handle);
    if (slot < 0) {
        return DOVREL_KERNEL_INVALID_HANDLE;
    }
    Slot& record = module->slots[slot];
    if (frames > record.maximumBlockSize) {
        return DOVREL_KERNEL_INVALID_HANDLE;
    }
    const vanto::DenormalGuard denormals;
    vanto::beginMeterRecord(record.state->meter);
    const auto index = static_cast<uint32_t>(slot);
    uint32_t position = 0;
    for (uint32_t j = 0; j < record.eventCount; ++j) {
        const Event& event = record.events[j];
        if (event.frame >= frames) {
            break; // this and every later event fall outside the block and are dropped
        }
        if (event.frame > position && !runSubBlock(index, position, event.frame - position, sidechained)) {
            return DOVREL_KERNEL_INVALID_ARGUMENT;
        }
        if (!applyEvent(*record.state, event)) {
            return DOVREL_KERNEL_INVALID_ARGUMENT;
        }
        position = event.frame;
    }
    if (position < frames && !runSubBlock(index, position, frames - position, sidechained)) {
        return DOVREL_KERNEL_INVALID_ARGUMENT;
    }
    vanto::finishMeterRecord(record.state->meter, *record.state, frames);
    record.eventCount = 0;
    return DOVREL_KERNEL_OK;
}

double createInSlot(uint32_t slot, uint32_t maxFrames, double sampleRate) {
    const uint32_t generation = nextGeneration(slot);
    Slot& record = module->slots[slot];
    record.state = std::make_unique<KernelState>();
    vanto::createState(*record.state);
    const vanto::KernelPrepareRecord prepare{2, static_cast<double>(maxFrames), 2,
                                             static_cast<double>(static_cast<float>(sampleRate))};
    if (!vanto::prepare(*record.state, prepare)) {
        return 0;
    }
    record.maximumBlockSize = maxFrames;
    record.eventCount = 0;
    if (!applyDefaults(*record.state)) {
        record.maximumBlockSize = 0;
        return 0;
    }
    clearRegions(slot);
    return slot + kSlots * static_cast<double>(generation - 1) + 1;
}

void view(const float* base, uint32_t handle, float** data, uint32_t* length) {
    const int slot = resolve(handle);
    if (data != nullptr) {
        *data = slot < 0 ? emptyView : const_cast<float*>(base) + slot * kRegion;
    }
    if (length != nullptr) {
        *length = slot < 0 ? 0 : kRegion;
    }
}

} // namespace

extern "C" {

void dovrel_kernel_runtime_init(void) {
    if (trapped.load(std::memory_order_acquire)) {
        trap("kernel entry after a trap");
        return;
    }
    module.reset();
    try {
        module = std::make_unique<Module>();
    } catch (const std::bad_alloc&) {
        trap("kernel runtime could not allocate its instance tables");
    }
}

void dovrel_kernel_set_panic_sink(dovrel_kernel_panic_sink sink, void* context) {
    panicSink = sink;
    panicContext = context;
}

double dovrel_kernel_abi_version(void) {
    return DOVREL_KERNEL_ABI_VERSION;
}

double dovrel_kernel_create(uint32_t maxFrames, uint32_t inputChannels, uint32_t outputChannels,
                            double sampleRate) {
    if (!moduleReady()) {
        return 0;
    }
    if (!(sampleRate > 0) || !std::isfinite(sampleRate) || maxFrames == 0 ||
        maxFrames > DOVREL_KERNEL_MAX_FRAMES || inputChannels != DOVREL_KERNEL_IN_CHANNELS ||
        outputChannels != DOVREL_KERNEL_OUT_CHANNELS) {
        return 0;
    }
    const int slot = claimFreeSlot();
    if (slot < 0) {
        return 0;
    }
    double handle = 0;
    try {
        handle = createInSlot(static_cast<uint32_t>(slot), maxFrames, sampleRate);
    } catch (const std::bad_alloc&) {
        handle = 0;
    }
    module->slotStates[slot].store(handle != 0 ? SLOT_ACTIVE : SLOT_FREE, std::memory_order_release);
    return handle;
}

void dovrel_kernel_input_view(uint32_t handle, float** data, uint32_t* length) {
    view(module ? module->input.get() : nullptr, handle, data, length);
}

void dovrel_kernel_output_view(uint32_t handle, float** data, uint32_t* length) {
    view(module ? module->output.get() : nullptr, handle, data, length);
}

double dovrel_kernel_push_event(uint32_t handle, uint32_t kind, uint32_t frame, uint32_t parameter,
                                double value) {
    const int slot = resolve(handle);
    if (slot < 0) {
        return DOVREL_KERNEL_INVALID_HANDLE;
    }
    Slot& record = module->slots[slot];
    const bool knownKind = kind == DOVREL_KERNEL_EVENT_PARAMETER || kind == DOVREL_KERNEL_EVENT_HOST_TEMPO;
    if (frame >= record.maximumBlockSize || !knownKind ||
        (kind == DOVREL_KERNEL_EVENT_PARAMETER && parameter >= DOVREL_KERNEL_PARAMETER_COUNT)) {
        return DOVREL_KERNEL_INVALID_ARGUMENT;
    }
    if (!std::isfinite(value) || (kind == DOVREL_KERNEL_EVENT_HOST_TEMPO && value < 0) ||
        record.eventCount >= kEvents) {
        return DOVREL_KERNEL_REJECTED_VALUE;
    }
    if (record.eventCount > 0 && frame < record.events[record.eventCount - 1].frame) {
        return DOVREL_KERNEL_OUT_OF_ORDER;
    }
    record.events[record.eventCount++] = {frame, kind, parameter, static_cast<float>(value)};
    return DOVREL_KERNEL_OK;
}

double dovrel_kernel_process(uint32_t handle, uint32_t frames) {
    return processSlot(handle, frames, false);
}

void dovrel_kernel_sidechain_view(uint32_t handle, float** data, uint32_t* length) {
    view(module ? module->sidechain.get() : nullptr, handle, data, length);
}

double dovrel_kernel_process_sidechained(uint32_t handle, uint32_t frames) {
    return processSlot(handle, frames, true);
}

double dovrel_kernel_reset(uint32_t handle) {
    const int slot = resolve(handle);
    if (slot < 0) {
        return DOVREL_KERNEL_INVALID_HANDLE;
    }
    Slot& record = module->slots[slot];
    vanto::resetInstance(*record.state);
    if (!applyDefaults(*record.state)) {
        return DOVREL_KERNEL_INVALID_ARGUMENT;
    }
    record.eventCount = 0;
    clearRegions(static_cast<uint32_t>(slot));
    return DOVREL_KERNEL_OK;
}

double dovrel_kernel_destroy(uint32_t handle) {
    const int slot = resolve(handle);
    if (slot < 0) {
        return DOVREL_KERNEL_INVALID_HANDLE;
    }
    Slot& record = module->slots[slot];
    record.maximumBlockSize = 0;
    record.eventCount = 0;
    module->slotStates[slot].store(SLOT_FREE, std::memory_order_release);
    return DOVREL_KERNEL_OK;
}

double dovrel_kernel_read_meters(uint32_t handle, dovrel_kernel_meter_record* record) {
    const int slot = resolve(handle);
    if (slot < 0 || record == nullptr) {
        return DOVREL_KERNEL_INVALID_HANDLE;
    }
    *record = module->slots[slot].state->meter.record;
    return DOVREL_KERNEL_OK;
}

double dovrel_kernel_collect(void) {
    return 0;
}

} // extern "C"
