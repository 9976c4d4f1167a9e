// The groove picture's model held against the kernel: its timing quantities against the kernel's own
// worked examples, and its envelope against the kernel's low-band gain reduction rendered from the
// test pulse (DOVREL_KERNEL_ENVELOPES, written by dovrel-kernel-envelopes).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import { describe, it } from 'node:test';
import { importPage } from '../page-modules.mjs';

const { grooveEnvelope, grooveTiming, depthBudgetDb, feelFor } = await importPage('groove-model.js');

const close = (actual, expected, tolerance, what) =>
  assert.ok(Math.abs(actual - expected) <= tolerance, `${what}: ${actual} is not within ${tolerance} of ${expected}`);

describe('groove timing', () => {
  it('derives the kernel’s times at the defaults (120 BPM, 1/8, feel morphing at Dovrel 0.4)', () => {
    const t = grooveTiming({});
    close(t.periodSeconds, 0.25, 1e-9, 'period');
    close(t.retriggerSeconds, 0.1125, 1e-7, 'retrigger');
    close(t.releaseSeconds, 0.25 * 0.644, 1e-6, 'release');
    close(t.holdSeconds, 0.25 * 0.06, 1e-6, 'hold');
    close(t.shape, 1.09, 1e-6, 'shape');
  });

  it('swings by twice the division times the swing above 50 %', () => {
    close(grooveTiming({ 'time.swing': 58 }).swingSeconds, 0.04, 1e-7, 'swing 58');
    assert.equal(grooveTiming({ 'time.swing': 50 }).swingSeconds, 0);
  });

  it('takes the hold from the Hold control when it is above 0, else from the feel', () => {
    close(grooveTiming({ 'time.hold': 0.3 }).holdSeconds, 0.075, 1e-7, 'hold 0.3');
    close(grooveTiming({ 'time.feel': 4 }).holdSeconds, 0.25 * 0.12, 1e-7, 'breathe');
  });

  it('keeps the release between 30 ms and 1.2 s', () => {
    close(grooveTiming({ 'time.division': 0, 'sync.bpm': 240, 'time.feel': 0 }).releaseSeconds, 0.03, 1e-12, 'shortest');
    close(grooveTiming({ 'time.division': 13, 'sync.bpm': 40, 'time.feel': 4 }).releaseSeconds, 1.2, 1e-12, 'longest');
  });

  it('morphs feel 1 through the feels 0, 1, 2 and 4 with the Dovrel macro', () => {
    assert.deepEqual(feelFor(1, 0), feelFor(0, 0));
    close(feelFor(1, 1).shape, feelFor(4, 0).shape, 1e-9, 'end of the morph');
    close(feelFor(1, 0.5).release, (0.62 + 0.74) / 2, 1e-6, 'halfway between the second and third feels');
  });

  it('spends the depth budget through a soft knee', () => {
    close(depthBudgetDb(0.35, 9), 2.1, 1e-12, 'defaults');
    close(depthBudgetDb(1, 9), 9, 1e-12, 'full space');
    close(depthBudgetDb(0.25, 2), 1, 1e-12, 'small budget');
  });
});

describe('groove envelope', () => {
  it('marks a hit on every division of the bar, the swung ones on alternate hits', () => {
    const { hits, timing } = grooveEnvelope({ 'time.swing': 58 });
    assert.equal(hits.length, 8);
    hits.forEach((hit, i) => close(hit.time, i * timing.kickPeriod, 1e-9, `hit ${i}`));
    assert.deepEqual(hits.map((h) => h.swung), [true, false, true, false, true, false, true, false]);
  });

  it('restarts the hold instead of hitting when the next kick comes before the hold has ended', () => {
    const { hits } = grooveEnvelope({ 'time.hold': 0.5, 'time.swing': 75, 'time.division': 8 });
    assert.ok(hits.some((h) => h.did === 'restart'), JSON.stringify(hits));
  });

  it('follows the kernel’s own envelope of the test pulse', () => {
    const file = process.env.DOVREL_KERNEL_ENVELOPES;
    assert.ok(file, 'DOVREL_KERNEL_ENVELOPES must name the output of dovrel-kernel-envelopes');
    const rendered = JSON.parse(fs.readFileSync(file, 'utf8'));
    assert.ok(rendered.cases.length >= 6);
    for (const c of rendered.cases) {
      const model = grooveEnvelope(c.settings, { warmupBars: rendered.warmupBars, pointsPerSecond: rendered.pointsPerSecond });
      const fit = compareShapes(c.reductionDb, Array.from(model.reduction), rendered.pointsPerSecond);
      // The kernel's detector fires a few milliseconds into each kick of the pulse, where the model puts
      // the hit at the kick's start: the two are compared at the shift that fits best, up to 12 ms.
      // Each curve is taken relative to its own peak, since the model cannot know how hard the
      // pulse's kicks are detected.
      assert.ok(fit.meanError <= 0.025 && fit.maxError <= 0.15,
        `${c.name}: mean error ${fit.meanError.toFixed(4)}, largest ${fit.maxError.toFixed(3)} of the peak at a shift of ${fit.shiftMs} ms`);
      assert.equal(model.reduction.length, c.reductionDb.length, c.name);
    }
  });
});

// The best alignment of the two curves, each scaled to its peak: shift in ms, mean and largest error.
function compareShapes(kernel, model, pointsPerSecond) {
  const kernelPeak = Math.max(...kernel);
  const modelPeak = Math.max(...model);
  let best = null;
  for (let shift = 0; shift <= (12 * pointsPerSecond) / 1000; shift += 1) {
    let sum = 0;
    let largest = 0;
    const n = kernel.length - shift;
    for (let i = 0; i < n; i += 1) {
      const error = Math.abs(kernel[i + shift] / kernelPeak - model[i] / modelPeak);
      sum += error;
      largest = Math.max(largest, error);
    }
    if (!best || sum / n < best.meanError) best = { shiftMs: (shift * 1000) / pointsPerSecond, meanError: sum / n, maxError: largest };
  }
  return best;
}
