// The groove picture's model: the low-band ducking envelope over one bar, worked out the way the
// kernel's process loop works it out for a kick on every division (the built-in test pulse).
//
// Per hit the envelope holds full depth from the hit through the hold (plus the swing delay on every
// other hit), then recovers along the feel's release curve; a kick that arrives while the previous hold
// still runs restarts the hold instead of starting a hit. The tempo adaptation follows the median of
// the newest hit intervals, and the low band follows the envelope through the kernel's 20 ms smoothing.
// What the picture cannot know is the sound itself: how hard each hit is detected (depth is shown as
// a fraction of the depth budget, every hit as deep as a fully captured one), how far into a kick the
// detector fires (a few milliseconds) and whether a long kick or another sound sets the lane off again
// once the retrigger time has passed. The attack time only widens the window in which a hit's
// strength is captured, so it is marked rather than drawn as a ramp.
import { TIMING } from './kernel-facts.js';
import { recoveryBlendFor, recoveryBlended } from './recovery-curve.js';
import { paramByPath } from './param-table.js';

const f32 = Math.fround;

// A parameter's plain value as the kernel reads it: clamped to the row's range, stepped rows rounded
// with halves upwards.
function kernelValue(values, path) {
  const row = paramByPath(path);
  const raw = Number.isFinite(values[path]) ? values[path] : row.defaultPlain;
  const clamped = Math.min(Math.max(raw, row.min), row.max);
  return row.step !== 0 && path !== 'sync.bpm' ? Math.floor(clamped + 0.5) : clamped;
}

// Feel 1 morphs with the Dovrel macro through feels 0, 1, 2 and 4; the others are fixed.
export function feelFor(index, macro) {
  if (index !== 1) {
    return { release: TIMING.feelRelease[index], hold: TIMING.feelHold[index], shape: TIMING.feelShape[index] };
  }
  const p = 3 * Math.min(Math.max(macro, 0), 1);
  const i = Math.min(Math.max(Math.floor(p), 0), 2);
  const t = p - i;
  const [a, b] = [[0, 1], [1, 2], [2, 4]][i];
  const blend = (table) => table[a] + t * (table[b] - table[a]);
  return { release: blend(TIMING.feelRelease), hold: blend(TIMING.feelHold), shape: blend(TIMING.feelShape) };
}

// Depth budget in dB from the Space macro and the maximum reduction: a soft knee of a few dB first.
export function depthBudgetDb(space, maxReduction) {
  const knee = Math.min(maxReduction, TIMING.spaceKneeDb);
  return space <= 0.5 ? 2 * space * knee : knee + 2 * (space - 0.5) * (maxReduction - knee);
}

// The times and amounts the envelope is made of, for plain parameter values keyed by path.
export function grooveTiming(values) {
  const bpm = f32(Math.min(Math.max(kernelValue(values, 'sync.bpm'), TIMING.bpmMin), TIMING.bpmMax));
  const beat = 60 / bpm;
  const divisionBeats = TIMING.divisionBeats[kernelValue(values, 'time.division')];
  const periodSeconds = f32(beat * divisionBeats);
  const feel = feelFor(kernelValue(values, 'time.feel'), kernelValue(values, 'macro.dovrel'));
  const hold = kernelValue(values, 'time.hold');
  const swing = kernelValue(values, 'time.swing');
  const swingAmount = swing < 50 ? 0 : (Math.min(swing, 75) - 50) / 100;
  return {
    bpm,
    beat,
    divisionBeats,
    barSeconds: beat * TIMING.beatsPerBar,
    kickPeriod: beat * divisionBeats,
    periodSeconds,
    holdSeconds: f32(periodSeconds * (hold > 0 ? hold : feel.hold)),
    releaseSeconds: Math.min(Math.max(periodSeconds * feel.release, TIMING.minReleaseSeconds), TIMING.maxReleaseSeconds),
    swingSeconds: f32(beat * 2 * divisionBeats * swingAmount),
    retriggerSeconds: f32(periodSeconds * TIMING.retriggerFraction),
    attackSeconds: f32(Math.max(Math.min(kernelValue(values, 'time.attack'), 30) / 1000, 0.0001)),
    adapt: kernelValue(values, 'time.adapt'),
    shape: feel.shape,
    depthDb: depthBudgetDb(kernelValue(values, 'macro.space'), kernelValue(values, 'budget.maxReduction')),
    lowBandShare: 1 - kernelValue(values, 'macro.glue'),
  };
}

