// The page's copy of the 34 parameter values and the one place edits leave from. A page edit is sent
// as "vanto.setParam" inside a "vanto.beginEdit" / "vanto.endEdit" bracket and kept for undo; values
// from the host (automation, presets, the CC map) only move the page. Hosts that reflect edits back
// deliver the page's own values a moment later: such echoes of values the page sent in the last
// second are recognised and dropped, so a control being dragged never jumps back.
import { PARAMS, paramByPath } from './param-table.js';
import { snapPlain } from './param-values.js';

const ECHO_SECONDS = 1;
const ECHO_LIMIT = 64;

function sameValue(row, a, b) {
  return Math.abs(a - b) <= 1e-9 * Math.max(1, row.max - row.min);
}

export class ParamSession {
  #link;
  #history;
  #values = new Map(PARAMS.map((row) => [row.path, row.defaultPlain]));
  #listeners = new Map();
  #anyListeners = [];
  #gestures = new Map();
  #sent = new Map();

  constructor(link, history) {
    this.#link = link;
    this.#history = history;
  }

  value(path) {
    return this.#values.get(path);
  }

  values() {
    return Object.fromEntries(this.#values);
  }

  // listener(plain, origin) with origin 'page' or 'host'.
  onValue(path, listener) {
    this.#listeners.set(path, [...(this.#listeners.get(path) ?? []), listener]);
  }

  // listener(path, plain, origin) for every parameter.
  onAnyValue(listener) {
    this.#anyListeners.push(listener);
  }

  beginGesture(path) {
    if (this.#gestures.has(path)) return;
    this.#gestures.set(path, this.value(path));
    this.#link.send('vanto.beginEdit', { path });
  }

  // Sets a value during a gesture; values outside the range or between steps are brought onto it.
  setDuringGesture(path, plain) {
    const row = paramByPath(path);
    const snapped = snapPlain(row, plain);
    if (sameValue(row, snapped, this.value(path))) return;
    this.#rememberSent(path, snapped);
    this.#link.send('vanto.setParam', { path, value: snapped });
    this.#store(path, snapped, 'page');
  }

  endGesture(path) {
    if (!this.#gestures.has(path)) return;
    const before = this.#gestures.get(path);
    this.#gestures.delete(path);
    this.#link.send('vanto.endEdit', { path });
    const after = this.value(path);
    if (!sameValue(paramByPath(path), before, after)) this.#history.record({ path, before, after });
  }

  inGesture(path) {
    return this.#gestures.has(path);
  }

  // One whole edit: a typed value, a key press, a double-click to the default.
  edit(path, plain) {
    this.beginGesture(path);
    this.setDuringGesture(path, plain);
    this.endGesture(path);
  }

  // Restores a value for undo or redo: sent like an edit, kept out of the history.
  restore(path, plain) {
    this.#link.send('vanto.beginEdit', { path });
    this.setDuringGesture(path, plain);
    this.#link.send('vanto.endEdit', { path });
  }

  // After a preset or a state arrives, values sent before it can no longer come back as echoes.
  forgetSent() {
    this.#sent.clear();
  }

  // A value the controller reports ("vanto.hello", "vanto.paramChanged").
  applyFromHost(path, plain) {
    const row = paramByPath(path);
    if (!Number.isFinite(plain) || this.#isEcho(row, path, plain)) return;
    this.#store(path, plain, 'host');
  }

  #store(path, plain, origin) {
    this.#values.set(path, plain);
    for (const listener of this.#listeners.get(path) ?? []) listener(plain, origin);
    for (const listener of this.#anyListeners) listener(path, plain, origin);
  }

  #rememberSent(path, plain) {
    const now = performance.now();
    const recent = (this.#sent.get(path) ?? []).filter((s) => now - s.at < ECHO_SECONDS * 1000);
    recent.push({ plain, at: now });
    this.#sent.set(path, recent.slice(-ECHO_LIMIT));
  }

  // An echo is a recently sent value coming back; it and every value sent before it are done with.
  #isEcho(row, path, plain) {
    const now = performance.now();
    const recent = (this.#sent.get(path) ?? []).filter((s) => now - s.at < ECHO_SECONDS * 1000);
    const index = recent.findIndex((s) => sameValue(row, s.plain, plain));
    this.#sent.set(path, index >= 0 ? recent.slice(index + 1) : recent);
    return index >= 0;
  }
}
