// Release curves of the ducking envelope, computed as the kernel computes them: recovery r(p) ~ p^shape
// for progress p in [0, 1), read from a table of four shapes over sqrt(p) (entries held in single
// precision) and blended between the two neighbouring shapes.
import { TIMING } from './kernel-facts.js';

const SIZE = TIMING.recoveryTableSize;
const SHAPES = TIMING.recoveryShapes;

function tableEntry(x, shape) {
  if (x === 0) return 0;
  if (shape === 1) return x * x;
  if (shape === 2) return x * x * x * x;
  return Math.exp(Math.log(x * x) * shape);
}

const TABLE = SHAPES.map((shape) => {
  const row = new Float32Array(SIZE + 1);
  for (let i = 0; i <= SIZE; i += 1) row[i] = tableEntry(i / SIZE, shape);
  return row;
});

function lookup(curve, u, j) {
  const row = TABLE[curve];
  if (j >= SIZE) return row[SIZE];
  return row[j] + (u - j) * (row[j + 1] - row[j]);
}

// The two table curves a shape lies between and its weight towards the upper one.
export function recoveryBlendFor(shape) {
  const last = SHAPES.length - 1;
  if (shape <= SHAPES[0]) return { lower: 0, upper: 0, weight: 0 };
  if (shape >= SHAPES[last]) return { lower: last, upper: last, weight: 0 };
  for (let i = 0; i < last; i += 1) {
    const low = SHAPES[i];
    const high = SHAPES[i + 1];
    if (low <= shape && shape <= high) {
      const span = high - low;
      return { lower: i, upper: i + 1, weight: span > 0 ? (shape - low) / span : 0 };
    }
  }
  return { lower: last, upper: last, weight: 0 };
}

export function recoveryBlended(blend, progress) {
  const u = Math.sqrt(Math.min(Math.max(progress, 0), 1)) * SIZE;
  const j = Math.floor(u);
  const lower = lookup(blend.lower, u, j);
  if (blend.upper === blend.lower) return lower;
  return lower + blend.weight * (lookup(blend.upper, u, j) - lower);
}
