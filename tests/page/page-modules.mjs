// The page's modules as built into the bundle (they import the generated kernel-facts.js, which only
// the build writes). DOVREL_UI_DIR names the built page folder; scripts/ui-test.sh sets it.
import path from 'node:path';
import { pathToFileURL } from 'node:url';

export function builtPageFolder() {
  const folder = process.env.DOVREL_UI_DIR;
  if (!folder) throw new Error('DOVREL_UI_DIR must name the built page folder (build/<preset>/Dovrel.vst3/Contents/Resources/ui)');
  return folder;
}

export function importPage(name) {
  return import(pathToFileURL(path.join(builtPageFolder(), 'js', name)).href);
}
