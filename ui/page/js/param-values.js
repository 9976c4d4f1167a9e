// The parameter table's conversions between plain and normalized values, as the controller applies
// them: normalized values are clamped to [0, 1], plain values snapped to the row's step.
export function toPlain(row, normalized) {
  const clamped = Number.isNaN(normalized) ? 0 : Math.min(Math.max(normalized, 0), 1);
  const plain = row.min + clamped * (row.max - row.min);
  return row.step !== 0 ? row.step * Math.floor(plain / row.step + 0.5) : plain;
}

export function toNormalized(row, plain) {
  if (Number.isNaN(plain) || row.max === row.min) return 0;
  return Math.min(Math.max((plain - row.min) / (row.max - row.min), 0), 1);
}

// A plain value as the parameter can hold it: within its range, on its step.
export function snapPlain(row, plain) {
  return toPlain(row, toNormalized(row, plain));
}

// Number of distinct values of a stepped row (0 for continuous rows).
export function stepCount(row) {
  return row.step !== 0 ? Math.round((row.max - row.min) / row.step) + 1 : 0;
}
