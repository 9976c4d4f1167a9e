/* The meter record of the Dovrel DSP kernel: what one process call of an instance did, gathered from
 * quantities the process loop computes anyway. Reading it never changes the audio. */
#ifndef DOVREL_KERNEL_METERS_H
#define DOVREL_KERNEL_METERS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define DOVREL_KERNEL_METER_LANES 4 /* kick, clap, perc, sustain */
#define DOVREL_KERNEL_METER_BELLS 4

typedef struct dovrel_kernel_meter_record {
    uint32_t frames;                              /* frames the process call rendered */
    uint32_t hitLanes;                            /* bit l: lane l started a hit */
    uint32_t hitFrame[DOVREL_KERNEL_METER_LANES]; /* frame of that hit within the call, else 0 */
    float laneDuckDb[DOVREL_KERNEL_METER_LANES];  /* strongest ducking the lane asked for, dB >= 0 */
    float lowBandGainDb;                          /* deepest gain on the low band, dB (<= 0 ducks) */
    uint32_t activeBells;                         /* bit b: bell b is switched on */
    float bellGainDb[DOVREL_KERNEL_METER_BELLS];  /* each bell's gain at the end of the call, dB */
    float bellHz[DOVREL_KERNEL_METER_BELLS];      /* each bell's centre frequency, Hz */
    float glueReductionDb;                        /* deepest glue gain reduction of either channel, dB */
    float inputPeak[2];                           /* largest input magnitude, per channel */
    float inputMeanSquare[2];                     /* mean of the squared input, per channel */
    float outputPeak[2];
    float outputMeanSquare[2];
} dovrel_kernel_meter_record;

/* Copies the meter record of the instance's last process call: 0, or 1 for an invalid handle or a
 * null record (which is then left alone). */
double dovrel_kernel_read_meters(uint32_t handle, dovrel_kernel_meter_record* record);

#ifdef __cplusplus
}
#endif

#endif