function median(sorted) {
  const n = sorted.length;
  return n % 2 === 1 ? sorted[(n - 1) / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

// The factor by which the newest hit intervals stretch the envelope's times (1 without adaptation).
function adaptationScale(timing, onsets) {
  const period = timing.periodSeconds;
  if (!(period > 0) || onsets.length === 0) return 1;
  const m = median([...onsets].sort((x, y) => x - y));
  const ratio = m / period;
  if (!(m > 0) || ratio < TIMING.adaptRatioMin || ratio > TIMING.adaptRatioMax) return 1;
  return (period * (1 - timing.adapt) + m * timing.adapt) / period;
}

// The kick lane's state between hits, advanced step by step as the kernel advances it frame by frame.
class KickLane {
  constructor(timing) {
    this.timing = timing;
    this.active = false;
    this.elapsed = 0;
    this.swing = 0;
    this.hits = 0;
    this.onsets = [];
    this.blend = recoveryBlendFor(timing.shape);
  }

  // A kick arrives; returns what it did: 'hit', 'restart' (the hold starts over) or 'none'.
  kick(scale) {
    const t = this.timing;
    const holdEnd = t.holdSeconds * scale + this.swing;
    if (this.active && this.elapsed < t.retriggerSeconds * scale) return 'none';
    if (this.active && this.elapsed < holdEnd) {
      this.elapsed = 0;
      return 'restart';
    }
    this.onsets = [this.elapsed, ...this.onsets].slice(0, TIMING.onsetHistory);
    this.hits += 1;
    this.active = true;
    this.elapsed = 0;
    this.swing = this.hits % 2 === 1 ? t.swingSeconds * scale : 0;
    return 'hit';
  }

  // The duck of this step as a fraction of the hit's depth, then time moves on by dt.
  advance(scale, dt) {
    if (!this.active) return 0;
    const holdEnd = this.timing.holdSeconds * scale + this.swing;
    const release = this.timing.releaseSeconds * scale;
    let duck = 0;
    if (this.elapsed < holdEnd) {
      duck = 1;
    } else if (release > 0) {
      const progress = (this.elapsed - holdEnd) / release;
      duck = progress >= 1 ? 0 : 1 - recoveryBlended(this.blend, progress);
    }
    this.elapsed += dt;
    return duck;
  }
}

// The envelope over the bar after `warmupBars` bars of kicks from a reset, sampled `pointsPerSecond`
// times a second. `reduction` holds the smoothed duck as a fraction of full depth (0 … 1); `hits` the
// kick times within the bar (seconds from its start) with what each did and whether its hold is swung.
export function grooveEnvelope(values, { warmupBars = 2, pointsPerSecond = 4000 } = {}) {
  const timing = grooveTiming(values);
  const dt = 1 / pointsPerSecond;
  const smoothing = Math.exp(-dt / TIMING.smoothSeconds);
  const barStart = warmupBars * timing.barSeconds;
  const steps = Math.round((warmupBars + 1) * timing.barSeconds * pointsPerSecond);
  const firstRecorded = Math.round(barStart * pointsPerSecond);
  const reduction = new Float64Array(steps - firstRecorded);
  const hits = [];
  const lane = new KickLane(timing);
  let nextKick = 0;
  let smoothed = 0;
  for (let n = 0; n < steps; n += 1) {
    const t = n * dt;
    const scale = adaptationScale(timing, lane.onsets);
    while (t + dt / 2 >= nextKick * timing.kickPeriod) {
      const did = lane.kick(scale);
      const at = nextKick * timing.kickPeriod - barStart;
      if (at >= 0 && at < timing.barSeconds) hits.push({ time: at, did, swung: did !== 'none' && lane.swing > 0 });
      nextKick += 1;
    }
    const duck = lane.advance(scale, dt);
    smoothed = duck + (smoothed - duck) * smoothing;
    if (n >= firstRecorded) reduction[n - firstRecorded] = smoothed;
  }
  return { timing, pointsPerSecond, reduction, hits };
}
