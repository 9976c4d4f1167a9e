// The page's CC map: its documents and the checks a binding must pass, told in words.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import { importPage } from '../page-modules.mjs';

const { bindingErrors, bindingsOfDocument, documentOfBindings, mapErrors, mapNotes, newBinding, MAX_BINDINGS } = await importPage('ccmap-model.js');

describe('CC map documents', () => {
  it('reads a map document with defaults for what it leaves out and writes it back the same way', () => {
    const document = { version: 1, bindings: [{ cc: 75, path: 'glue.ratio' }, { cc: 1, path: 'macro.space', channel: 3, min: 0.2, max: 0.1, curve: 's-curve', valueMode: 'toggle', takeover: 'pickup', enabled: false }] };
    const bindings = bindingsOfDocument(document);
    assert.deepEqual(bindings[0], { ...newBinding('glue.ratio', 75) });
    assert.equal(bindings[1].channel, 3);
    assert.deepEqual(documentOfBindings(bindings), document);
  });

  it('reads a bare list of bindings and nothing from what holds none', () => {
    assert.equal(bindingsOfDocument([{ cc: 2, path: 'mix.amount' }]).length, 1);
    assert.deepEqual(bindingsOfDocument({}), []);
    assert.deepEqual(bindingsOfDocument(undefined), []);
  });
});

describe('CC map checks', () => {
  const fieldsOf = (changes) => bindingErrors({ ...newBinding('budget.maxReduction', 10), ...changes }).map((e) => e.field);

  it('refuses what the controller would round, clamp or drop, field by field', () => {
    const cases = [
      [{}, []],
      [{ cc: 127, channel: 16, min: 0, max: 18 }, []],
      [{ cc: 128 }, ['cc']],
      [{ cc: 74.6 }, ['cc']],
      [{ cc: Number.NaN }, ['cc']],
      [{ channel: 17 }, ['channel']],
      [{ channel: 1.5 }, ['channel']],
      [{ min: -1 }, ['min']],
      [{ max: 19 }, ['max']],
      [{ min: Number.NaN }, ['min']],
      [{ curve: 'cubic' }, ['curve']],
      [{ valueMode: 'relative' }, ['valueMode']],
      [{ takeover: 'soft' }, ['takeover']],
      [{ path: 'glue.missing' }, ['path']],
    ];
    for (const [changes, fields] of cases) assert.deepEqual(fieldsOf(changes), fields, JSON.stringify(changes));
  });

  it('says what is wrong in words, with the parameter’s own range', () => {
    const [error] = bindingErrors({ ...newBinding('budget.maxReduction', 1), max: 30 });
    assert.equal(error.message, "The highest value must lie within Max Reduction's range, 0 dB to 18 dB");
    assert.match(bindingErrors({ ...newBinding(), cc: 300 })[0].message, /whole number from 0 to 127/);
  });

  it('limits the map to 64 bindings and notes inverted ranges and CCs bound twice', () => {
    const many = Array.from({ length: MAX_BINDINGS + 1 }, (_, i) => newBinding('mix.amount', i));
    assert.deepEqual(mapErrors(many).map((e) => e.field), ['map']);
    assert.deepEqual(mapErrors(many.slice(1)), []);
    const notes = mapNotes([
      { ...newBinding('mix.amount', 7), min: 0.9, max: 0.1 },
      { ...newBinding('macro.glue', 7), channel: 2 },
      { ...newBinding('macro.space', 8), channel: 1 },
      { ...newBinding('macro.dovrel', 8), channel: 2 },
    ]);
    assert.deepEqual(notes.map((n) => n.index), [0, 1]);
    assert.match(notes[0].message, /upside down/);
    assert.match(notes[1].message, /CC 7 on channel 2 is also bound by binding 1/);
  });
});
