// Per-pad sampler overrides as the page edits them: the fifteen fields with their ranges, the checks
// a value must pass, and the pad override document ({"padId": {"field": value}}) the controller reads.
export const PAD_FIELDS = Object.freeze([
  { key: 'transpose', label: 'Transpose (semitones)', min: -24, max: 24, kind: 'integer' },
  { key: 'fineTune', label: 'Fine tune (cents)', min: -100, max: 100 },
  { key: 'gain', label: 'Gain', min: 0, max: 4 },
  { key: 'pan', label: 'Pan', min: -1, max: 1 },
  { key: 'start', label: 'Start', min: 0, max: 1 },
  { key: 'end', label: 'End', min: 0, max: 1 },
  { key: 'attack', label: 'Attack (s)', min: 0, max: 2 },
  { key: 'release', label: 'Release (s)', min: 0.001, max: 4 },
  { key: 'filterHz', label: 'Filter (Hz)', min: 20, max: 20000 },
  { key: 'resonance', label: 'Resonance', min: 0.1, max: 18 },
  { key: 'reverse', label: 'Reverse', min: 0, max: 1, kind: 'boolean' },
  { key: 'muted', label: 'Muted', min: 0, max: 1, kind: 'boolean' },
  { key: 'chokeGroup', label: 'Choke group', min: 0, max: 8, kind: 'integer' },
  { key: 'roundRobinGroup', label: 'Round-robin group', min: 0, max: 8, kind: 'integer' },
  { key: 'velocitySensitivity', label: 'Velocity sensitivity', min: 0, max: 1 },
]);

export const MAX_PADS = 256;
const MAX_PAD_ID_BYTES = 160;

// Problems of one pad's entry {padId, values: {key: number}}: [{field, message}].
export function padErrors(pad, otherIds = []) {
  const errors = [];
  const bytes = new TextEncoder().encode(pad.padId).length;
  if (bytes === 0) errors.push({ field: 'padId', message: 'Give the pad’s id as the bank names it' });
  else if (bytes > MAX_PAD_ID_BYTES) errors.push({ field: 'padId', message: `A pad id is at most ${MAX_PAD_ID_BYTES} bytes long` });
  else if (otherIds.includes(pad.padId)) errors.push({ field: 'padId', message: `Pad “${pad.padId}” is listed twice` });
  for (const field of PAD_FIELDS) {
    const value = pad.values[field.key];
    if (value === undefined) continue;
    if (field.kind === 'boolean' && value !== 0 && value !== 1) {
      errors.push({ field: field.key, message: `${field.label} is on (1) or off (0)` });
    } else if (!Number.isFinite(value) || value < field.min || value > field.max) {
      errors.push({ field: field.key, message: `${field.label} must be a number from ${field.min} to ${field.max}` });
    } else if (field.kind === 'integer' && !Number.isInteger(value)) {
      errors.push({ field: field.key, message: `${field.label} must be a whole number` });
    }
  }
  if (errors.length === 0 && Object.keys(pad.values).length === 0) {
    errors.push({ field: 'padId', message: 'Set at least one field, or remove the pad' });
  }
  return errors;
}

export function padsOfDocument(document_) {
  if (!document_ || typeof document_ !== 'object') return [];
  return Object.entries(document_).map(([padId, values]) => ({ padId, values: { ...values } }));
}

export function documentOfPads(pads) {
  return Object.fromEntries(pads.map((pad) => [pad.padId, Object.fromEntries(PAD_FIELDS.filter((f) => pad.values[f.key] !== undefined).map((f) => [f.key, pad.values[f.key]]))]));
}
