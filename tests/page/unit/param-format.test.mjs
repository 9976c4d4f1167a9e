// Value texts and typed values of the page, following the parameter table's rules.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import { importPage } from '../page-modules.mjs';

const { formatPlain, parsePlain } = await importPage('param-format.js');
const { toPlain, toNormalized, snapPlain } = await importPage('param-values.js');
const { paramByPath, PARAMS } = await importPage('param-table.js');
const { noteValueName, choiceLabels } = await importPage('choice-labels.js');
const { TIMING } = await importPage('kernel-facts.js');

describe('parameter values', () => {
  it('converts as the table does: clamped, stepped rows snapped, no snapping back', () => {
    const bpm = paramByPath('sync.bpm');
    assert.equal(toPlain(bpm, 0.4), 120);
    assert.equal(toPlain(bpm, 0.401), 120);
    assert.equal(toPlain(paramByPath('sidechain.source'), 0.74), 1);
    assert.equal(toPlain(paramByPath('sidechain.source'), 0.76), 2);
    assert.equal(toPlain(paramByPath('glue.threshold'), -0.2), -40);
    assert.equal(toPlain(paramByPath('glue.threshold'), 1.7), 0);
    assert.equal(toNormalized(paramByPath('glue.threshold'), -18), 0.55);
    assert.equal(toNormalized(paramByPath('detect.kickHz'), 100), 1 - 60 / 130);
    assert.equal(snapPlain(bpm, 300), 240);
    for (const row of PARAMS) assert.equal(toPlain(row, row.defaultNormalized), row.defaultPlain, row.path);
  });
});

describe('value texts', () => {
  it('shows plain values with their units and choices by name', () => {
    const cases = [
      ['sync.bpm', 120, '120 BPM'],
      ['glue.threshold', -18, '-18 dB'],
      ['glue.ratio', 2.5, '2.5:1'],
      ['time.swing', 58, '58%'],
      ['time.attack', 1.5, '1.5 ms'],
      ['detect.clapHz', 440.26, '440 Hz'],
      ['macro.space', 0.35123, '0.35'],
      ['time.hold', 0.1234, '0.123'],
      ['glue.threshold', -0.01, '0 dB'],
      ['shape.bellCount', 3, '3'],
      ['time.division', 5, '1/8'],
      ['time.feel', 4, 'Breathe'],
      ['sidechain.source', 2, 'Test pulse'],
      ['sidechain.audition', 2, 'Delta'],
    ];
    for (const [p, plain, text] of cases) assert.equal(formatPlain(paramByPath(p), plain), text, `${p} ${plain}`);
  });

  it('reads typed values like the table: a leading number, what follows ignored, names for choices', () => {
    const cases = [
      ['time.attack', '7 ms', 7],
      ['time.attack', '  7', 7],
      ['glue.threshold', '−12', -12],
      ['glue.threshold', '-1e1 dB', -10],
      ['detect.percHz', '7.5k', 7500],
      ['detect.percHz', '7500 Hz', 7500],
      ['glue.ratio', '.5', 0.5],
      ['time.attack', 'abc', null],
      ['time.attack', '', null],
      ['time.feel', 'breathe', 4],
      ['time.feel', 'Dovrel morph', 1],
      ['time.feel', '2', 2],
      ['time.division', '1/16T', 1],
      ['time.division', 'slow', null],
    ];
    for (const [p, text, plain] of cases) assert.equal(parsePlain(paramByPath(p), text), plain, `${p} "${text}"`);
  });

  it('names every division by the note value of the kernel’s division length', () => {
    const names = choiceLabels(paramByPath('time.division'));
    assert.deepEqual(names, ['1/32', '1/16T', '1/16', '1/8T', '1/16D', '1/8', '1/4T', '1/8D', '1/4', '1/2T', '1/4D', '1/2', '1/2D', '1 bar']);
    assert.equal(names.length, TIMING.divisionBeats.length);
    assert.equal(noteValueName(5), '5 beats');
  });

  it('has a name for every value of each choice parameter', () => {
    for (const row of PARAMS) {
      const labels = choiceLabels(row);
      if (labels) assert.equal(labels.length, row.max - row.min + 1, row.path);
    }
  });
});
