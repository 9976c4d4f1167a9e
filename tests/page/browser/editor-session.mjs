// A running dovrel-preview and a headless Debian Chromium driven through playwright-core, for the
// browser tests and the measurements. DOVREL_PREVIEW names the preview program; DOVREL_BUNDLE the
// bundle it serves (the build's).
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { chromium } from 'playwright-core';

const CHROMIUM_FLAGS = ['--no-sandbox', '--disable-gpu', '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run'];

// `extraArgs`: further options for dovrel-preview, such as a changing host transport.
export async function startPreview(extraArgs = []) {
  const program = process.env.DOVREL_PREVIEW;
  if (!program) throw new Error('DOVREL_PREVIEW must name the dovrel-preview program');
  const args = process.env.DOVREL_BUNDLE ? ['--bundle', process.env.DOVREL_BUNDLE] : [];
  const child = spawn(program, [...args, ...extraArgs, '--port', '0'], { stdio: ['ignore', 'pipe', 'inherit'] });
  const address = await new Promise((resolve, reject) => {
    let text = '';
    child.stdout.on('data', (chunk) => {
      text += chunk;
      const line = text.match(/^(http:\/\/127\.0\.0\.1:\d+\/)\n/);
      if (line) resolve(line[1]);
    });
    child.on('exit', (code) => reject(new Error(`dovrel-preview ended with ${code} before it was ready`)));
  });
  return {
    address,
    stop: () => new Promise((resolve) => {
      child.on('exit', (code, signal) => resolve({ code, signal }));
      child.kill('SIGINT');
    }),
  };
}

export async function startBrowser(viewport = { width: 940, height: 740 }) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dovrel-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.DOVREL_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    viewport,
    acceptDownloads: true,
    args: CHROMIUM_FLAGS,
  });
  return {
    context,
    close: async () => {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

// Records every message the controller delivers to the page, from the moment the page API exists.
function recordControllerMessages() {
  window.__controllerMessages = [];
  let host;
  Object.defineProperty(window, 'vantoHost', {
    configurable: true,
    get: () => host,
    set: (value) => {
      host = value;
      value.onMessage((message) => window.__controllerMessages.push(message));
    },
  });
}

// A fresh page at `address` whose console problems, uncaught errors and posted messages are kept.
export async function openEditor(context, address) {
  const page = await context.newPage();
  const problems = [];
  const posted = [];
  page.on('console', (message) => {
    if (message.type() === 'error' || message.type() === 'warning') problems.push(`${message.type()}: ${message.text()}`);
  });
  page.on('pageerror', (error) => problems.push(`uncaught: ${error.message}`));
  page.on('request', (request) => {
    if (request.method() === 'POST' && request.url().endsWith('/.vanto-preview/bridge')) posted.push(JSON.parse(request.postData()));
  });
  await page.addInitScript(recordControllerMessages);
  await page.goto(address);
  await page.waitForSelector('body[data-state="ready"]');
  return { page, problems, posted };
}

// Messages of a type the page has received so far.
export function received(page, type) {
  return page.evaluate((t) => window.__controllerMessages.filter((m) => m.type === t), type);
}

// The controller's state document, asked for as the page would ask.
export async function controllerState(page) {
  const before = (await received(page, 'vanto.state')).length;
  await page.evaluate(() => window.vantoHost.postMessage({ type: 'vanto.getState' }));
  await page.waitForFunction((n) => window.__controllerMessages.filter((m) => m.type === 'vanto.state').length > n, before);
  return (await received(page, 'vanto.state')).at(-1).state;
}

// Waits until the controller's value of `path` satisfies `accept` (edits reach it asynchronously).
export async function controllerValueWhen(page, path, accept, what) {
  const deadline = Date.now() + 5000;
  let value;
  while (Date.now() < deadline) {
    value = (await controllerState(page)).params[path];
    if (accept(value)) return value;
    await page.waitForTimeout(50);
  }
  throw new Error(`${path} stayed at ${value} in the controller; expected ${what}`);
}

// The plain values the page's controls show, by path.
export function shownValues(page) {
  return page.$$eval('[role="slider"]', (sliders) => Object.fromEntries(sliders.map((s) => [s.closest('[data-path]').dataset.path, Number(s.getAttribute('aria-valuenow'))])));
}
