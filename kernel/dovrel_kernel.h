/* The Dovrel DSP kernel's module interface: a pool of up to 256 effect instances addressed by
 * integer handles. Each instance runs at 48000 Hz on blocks of at most 128 frames with two planar
 * input and two planar output channels (channel stride 128). */
#ifndef DOVREL_KERNEL_H
#define DOVREL_KERNEL_H

#include <stdint.h>

#include "dovrel_kernel_meters.h"

#ifdef __cplusplus
extern "C" {
#endif

#define DOVREL_KERNEL_ABI_VERSION 3
#define DOVREL_KERNEL_MAX_INSTANCES 256
#define DOVREL_KERNEL_MAX_FRAMES 128
#define DOVREL_KERNEL_IN_CHANNELS 2
#define DOVREL_KERNEL_OUT_CHANNELS 2
#define DOVREL_KERNEL_MAX_EVENTS 64
#define DOVREL_KERNEL_PARAMETER_COUNT 34
#define DOVREL_KERNEL_EVENT_PARAMETER 1
/* The host's tempo in BPM as the event's value (the parameter argument is ignored); 0 when the host
 * gives none. The timing follows it while "sync.source" is 1 ("Host"). */
#define DOVREL_KERNEL_EVENT_HOST_TEMPO 4

/* Status codes of push_event, process, reset and destroy. */
#define DOVREL_KERNEL_OK 0
#define DOVREL_KERNEL_INVALID_HANDLE 1
#define DOVREL_KERNEL_INVALID_ARGUMENT                                                                       \
    2 /* push_event: frame, kind or parameter; process/reset: processing failed */
#define DOVREL_KERNEL_REJECTED_VALUE 3 /* push_event: non-finite value or queue full */
#define DOVREL_KERNEL_OUT_OF_ORDER 4   /* push_event: frame earlier than the last queued one */

/* Called on a fatal internal error with the message bytes and the address of the failing code.
 * The module refuses every entry after a trap. */
typedef void (*dovrel_kernel_panic_sink)(void* context, const char* message, uint32_t length,
                                         const void* code);

void dovrel_kernel_runtime_init(void);
void dovrel_kernel_set_panic_sink(dovrel_kernel_panic_sink sink, void* context);
double dovrel_kernel_abi_version(void);
double dovrel_kernel_create(uint32_t maxFrames, uint32_t inputChannels, uint32_t outputChannels,
                            double sampleRate);
void dovrel_kernel_input_view(uint32_t handle, float** data, uint32_t* length);
void dovrel_kernel_output_view(uint32_t handle, float** data, uint32_t* length);
double dovrel_kernel_push_event(uint32_t handle, uint32_t kind, uint32_t frame, uint32_t parameter,
                                double value);
double dovrel_kernel_process(uint32_t handle, uint32_t frames);
/* The instance's external side-chain region, laid out like the input region. */
void dovrel_kernel_sidechain_view(uint32_t handle, float** data, uint32_t* length);
/* Like process, with the side-chain region holding an external side-chain for these frames: with
 * "sidechain.source" 0 the detection listens to its mono sum instead of the main input. */
double dovrel_kernel_process_sidechained(uint32_t handle, uint32_t frames);
double dovrel_kernel_reset(uint32_t handle);
double dovrel_kernel_destroy(uint32_t handle);
double dovrel_kernel_collect(void);

#ifdef __cplusplus
}
#endif

#endif
