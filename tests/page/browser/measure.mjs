// Prints the editor page's figures: its size on disk, the time from page load to its first complete
// drawing in Chromium, and the round trip of a "vanto.setParam" to its "vanto.paramChanged" through
// dovrel-preview (the preview reads processed changes back into the controller, as hosts that
// reflect automation do). Figures only; nothing here passes or fails on a time.
import fs from 'node:fs';
import path from 'node:path';
import { openEditor, startBrowser, startPreview } from './editor-session.mjs';

const LOADS = 7;
const ROUND_TRIPS = 40;

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
}

function pageSize(folder) {
  let bytes = 0;
  let blocks = 0;
  let files = 0;
  const walk = (dir) => {
    for (const entry of fs.readdirSync(dir, { withFileTypes: true })) {
      const full = path.join(dir, entry.name);
      if (entry.isDirectory()) walk(full);
      else {
        const stat = fs.statSync(full);
        bytes += stat.size;
        blocks += stat.blocks * 512;
        files += 1;
      }
    }
  };
  walk(folder);
  return { files, bytes, blocks };
}

const size = pageSize(process.env.DOVREL_UI_DIR);
console.log(`page size: ${size.files} files, ${(size.bytes / 1024).toFixed(1)} KiB (${(size.blocks / 1024).toFixed(0)} KiB of disk blocks)`);

const preview = await startPreview();
const browser = await startBrowser();
try {
  const draws = [];
  for (let i = 0; i < LOADS; i += 1) {
    const { page } = await openEditor(browser.context, preview.address);
    draws.push(await page.evaluate(() => performance.getEntriesByName('dovrel-first-complete-draw')[0].startTime));
    await page.close();
  }
  console.log(`page load to first complete drawing: median ${median(draws).toFixed(0)} ms over ${LOADS} loads (${draws.map((d) => d.toFixed(0)).join(', ')} ms)`);

  const { page } = await openEditor(browser.context, preview.address);
  const trips = await page.evaluate(async (count) => {
    const times = [];
    for (let i = 0; i < count; i += 1) {
      const value = 0.2 + (i % 2) * 0.5 + i / 1000;
      const arrived = new Promise((resolve) => {
        window.vantoHost.onMessage((m) => {
          if (m.type === 'vanto.paramChanged' && m.path === 'mix.amount' && Math.abs(m.value - value) < 1e-9) resolve(performance.now());
        });
      });
      const sent = performance.now();
      window.vantoHost.postMessage({ type: 'vanto.setParam', path: 'mix.amount', value });
      times.push((await arrived) - sent);
    }
    return times;
  }, ROUND_TRIPS);
  const sorted = [...trips].sort((a, b) => a - b);
  console.log(`vanto.setParam to vanto.paramChanged: median ${median(trips).toFixed(1)} ms, 90th percentile ${sorted[Math.floor(sorted.length * 0.9)].toFixed(1)} ms over ${ROUND_TRIPS} round trips`);
} finally {
  await browser.close();
  await preview.stop();
}
