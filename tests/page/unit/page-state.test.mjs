// The page's own bookkeeping: undo history, the preset's dirty mark, echoes of its own edits, state
// files, pad overrides and bank errors.
import assert from 'node:assert/strict';
import { describe, it } from 'node:test';
import { importPage } from '../page-modules.mjs';

const { EditHistory } = await importPage('edit-history.js');
const { PresetTracker } = await importPage('preset-tracker.js');
const { ParamSession } = await importPage('param-session.js');
const { readStateText } = await importPage('state-file.js');
const { padErrors, documentOfPads, padsOfDocument } = await importPage('pad-overrides.js');
const { explainBankError } = await importPage('bank-errors.js');

function recordingLink() {
  const sent = [];
  return { sent, send: (type, fields = {}) => sent.push({ type, ...fields }) };
}

describe('edits', () => {
  it('brackets an edit for the host, keeps it for undo and redo, and sends only values on the steps', () => {
    const link = recordingLink();
    const history = new EditHistory();
    const session = new ParamSession(link, history);
    session.edit('sync.bpm', 130.4);
    assert.deepEqual(link.sent, [
      { type: 'vanto.beginEdit', path: 'sync.bpm' },
      { type: 'vanto.setParam', path: 'sync.bpm', value: 130 },
      { type: 'vanto.endEdit', path: 'sync.bpm' },
    ]);
    assert.deepEqual(history.undo(), { path: 'sync.bpm', before: 120, after: 130 });
    assert.equal(history.canRedo, true);
    assert.deepEqual(history.redo(), { path: 'sync.bpm', before: 120, after: 130 });
    session.edit('sync.bpm', 130);
    assert.equal(link.sent.filter((m) => m.type === 'vanto.setParam').length, 1, 'an unchanged value is not sent');
  });

  it('drops the echoes of its own values but follows everything else the host sends', () => {
    const link = recordingLink();
    const session = new ParamSession(link, new EditHistory());
    const seen = [];
    session.onValue('macro.space', (plain, origin) => seen.push([plain, origin]));
    session.beginGesture('macro.space');
    session.setDuringGesture('macro.space', 0.5);
    session.setDuringGesture('macro.space', 0.6);
    session.endGesture('macro.space');
    session.applyFromHost('macro.space', 0.5);
    session.applyFromHost('macro.space', 0.6);
    assert.equal(session.value('macro.space'), 0.6);
    const sentBefore = link.sent.length;
    session.applyFromHost('macro.space', 0.25);
    assert.deepEqual(seen, [[0.5, 'page'], [0.6, 'page'], [0.25, 'host']]);
    assert.equal(link.sent.length, sentBefore, 'a value from the host is not sent back');
  });
});

describe('presets', () => {
  it('is dirty when the values leave the current preset’s own, and clean again when it loads', () => {
    const tracker = new PresetTracker();
    tracker.addPresets([{ id: 'bounce', name: 'Bounce', values: { 'time.swing': 58, 'macro.glue': 0.45 } }]);
    assert.equal(tracker.isDirty({ 'time.swing': 50 }), false, 'no preset is current');
    tracker.presetLoaded('bounce', 'Bounce');
    assert.equal(tracker.isDirty({ 'time.swing': 58, 'macro.glue': 0.45 }), false);
    assert.equal(tracker.isDirty({ 'time.swing': 60, 'macro.glue': 0.45 }), true);
    tracker.adoptControllerState({ currentId: 'bank-groove', currentName: 'Groove', dirty: false });
    assert.equal(tracker.isDirty({}), false);
    tracker.noteEdit();
    assert.equal(tracker.isDirty({}), true, 'a preset without known values is dirty after an edit');
  });
});

describe('files and banks', () => {
  it('takes a state file only when it holds a JSON object', () => {
    assert.deepEqual(readStateText('{"params":{"sync.bpm":90}}'), { state: { params: { 'sync.bpm': 90 } } });
    for (const text of ['not json', '[1,2]', 'null', '{"params":3}']) assert.ok(readStateText(text).error, text);
  });

  it('checks pad overrides against each field’s range and kind', () => {
    assert.deepEqual(padErrors({ padId: 'kick', values: { gain: 0.5, muted: 1 } }), []);
    const fields = (values, padId = 'kick', others = []) => padErrors({ padId, values }, others).map((e) => e.field);
    assert.deepEqual(fields({ transpose: 2.5 }), ['transpose']);
    assert.deepEqual(fields({ gain: 5 }), ['gain']);
    assert.deepEqual(fields({ reverse: 0.5 }), ['reverse']);
    assert.deepEqual(fields({}), ['padId']);
    assert.deepEqual(fields({ gain: 1 }, ''), ['padId']);
    assert.deepEqual(fields({ gain: 1 }, 'kick', ['kick']), ['padId']);
    const document = { kick: { gain: 0.5, muted: 1 } };
    assert.deepEqual(documentOfPads(padsOfDocument(document)), document);
  });

  it('explains every bank error code in words with what to do', () => {
    for (const code of ['bank-missing', 'bank-hash-mismatch', 'bank-malformed', 'bank-unsupported-codec', 'bank-too-large', 'bank-instrument-unknown', 'bank-fetch-failed', 'bank-future']) {
      const { what, todo } = explainBankError({ code, requestedId: 'drums' });
      assert.ok(what.length > 20 && todo.length > 20, code);
    }
    assert.match(explainBankError({ code: 'bank-instrument-unknown', requestedId: 'drums' }).what, /“drums”/);
  });
});
