// The editor page in Chromium against the real controller, through dovrel-preview: loading, the
// parameters of the hello, edits by drag, typing and keyboard, presets with the dirty mark, undo and
// redo, the CC map through a state export and import and learnt from injected controllers, the groove
// picture, and the layout at the editor's smallest, default and largest sizes (with screenshots in
// DOVREL_SCREENSHOT_DIR).
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { after, before, describe, it } from 'node:test';
import { controllerState, controllerValueWhen, openEditor, received, shownValues, startBrowser, startPreview } from './editor-session.mjs';

const SIZES = [{ width: 480, height: 740 }, { width: 940, height: 740 }, { width: 1600, height: 1200 }];
const near = (a, b, range = 1) => Math.abs(a - b) <= 1e-6 * range;

let preview;
let browser;
let editor;

before(async () => {
  preview = await startPreview();
  browser = await startBrowser();
  editor = await openEditor(browser.context, preview.address);
});

after(async () => {
  await browser?.close();
  const ended = await preview?.stop();
  assert.deepEqual(ended, { code: 0, signal: null }, 'dovrel-preview stops cleanly on Ctrl-C');
});

async function loadPreset(page, name) {
  const value = await page.$eval('#preset-menu', (menu, n) => [...menu.options].find((o) => o.textContent === n).value, name);
  await page.selectOption('#preset-menu', value);
}

async function presetValues(page, name) {
  const [hello] = await received(page, 'vanto.hello');
  return hello.factoryPresets.find((p) => p.name === name).values;
}

async function waitForShown(page, path_, expected) {
  await page.waitForFunction(([p, v]) => Math.abs(Number(document.querySelector(`[data-path="${p}"] [role="slider"]`).getAttribute('aria-valuenow')) - v) < 1e-6, [path_, expected]);
}

