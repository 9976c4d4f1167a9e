// The meters' model: levels in dB, the folding of a frame's records, peak hold, the trace window and
// the bells' curve.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import { importPage } from '../page-modules.mjs';

const { bellCurveDb, FLOOR_DB, foldRecords, MeterTrace, meanSquareDb, PeakHold, peakDb } = await importPage('meters-model.js');

function record(at, { duck = [0, 0, 0, 0], hits = [null, null, null, null], low = 0, glue = 0, peak = 0, meanSquare = 0, frames = 480 } = {}) {
  const level = { peak: [peak, peak / 2], meanSquare: [meanSquare, meanSquare] };
  return {
    at,
    frames,
    lanes: duck.map((duckDb, i) => ({ duckDb, hit: hits[i] })),
    lowBandGainDb: low,
    glueReductionDb: glue,
    bells: [{ on: true, hz: 90, gainDb: low }, { on: false, hz: 8000, gainDb: -6 }],
    input: level,
    output: level,
  };
}

describe('meter levels', () => {
  it('gives dBFS of peaks and mean squares with a floor for silence', () => {
    assert.equal(peakDb(1), 0);
    assert.ok(Math.abs(peakDb(0.5) - -6.0206) < 1e-4);
    assert.equal(meanSquareDb(0.01), -20);
    assert.equal(peakDb(0), FLOOR_DB);
    assert.equal(meanSquareDb(1e-12), FLOOR_DB);
  });

  it('folds a frame into its strongest ducks, deepest gains, loudest peaks and mean squares over all frames', () => {
    const shown = foldRecords([
      record(0, { duck: [4, 0, 1, 0], low: -2, glue: 1, peak: 0.5, meanSquare: 0.01, frames: 384 }),
      record(384, { duck: [6, 2, 0, 0], low: -1, glue: 3, peak: 0.25, meanSquare: 0.04, frames: 128 }),
    ]);
    assert.deepEqual(shown.lanes, [6, 2, 1, 0]);
    assert.equal(shown.lowBandGainDb, -2);
    assert.equal(shown.glueReductionDb, 3);
    assert.ok(Math.abs(shown.input[0].peakDb - peakDb(0.5)) < 1e-12);
    assert.ok(Math.abs(shown.input[1].peakDb - peakDb(0.25)) < 1e-12);
    // (0.01 × 384 + 0.04 × 128) / 512 = 0.0175
    assert.ok(Math.abs(shown.output[0].rmsDb - 10 * Math.log10(0.0175)) < 1e-9);
    assert.equal(shown.bells[0].gainDb, -1, 'the newest record’s bells');
  });
});

describe('peak hold', () => {
  it('holds the highest peak, then lets it fall', () => {
    const hold = new PeakHold(1000, 20);
    assert.equal(hold.update(-6, 0), -6);
    assert.equal(hold.update(-20, 500), -6);
    assert.equal(hold.update(-20, 1000), -6);
    assert.ok(Math.abs(hold.update(-20, 1500) - -16) < 1e-9, 'half a second of falling at 20 dB/s');
    assert.equal(hold.update(-3, 1600), -3);
  });
});

describe('meter trace', () => {
  it('keeps the last seconds of low-band gain and the hits at their times', () => {
    const trace = new MeterTrace(1);
    const records = [];
    for (let i = 0; i < 200; i += 1) records.push(record(i * 480, { low: -i / 100, hits: [i % 25 === 0 ? 100 : null, null, null, i === 150 ? 0 : null] }));
    trace.add(records, 48000);
    assert.equal(trace.end, 2);
    assert.equal(trace.points.length, 101);
    assert.equal(trace.points[0].time, 1);
    assert.deepEqual(trace.hits.map((h) => [Math.round(h.time * 48000), h.lane]), [
      [100 * 480 + 100, 0], [125 * 480 + 100, 0], [150 * 480 + 100, 0], [150 * 480, 3], [175 * 480 + 100, 0],
    ]);
  });
});

describe('bell curve', () => {
  it('is each switched-on bell’s gain at its frequency and fades away from it', () => {
    const bells = [{ on: true, hz: 90, gainDb: -6 }, { on: false, hz: 880, gainDb: -12 }, { on: true, hz: 3220, gainDb: -2 }];
    assert.ok(Math.abs(bellCurveDb(bells, 90) - -6) < 1e-3);
    assert.ok(Math.abs(bellCurveDb(bells, 880)) < 0.01, 'a bell that is off adds nothing');
    assert.ok(Math.abs(bellCurveDb(bells, 3220) - -2) < 1e-3);
    assert.ok(bellCurveDb(bells, 180) > -1 && bellCurveDb(bells, 180) < 0, 'an octave away');
  });
});
