// The page against a host whose transport changes: dovrel-preview plays 120 BPM in 4/4, then 100 BPM,
// then 3/4, then stops, a step every 0.6 s. The transport panel follows each step, the lifecycle
// timeline records the tempo and meter changes, and the effective tempo follows "sync.source".
import assert from 'node:assert/strict';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { openEditor, received, startBrowser, startPreview } from './editor-session.mjs';

let preview;
let browser;
let editor;

before(async () => {
  preview = await startPreview(['--transport-steps', '0.6']);
  browser = await startBrowser();
  editor = await openEditor(browser.context, preview.address);
  await editor.page.evaluate(() => document.querySelectorAll('details').forEach((d) => { d.open = true; }));
});

after(async () => {
  await browser?.close();
  const ended = await preview?.stop();
  assert.deepEqual(ended, { code: 0, signal: null }, 'dovrel-preview stops cleanly on Ctrl-C');
});

// The transport panel's facts by name.
function transportShown(page) {
  return page.evaluate(() => {
    const section = [...document.querySelectorAll('.diag-section')].find((s) => s.querySelector('h3')?.textContent === 'Transport');
    const names = [...section.querySelectorAll('dt')].map((d) => d.textContent);
    const values = [...section.querySelectorAll('dd')].map((d) => d.textContent);
    return Object.fromEntries(names.map((n, i) => [n, values[i]]));
  });
}

async function waitForTransport(page, accept, what) {
  const deadline = Date.now() + 8000;
  let shown;
  while (Date.now() < deadline) {
    shown = await transportShown(page);
    if (accept(shown)) return shown;
    await page.waitForTimeout(40);
  }
  throw new Error(`the transport panel never showed ${what}; last: ${JSON.stringify(shown)}`);
}

describe('host transport on the page', () => {
  it('shows play, tempo, meter and stop as the host changes them', async () => {
    const { page, problems } = editor;
    await waitForTransport(page, (s) => s.Playing === 'yes' && s.Tempo === '120 BPM' && s['Time signature'] === '4/4', 'playing at 120 in 4/4');
    await waitForTransport(page, (s) => s.Playing === 'yes' && s.Tempo === '100 BPM' && s['Time signature'] === '4/4', 'playing at 100');
    await waitForTransport(page, (s) => s.Playing === 'yes' && s['Time signature'] === '3/4', 'playing in 3/4');
    await waitForTransport(page, (s) => s.Playing === 'no' && s.Source === 'host', 'stopped');
    await page.screenshot({ path: path.join(process.env.DOVREL_SCREENSHOT_DIR ?? '.', 'host-transport.png'), fullPage: true });
    assert.deepEqual(problems, []);
  });

  it('records the tempo and meter changes in the lifecycle timeline', async () => {
    const { page } = editor;
    await page.waitForFunction(() => {
      const text = document.querySelector('#diagnostics-panel').textContent;
      return text.includes('tempoChanged') && text.includes('timeSignatureChanged');
    }, null, { timeout: 8000 });
    const events = (await received(page, 'vanto.lifecycle')).flatMap((m) => m.events);
    const tempo = events.find((e) => e.kind === 'tempoChanged' && e.detail.tempo === 100);
    assert.ok(tempo, 'a tempoChanged event to 100 BPM');
    assert.equal(tempo.detail.previous, 120);
    const meter = events.find((e) => e.kind === 'timeSignatureChanged' && e.detail.numerator === 3);
    assert.ok(meter, 'a timeSignatureChanged event to 3/4');
    assert.equal(meter.detail.previousNumerator, 4);
  });

  it('shows the effective tempo: Manual at 120, then the host’s tempo once sync.source is Host', async () => {
    const { page } = editor;
    assert.equal(await page.textContent('#effective-tempo'), '120 BPM (Manual)');
    await page.selectOption('[data-path="sync.source"] select', { label: 'Host' });
    await page.waitForFunction(() => /^(100|120) BPM \(Host\)$/.test(document.querySelector('#effective-tempo').textContent), null, { timeout: 8000 });
    await page.waitForFunction(() => document.querySelector('#effective-tempo').textContent === '100 BPM (Host)', null, { timeout: 8000 });
    await page.waitForFunction(() => document.querySelector('.groove-caption').textContent.includes('at 100 BPM'), null, { timeout: 8000 });
  });
});
