// Export and import of the whole state as a file: the controller's "vanto.state" document saved as
// JSON, and a saved document handed back with "vanto.setState".
export function downloadState(document_, fileName = 'dovrel-state.json') {
  const blob = new Blob([`${JSON.stringify(document_, null, 2)}\n`], { type: 'application/json' });
  const url = URL.createObjectURL(blob);
  const link = Object.assign(document.createElement('a'), { href: url, download: fileName });
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 1000);
}

// The state document in a file's text, or an error message in words.
export function readStateText(text) {
  let value;
  try {
    value = JSON.parse(text);
  } catch {
    return { error: 'This file is not a Dovrel state: it is not JSON.' };
  }
  if (value === null || typeof value !== 'object' || Array.isArray(value)) {
    return { error: 'This file is not a Dovrel state: it holds no JSON object.' };
  }
  if (value.params !== undefined && (value.params === null || typeof value.params !== 'object')) {
    return { error: 'This file is not a Dovrel state: its "params" are not an object of values.' };
  }
  return { state: value };
}
