// Which preset the page shows as current and whether the values have moved away from it. A preset's
// own values are known for the factory presets (from the hello) and for the presets of a loaded bank
// (from the bank state); for a preset whose values are unknown the page trusts the controller's dirty
// flag until the next edit.
import { paramByPath } from './param-table.js';

function differs(path, a, b) {
  const row = paramByPath(path);
  return Math.abs(a - b) > 1e-9 * Math.max(1, row.max - row.min);
}

export class PresetTracker {
  #presetValues = new Map();
  #current = null;
  #dirtyWithoutValues = false;

  // presets: [{id, name, values: {path: plain}}] as the hello lists the factory presets.
  addPresets(presets) {
    for (const preset of presets) this.#presetValues.set(preset.id, preset.values);
  }

  // The controller's view at greeting time: {currentId, currentName, dirty}.
  adoptControllerState(presetState) {
    this.#current = presetState?.currentId ? { id: presetState.currentId, name: presetState.currentName ?? presetState.currentId } : null;
    this.#dirtyWithoutValues = Boolean(presetState?.dirty);
  }

  presetLoaded(id, name) {
    this.#current = { id, name: name || id };
    this.#dirtyWithoutValues = false;
  }

  // A page edit: without known preset values, the only sign that the preset was left.
  noteEdit() {
    this.#dirtyWithoutValues = true;
  }

  get current() {
    return this.#current;
  }

  // True when a preset is current and the values differ from its own.
  isDirty(values) {
    if (!this.#current) return false;
    const own = this.#presetValues.get(this.#current.id);
    if (!own) return this.#dirtyWithoutValues;
    return Object.entries(own).some(([path, plain]) => path in values && differs(path, values[path], plain));
  }
}
