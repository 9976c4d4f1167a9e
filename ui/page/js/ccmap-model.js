// The MIDI CC map as the page edits it: bindings read from and written to the map document the
// controller keeps ({"version":1,"bindings":[…]}), and the checks a binding must pass before the page
// sends it, each failure told in words. The controller's own reader rounds and clamps what it is
// given; the page refuses such values instead, so a producer never gets a binding other than the one
// typed.
import { formatPlain } from './param-format.js';
import { hasParam, paramByPath } from './param-table.js';

export const MAX_BINDINGS = 64;
export const CURVES = Object.freeze(['linear', 'exp', 'log', 's-curve']);
export const VALUE_MODES = Object.freeze([
  'absolute',
  'relative-signed-bit',
  'relative-binary-offset',
  'relative-twos-complement',
  'toggle',
]);
export const TAKEOVERS = Object.freeze(['none', 'pickup', 'scaled']);

export function newBinding(path = 'macro.dovrel', cc = 1) {
  return { path, cc, channel: 0, min: null, max: null, curve: 'linear', valueMode: 'absolute', takeover: 'none', enabled: true };
}

// The bindings of a map document; members a document leaves out take their defaults.
export function bindingsOfDocument(document) {
  const list = Array.isArray(document) ? document : document?.bindings;
  if (!Array.isArray(list)) return [];
  return list.map((entry) => ({
    ...newBinding(entry.path, entry.cc),
    channel: entry.channel ?? 0,
    min: entry.min ?? null,
    max: entry.max ?? null,
    curve: entry.curve ?? 'linear',
    valueMode: entry.valueMode ?? 'absolute',
    takeover: entry.takeover ?? 'none',
    enabled: entry.enabled ?? true,
  }));
}

// The map document of a list of bindings, written as the controller writes it: defaults left out.
export function documentOfBindings(bindings) {
  return {
    version: 1,
    bindings: bindings.map((b) => {
      const entry = { cc: b.cc, path: b.path };
      if (b.channel !== 0) entry.channel = b.channel;
      if (b.min !== null) entry.min = b.min;
      if (b.max !== null) entry.max = b.max;
      if (b.curve !== 'linear') entry.curve = b.curve;
      if (b.valueMode !== 'absolute') entry.valueMode = b.valueMode;
      if (b.takeover !== 'none') entry.takeover = b.takeover;
      if (!b.enabled) entry.enabled = false;
      return entry;
    }),
  };
}

function isWholeIn(value, low, high) {
  return Number.isInteger(value) && value >= low && value <= high;
}

function rangeProblem(binding, field, label) {
  const value = binding[field];
  if (value === null) return null;
  const row = paramByPath(binding.path);
  if (!Number.isFinite(value)) return `${label} must be a number, or empty for the parameter's own end`;
  if (value < row.min || value > row.max) {
    return `${label} must lie within ${row.title}'s range, ${formatPlain(row, row.min)} to ${formatPlain(row, row.max)}`;
  }
  return null;
}

// Problems that keep a binding from being sent: [{field, message}], empty when it may be sent.
export function bindingErrors(binding) {
  const errors = [];
  const add = (field, message) => errors.push({ field, message });
  if (!hasParam(binding.path)) {
    add('path', 'Choose the parameter this controller moves');
    return errors;
  }
  if (!isWholeIn(binding.cc, 0, 127)) add('cc', 'The CC number must be a whole number from 0 to 127');
  if (binding.channel !== 0 && !isWholeIn(binding.channel, 1, 16)) {
    add('channel', 'The channel must be Any or a whole number from 1 to 16');
  }
  for (const [field, label] of [['min', 'The lowest value'], ['max', 'The highest value']]) {
    const problem = rangeProblem(binding, field, label);
    if (problem) add(field, problem);
  }
  if (!CURVES.includes(binding.curve)) add('curve', 'Choose one of the listed curves');
  if (!VALUE_MODES.includes(binding.valueMode)) add('valueMode', 'Choose one of the listed value modes');
  if (!TAKEOVERS.includes(binding.takeover)) add('takeover', 'Choose one of the listed takeover rules');
  return errors;
}

function channelsOverlap(a, b) {
  return a.channel === 0 || b.channel === 0 || a.channel === b.channel;
}

function channelName(channel) {
  return channel === 0 ? 'any channel' : `channel ${channel}`;
}

// Remarks on a sendable map that do not stop it: [{index, message}].
export function mapNotes(bindings) {
  const notes = [];
  bindings.forEach((b, index) => {
    if (b.min !== null && b.max !== null && b.min > b.max) {
      notes.push({ index, message: 'The lowest value lies above the highest: the controller works the parameter upside down' });
    } else if (b.min !== null && b.min === b.max) {
      notes.push({ index, message: 'The lowest and highest values are equal: the controller always sets the same value' });
    }
    const earlier = bindings.findIndex((other, i) => i < index && other.enabled && b.enabled && other.cc === b.cc && channelsOverlap(other, b));
    if (earlier >= 0) {
      notes.push({
        index,
        message: `CC ${b.cc} on ${channelName(b.channel)} is also bound by binding ${earlier + 1}: hosts that map CCs themselves follow only the first`,
      });
    }
  });
  return notes;
}

// Problems of the whole map: per-binding errors with their index, and the size limit.
export function mapErrors(bindings) {
  const errors = bindings.flatMap((b, index) => bindingErrors(b).map((e) => ({ index, ...e })));
  if (bindings.length > MAX_BINDINGS) {
    errors.push({ index: -1, field: 'map', message: `A map holds at most ${MAX_BINDINGS} bindings; remove ${bindings.length - MAX_BINDINGS}` });
  }
  return errors;
}