describe('editor page', () => {
  it('loads without console errors or warnings and greets the controller with vanto.ready', async () => {
    const { page, problems, posted } = editor;
    assert.deepEqual(problems, []);
    assert.equal(posted[0]?.type, 'vanto.ready');
    assert.equal(posted.filter((m) => m.type === 'vanto.ready').length, 1);
    assert.equal((await received(page, 'vanto.hello')).length, 1);
  });

  it('shows the 34 parameters of the hello with their values', async () => {
    const { page } = editor;
    const [hello] = await received(page, 'vanto.hello');
    const shown = await shownValues(page);
    assert.equal(Object.keys(shown).length, 34);
    for (const { path: p, value } of hello.params) assert.ok(near(shown[p], value), `${p}: shows ${shown[p]}, hello says ${value}`);
    assert.equal(await page.inputValue('[data-path="glue.threshold"] .param-value'), '-18 dB');
    assert.equal(await page.$eval('[data-path="time.division"] select', (s) => s.selectedOptions[0].textContent), '1/8');
  });

  it('changes the controller’s values by dragging a macro and by typing a value', async () => {
    const { page } = editor;
    const dial = page.locator('[data-path="macro.space"] [role="slider"]');
    const box = await dial.boundingBox();
    await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2);
    await page.mouse.down();
    for (let step = 1; step <= 10; step += 1) await page.mouse.move(box.x + box.width / 2, box.y + box.height / 2 - step * 6);
    await page.mouse.up();
    const dragged = Number(await dial.getAttribute('aria-valuenow'));
    assert.ok(dragged > 0.5, `the drag moved Space to ${dragged}`);
    await controllerValueWhen(page, 'macro.space', (v) => near(v, dragged), dragged);

    await page.fill('[data-path="glue.ratio"] .param-value', '4.5 :1');
    await page.press('[data-path="glue.ratio"] .param-value', 'Enter');
    assert.equal(await page.inputValue('[data-path="glue.ratio"] .param-value'), '4.5:1');
    await controllerValueWhen(page, 'glue.ratio', (v) => near(v, 4.5), 4.5);
    const edits = editor.posted.filter((m) => m.path === 'glue.ratio').map((m) => m.type);
    assert.deepEqual(edits, ['vanto.beginEdit', 'vanto.setParam', 'vanto.endEdit']);
  });

  it('moves every control to a factory preset and clears the dirty mark', async () => {
    const { page } = editor;
    for (const name of ['Bounce', 'Pad Breathe']) {
      await loadPreset(page, name);
      const values = await presetValues(page, name);
      for (const [p, v] of Object.entries(values)) await waitForShown(page, p, v);
      assert.equal(await page.isVisible('#dirty-mark'), false, `${name} just loaded`);
      await page.focus('[data-path="time.swing"] [role="slider"]');
      await page.keyboard.press('ArrowUp');
      await page.waitForSelector('#dirty-mark', { state: 'visible' });
    }
    assert.equal(await page.$eval('#preset-menu', (m) => m.selectedOptions[0].textContent), 'Pad Breathe');
  });

  it('undoes and redoes edits in the page and the controller', async () => {
    const { page } = editor;
    const field = '[data-path="glue.threshold"] .param-value';
    const before_ = Number(await page.getAttribute('[data-path="glue.threshold"] [role="slider"]', 'aria-valuenow'));
    await page.fill(field, '-30');
    await page.press(field, 'Enter');
    await controllerValueWhen(page, 'glue.threshold', (v) => near(v, -30, 40), -30);
    await page.click('#undo');
    await waitForShown(page, 'glue.threshold', before_);
    await controllerValueWhen(page, 'glue.threshold', (v) => near(v, before_, 40), before_);
    await page.click('#redo');
    await waitForShown(page, 'glue.threshold', -30);
    await controllerValueWhen(page, 'glue.threshold', (v) => near(v, -30, 40), -30);
  });

  it('keeps a CC binding added in the page through a state export and import', async () => {
    const { page } = editor;
    await page.click('#midi-panel > summary');
    await page.click('#cc-add');
    await page.selectOption('#cc-0-path', 'macro.glue');
    await page.fill('#cc-0-cc', '74');
    await page.fill('#cc-0-max', '0.8');
    await page.waitForFunction(() => document.querySelector('#midi-panel .panel-status').textContent.startsWith('Sent 1 binding'));
    const [download] = await Promise.all([page.waitForEvent('download'), page.click('#export-state')]);
    const file = await download.path();
    const saved = JSON.parse(fs.readFileSync(file, 'utf8'));
    assert.deepEqual(saved.ccMap.bindings, [{ cc: 74, path: 'macro.glue', max: 0.8 }]);

    await page.click('.cc-remove');
    assert.equal(await page.locator('.cc-binding').count(), 0);
    assert.deepEqual((await controllerState(page)).ccMap?.bindings ?? [], []);
    await page.setInputFiles('#state-file', file);
    await page.waitForSelector('.cc-binding');
    assert.equal(await page.inputValue('#cc-0-cc'), '74');
    assert.equal(await page.inputValue('#cc-0-path'), 'macro.glue');
    assert.deepEqual((await controllerState(page)).ccMap.bindings, [{ cc: 74, path: 'macro.glue', max: 0.8 }]);
  });

  it('tells a CC binding’s problems in words and sends nothing until they are fixed', async () => {
    const { page } = editor;
    await page.fill('#cc-0-cc', '200');
    await page.waitForSelector('.cc-errors li');
    assert.match(await page.textContent('.cc-errors'), /whole number from 0 to 127/);
    assert.equal(await page.getAttribute('#cc-0-cc', 'aria-invalid'), 'true');
    assert.equal((await controllerState(page)).ccMap.bindings[0].cc, 74);
    await page.fill('#cc-0-cc', '75');
    await page.waitForFunction(() => document.querySelectorAll('.cc-errors li').length === 0);
    await controllerState(page).then((s) => assert.equal(s.ccMap.bindings[0].cc, 75));
  });

  it('learns a binding’s controller from the next one that arrives, then follows that controller', async () => {
    const { page, problems } = editor;
    const inject = async (channel, cc, value) => {
      const reply = await fetch(`${preview.address}.vanto-preview/midi-cc?channel=${channel}&cc=${cc}&value=${value}`, { method: 'POST', headers: { 'X-Vanto-Bridge': '1' } });
      assert.equal(reply.status, 204);
    };
    await page.click('.cc-learn');
    assert.equal(await page.getAttribute('.cc-learn', 'aria-pressed'), 'true');
    await inject(3, 21, 10);
    await page.waitForFunction(() => document.querySelector('#cc-0-cc').value === '21');
    assert.equal(await page.inputValue('#cc-0-channel'), '3');
    assert.equal(await page.getAttribute('.cc-learn', 'aria-pressed'), 'false');
    assert.match(await page.textContent('#midi-panel .panel-status'), /learnt CC 21 on channel 3/);
    await controllerState(page).then((s) => assert.deepEqual(s.ccMap.bindings, [{ cc: 21, path: 'macro.glue', channel: 3, max: 0.8 }]));

    // Learning is over: other controllers leave the binding alone, and this one moves macro.glue up to its 0.8.
    await inject(5, 30, 64);
    await inject(3, 21, 127);
    await waitForShown(page, 'macro.glue', 0.8);
    await controllerValueWhen(page, 'macro.glue', (v) => near(v, 0.8), 0.8);
    assert.equal(await page.inputValue('#cc-0-cc'), '21');
    await inject(3, 21, 0);
    await waitForShown(page, 'macro.glue', 0);
    assert.deepEqual(problems, []);
  });

  it('redraws the groove picture when division or feel changes', async () => {
    const { page } = editor;
    const picture = () => page.$eval('.groove-canvas', (c) => c.toDataURL());
    const drawn = () => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
    const first = await picture();
    await page.selectOption('[data-path="time.division"] select', { label: '1/16' });
    await drawn();
    const second = await picture();
    assert.notEqual(second, first, 'division');
    await page.selectOption('[data-path="time.feel"] select', { label: 'Tight' });
    await drawn();
    assert.notEqual(await picture(), second, 'feel');
    assert.match(await page.textContent('.groove-caption'), /every 1\/16/);
  });

  it('reaches and changes a control with the keyboard alone, with visible focus', async () => {
    const { page } = editor;
    await page.reload();
    await page.waitForSelector('body[data-state="ready"]');
    let focused = null;
    for (let presses = 0; presses < 40 && focused !== 'macro.dovrel'; presses += 1) {
      await page.keyboard.press('Tab');
      focused = await page.evaluate(() => (document.activeElement.getAttribute('role') === 'slider' ? document.activeElement.closest('[data-path]').dataset.path : null));
    }
    assert.equal(focused, 'macro.dovrel');
    const outline = await page.evaluate(() => getComputedStyle(document.activeElement).outlineStyle);
    assert.notEqual(outline, 'none');
    const start = Number(await page.evaluate(() => document.activeElement.getAttribute('aria-valuenow')));
    await page.keyboard.press('ArrowUp');
    await page.keyboard.press('ArrowUp');
    const moved = Number(await page.evaluate(() => document.activeElement.getAttribute('aria-valuenow')));
    assert.ok(near(moved, start + 0.02, 10), `${start} → ${moved}`);
    await controllerValueWhen(page, 'macro.dovrel', (v) => near(v, moved, 10), moved);
  });
});

