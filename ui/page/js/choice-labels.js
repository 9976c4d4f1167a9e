// Readable names of the stepped parameters whose values are choices rather than amounts.
import { TIMING } from './kernel-facts.js';

const NOTE_DENOMINATORS = [1, 2, 4, 8, 16, 32];
const NOTE_KINDS = [
  { suffix: '', factor: 1 },
  { suffix: 'T', factor: 2 / 3 },
  { suffix: 'D', factor: 1.5 },
];

// A length in beats (quarter notes) as a note value: "1/8", "1/16T" (triplet), "1/8D" (dotted),
// "1 bar" for a whole note; the beats themselves when no note value fits.
export function noteValueName(beats) {
  for (const { suffix, factor } of NOTE_KINDS) {
    for (const denominator of NOTE_DENOMINATORS) {
      if (Math.abs((4 / denominator) * factor - beats) < 1e-6) {
        return denominator === 1 && suffix === '' ? '1 bar' : `1/${denominator}${suffix}`;
      }
    }
  }
  return `${beats} beats`;
}

const LABELS = {
  'sidechain.source': ['External', 'Internal', 'Test pulse'],
  'time.division': TIMING.divisionBeats.map(noteValueName),
  'time.feel': ['Tight', 'Dovrel morph', 'Smooth', 'Bounce', 'Breathe'],
  'sidechain.audition': ['Off', 'Side-chain', 'Delta'],
  'sync.source': ['Manual', 'Host'],
};

// What each choice does, for the control's tooltip.
export const CHOICE_HINTS = {
  'sidechain.source': 'External listens to the side-chain bus when the host feeds it, else to the main input',
  'time.feel': 'Dovrel morph follows the Dovrel macro from Tight through Smooth to Breathe',
  'sidechain.audition': 'Side-chain plays what the detector hears; Delta plays only what the effect changes',
  'sync.source': 'Host follows the song\'s tempo while the host gives one; Manual follows the Tempo control',
};

// The names of a row's choices in value order, or null for rows whose values are amounts.
export function choiceLabels(row) {
  return LABELS[row.path] ?? null;
}
