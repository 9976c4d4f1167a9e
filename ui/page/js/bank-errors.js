// The "error" block of a bank state in words: what went wrong and what to do about it.
const EXPLANATIONS = {
  'bank-missing': [
    (id) => `Dovrel could not find the bank${id ? ` “${id}”` : ''}: a folder, its bank.json, a sample or an instrument document could not be read.`,
    'Check the folder path (or pick the preset again) and that bank.json and the files it names are there, then load it again.',
  ],
  'bank-hash-mismatch': [
    () => 'A sample file’s size or SHA-256 differs from what the bank’s bank.json declares, so the bank was refused.',
    'Copy the bank again from where it came from, or have its author update bank.json.',
  ],
  'bank-malformed': [
    () => 'The bank’s bank.json or one of its instrument documents is not valid or lacks something it needs.',
    'Open the bank’s documents and fix them (the format is vanto-sound-pack/v1), or ask the bank’s author for a fixed copy.',
  ],
  'bank-unsupported-codec': [
    () => 'A sample of the bank is not a WAV file Dovrel can decode.',
    'Convert the sample to PCM or 32-bit float WAV and update bank.json.',
  ],
  'bank-too-large': [
    () => 'The bank was read, but Dovrel’s engine takes no sample bank: Dovrel is an effect and plays no samples.',
    'Nothing in the bank needs fixing; its presets and pad overrides are kept with the project, but they do not change the sound.',
  ],
  'bank-instrument-unknown': [
    (id) => `The bank has no instrument or kit called “${id}”.`,
    'Choose one of the instruments the bank lists, or leave the instrument empty to take the bank’s first one.',
  ],
  'bank-fetch-failed': [
    (id) => `The hosted bank${id ? ` at ${id}` : ''} could not be downloaded, or what arrived does not match its SHA-256 pin.`,
    'Check that the address starts with https://, that the network reaches it and that the pin is the SHA-256 of the archive, then try again.',
  ],
};

// {what, todo} for an error block {code, requestedId}.
export function explainBankError({ code, requestedId }) {
  const entry = EXPLANATIONS[code];
  if (!entry) {
    return { what: `The bank could not be loaded (${code}).`, todo: 'Check the bank and try again; the diagnostics below may say more.' };
  }
  return { what: entry[0](requestedId ?? ''), todo: entry[1] };
}