describe('layout', () => {
  // Problems of the laid-out page: content wider than the window, texts cut off, controls on top of
  // each other, text whose contrast with what is behind it is below 4.5:1.
  function layoutProblems() {
    const problems = [];
    const root = document.documentElement;
    if (root.scrollWidth > root.clientWidth) problems.push(`page is ${root.scrollWidth}px wide in a ${root.clientWidth}px window`);
    const boxes = [...document.querySelectorAll('.param')].map((e) => [e.dataset.path, e.getBoundingClientRect()]);
    for (let i = 0; i < boxes.length; i += 1) {
      for (let j = i + 1; j < boxes.length; j += 1) {
        const [a, ra] = boxes[i];
        const [b, rb] = boxes[j];
        if (ra.left < rb.right - 1 && rb.left < ra.right - 1 && ra.top < rb.bottom - 1 && rb.top < ra.bottom - 1) problems.push(`${a} overlaps ${b}`);
      }
    }
    for (const e of document.querySelectorAll('.param-title, .param-value, h2, summary, button, .groove-caption')) {
      if (e.offsetParent && (e.scrollWidth > e.clientWidth + 1 || e.scrollHeight > e.clientHeight + 1) && getComputedStyle(e).overflow !== 'visible') {
        problems.push(`${e.className || e.tagName} “${e.textContent || e.value}” is cut off`);
      }
    }
    const rgb = (text) => text.match(/[\d.]+/g).map(Number);
    const luminance = ([r, g, b]) => {
      const lin = (c) => ((c /= 255) <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4);
      return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b);
    };
    const backgroundOf = (e) => {
      for (let n = e; n; n = n.parentElement) {
        const c = rgb(getComputedStyle(n).backgroundColor);
        if (c.length === 3 || c[3] > 0) return c.slice(0, 3);
      }
      return [255, 255, 255];
    };
    const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
    const seen = new Set();
    for (let node = walker.nextNode(); node; node = walker.nextNode()) {
      const e = node.parentElement;
      if (!node.textContent.trim() || seen.has(e) || !e.offsetParent) continue;
      seen.add(e);
      const style = getComputedStyle(e);
      const fg = rgb(style.color);
      const [l1, l2] = [luminance(fg.slice(0, 3)), luminance(backgroundOf(e))].sort((x, y) => y - x);
      const ratio = (l1 + 0.05) / (l2 + 0.05);
      if (ratio < 4.5) problems.push(`“${node.textContent.trim().slice(0, 30)}” has contrast ${ratio.toFixed(2)}`);
    }
    return problems;
  }

  for (const size of SIZES) {
    it(`lays out at ${size.width} × ${size.height} without overflow, clipping, overlap or faint text`, async () => {
      const page = editor.page;
      await page.setViewportSize(size);
      await page.evaluate(() => document.querySelectorAll('details').forEach((d) => { d.open = true; }));
      assert.deepEqual(await page.evaluate(layoutProblems), []);
      await page.evaluate(() => document.querySelectorAll('details').forEach((d) => { d.open = false; }));
    });
  }

  it('writes screenshots of the default state and of a preset at every size', async () => {
    const folder = process.env.DOVREL_SCREENSHOT_DIR;
    assert.ok(folder, 'DOVREL_SCREENSHOT_DIR must name the folder for the screenshots');
    fs.mkdirSync(folder, { recursive: true });
    const fresh = await openEditor(browser.context, preview.address);
    const shoot = async (state) => {
      for (const size of SIZES) {
        await fresh.page.setViewportSize(size);
        await fresh.page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => requestAnimationFrame(resolve))));
        const file = path.join(folder, `${state}-${size.width}x${size.height}.png`);
        await fresh.page.screenshot({ path: file });
        assert.ok(fs.statSync(file).size > 10000, file);
      }
    };
    // The default state: every parameter at its table default, no CC map.
    const defaults = await fresh.page.evaluate(async () => {
      const { PARAMS } = await import('/js/kernel-facts.js');
      const params = Object.fromEntries(PARAMS.map((row) => [row.path, row.defaultPlain]));
      window.vantoHost.postMessage({ type: 'vanto.setState', state: { params, ccMap: { version: 1, bindings: [] } } });
      return params;
    });
    for (const [p, v] of Object.entries(defaults)) await waitForShown(fresh.page, p, v);
    await shoot('default');
    await loadPreset(fresh.page, 'Tight Modern');
    for (const [p, v] of Object.entries(await presetValues(fresh.page, 'Tight Modern'))) await waitForShown(fresh.page, p, v);
    await shoot('preset-tight-modern');
    assert.deepEqual(fresh.problems, []);
    await fresh.page.close();
  });
});
