// The live meters in Chromium against the real controller through dovrel-preview, which plays the
// demo in real time: the page subscribes to "meters" while the panel shows, the meters move with the
// demo's kicks, and closing the panel ends the subscription and the frames (screenshot in
// DOVREL_SCREENSHOT_DIR).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { openEditor, received, startBrowser, startPreview } from './editor-session.mjs';

let preview;
let browser;
let editor;

before(async () => {
  preview = await startPreview();
  browser = await startBrowser({ width: 940, height: 1100 });
  editor = await openEditor(browser.context, preview.address);
});

after(async () => {
  await browser?.close();
  const ended = await preview?.stop();
  assert.deepEqual(ended, { code: 0, signal: null }, 'dovrel-preview stops cleanly on Ctrl-C');
});

// What the meters show now, read from the page.
function shownMeters(page) {
  return page.evaluate(() => ({
    lowBand: Number(document.querySelector('[data-meter="low-band"]').dataset.db),
    kick: Number(document.querySelector('[data-meter="lane-0"]').dataset.db),
    input: Number(document.querySelector('[data-meter="input-0"]').dataset.db),
    held: Number(document.querySelector('[data-meter="output-0"]').dataset.held),
    hits: Number(document.querySelector('.meter-trace').dataset.hits),
  }));
}

function subscriptions(posted) {
  return posted.filter((m) => m.type === 'vanto.diag.subscribe');
}

// Waits until the page's latest subscription does (or does not) include the meters; the page posts
// it when the panel's toggle event has run, and the request is seen a moment later.
async function latestSubscriptionHasMeters(page, posted, wanted) {
  const deadline = Date.now() + 3000;
  while (subscriptions(posted).at(-1)?.feeds.includes('meters') !== wanted) {
    assert.ok(Date.now() < deadline, `the page's subscription still ${wanted ? 'lacks' : 'has'} the meters`);
    await page.waitForTimeout(20);
  }
}

describe('live meters', () => {
  it('subscribes to the meters while the panel shows and moves with the demo', async () => {
    const { page, problems, posted } = editor;
    await page.locator('#meters-panel').scrollIntoViewIfNeeded();
    await page.waitForFunction(() => window.__controllerMessages.some((m) => m.type === 'vanto.meters'));
    await latestSubscriptionHasMeters(page, posted, true);
    const samples = [];
    for (let i = 0; i < 25; i += 1) {
      samples.push(await shownMeters(page));
      await page.waitForTimeout(80);
    }
    const lows = samples.map((s) => s.lowBand);
    const kicks = samples.map((s) => s.kick);
    assert.ok(Math.min(...lows) < -0.1, `the low band ducks: ${lows}`);
    assert.ok(Math.max(...lows) - Math.min(...lows) > 0.1, `and recovers between kicks: ${lows}`);
    assert.ok(Math.max(...kicks) > Math.min(...kicks), `the kick lane's reduction moves: ${kicks}`);
    assert.ok(samples.every((s) => s.input > -40), 'the demo is well above silence at the input');
    assert.ok(samples.every((s) => s.held >= -40), 'the output keeps a held peak');
    assert.ok(samples.at(-1).hits >= 4, `the trace marks the kicks of the last two bars: ${samples.at(-1).hits}`);
    const frames = await received(page, 'vanto.meters');
    assert.ok(frames.every((f) => f.records.every((r) => r.lanes.length === 4 && r.bells.length === 4)));
    assert.deepEqual(problems, []);

    const folder = process.env.DOVREL_SCREENSHOT_DIR;
    if (folder) {
      fs.mkdirSync(folder, { recursive: true });
      await page.locator('#meters-panel').screenshot({ path: path.join(folder, 'meters.png') });
    }
  });

  it('ends the subscription and the frames when the panel is closed, and takes them up again when opened', async () => {
    const { page, posted } = editor;
    await page.click('#meters-panel > summary');
    await latestSubscriptionHasMeters(page, posted, false);
    // A frame already on its way may still come; after that nothing.
    await page.waitForTimeout(200);
    const before_ = (await received(page, 'vanto.meters')).length;
    await page.waitForTimeout(600);
    assert.equal((await received(page, 'vanto.meters')).length, before_);

    await page.click('#meters-panel > summary');
    await latestSubscriptionHasMeters(page, posted, true);
    await page.waitForFunction((n) => window.__controllerMessages.filter((m) => m.type === 'vanto.meters').length > n, before_);
  });
});
