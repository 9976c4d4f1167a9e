// Display texts of parameter values and the reading of typed values. Numbers follow the parameter
// table's rules -- plain values in the row's units, stepped rows whole -- rounded for display to a
// precision that suits the row's range; choices show their names.
import { choiceLabels } from './choice-labels.js';

const UNITS_WITHOUT_SPACE = new Set(['%', ':1']);

// Decimals shown for a row: none for stepped rows, else about three significant digits of its range.
export function displayDecimals(row) {
  if (row.step !== 0) return 0;
  const span = row.max - row.min;
  return Math.min(Math.max(2 - Math.floor(Math.log10(span)), 0), 3);
}

// The number alone, as typed entry shows it for editing: "1.5", "-18", "0.35".
export function formatNumber(row, plain) {
  const rounded = Number(plain.toFixed(displayDecimals(row)));
  return String(Object.is(rounded, -0) ? 0 : rounded);
}

// The value with its unit or choice name: "120 BPM", "2.5:1", "58%", "1/8", "Tight".
export function formatPlain(row, plain) {
  const labels = choiceLabels(row);
  if (labels) return labels[Math.round(plain - row.min)] ?? formatNumber(row, plain);
  const number = formatNumber(row, plain);
  if (!row.units) return number;
  return UNITS_WITHOUT_SPACE.has(row.units) ? `${number}${row.units}` : `${number} ${row.units}`;
}

const LEADING_NUMBER = /^\s*([+\-\u2212]?(?:\d+(?:\.\d*)?|\.\d+)(?:e[+-]?\d+)?)\s*(k?)/i;

// A typed text as a plain value, or null when it holds none. A choice row takes a choice's name
// (any letter case) or its number; other rows take a leading number and ignore what follows, so
// "7 ms" reads as 7, with "k" after a frequency meaning thousands ("1.2k" is 1200 Hz).
export function parsePlain(row, text) {
  const trimmed = String(text).trim();
  const labels = choiceLabels(row);
  if (labels) {
    const index = labels.findIndex((label) => label.toLowerCase() === trimmed.toLowerCase());
    if (index >= 0) return row.min + index;
  }
  const match = LEADING_NUMBER.exec(trimmed);
  if (!match) return null;
  const number = Number(match[1].replace('\u2212', '-'));
  if (!Number.isFinite(number)) return null;
  return match[2] && row.units === 'Hz' ? number * 1000 : number;
}
