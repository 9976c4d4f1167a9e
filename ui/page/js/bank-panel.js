// Sample banks: a bank folder or a hosted bank pinned by its SHA-256, the instrument to take, the
// loaded bank's instruments and presets, per-pad overrides, and every error of "vanto.bankState" in
// words with what to do.
import { explainBankError } from './bank-errors.js';
import { el, replaceChildren } from './dom.js';
import { documentOfPads, MAX_PADS, PAD_FIELDS, padErrors, padsOfDocument } from './pad-overrides.js';

const SHA256_HEX = /^[0-9a-f]{64}$/;

function input(id, label, attributes = {}) {
  const field = el('input', { id, type: 'text', autocomplete: 'off', spellcheck: 'false', ...attributes });
  return { field, node: el('div', { class: 'form-field' }, [el('label', { for: id, text: label }), field]) };
}

export class BankPanel {
  #link;
  #folder = input('bank-folder', 'Bank folder');
  #folderInstrument = input('bank-folder-instrument', 'Instrument (optional)');
  #url = input('bank-url', 'Hosted bank address (https)', { inputmode: 'url' });
  #sha = input('bank-sha256', 'SHA-256 pin (64 hex digits)');
  #urlInstrument = input('bank-url-instrument', 'Instrument (optional)');
  #message = el('div', { class: 'bank-message', role: 'alert' });
  #runtime = el('div', { class: 'bank-runtime' });
  #presets = el('ul', { class: 'bank-presets' });
  #pads = [];
  #padList = el('ol', { class: 'pad-list' });
  #padStatus = el('p', { class: 'panel-status', role: 'status', 'aria-live': 'polite' });
  #source = null;

  // onBankPresets(list) is told the loaded bank's presets whenever they change.
  constructor(link, onBankPresets) {
    this.#link = link;
    this.onBankPresets = onBankPresets;
    link.on('vanto.bankState', (state) => this.adopt(state));
    link.on('vanto.folderPicked', (reply) => this.#folderPicked(reply));
    const button = (text, onclick, id) => el('button', { type: 'button', class: 'tool', text, onclick, id });
    this.node = el('details', { class: 'panel', id: 'bank-panel' }, [
      el('summary', { text: 'Sample banks' }),
      el('div', { class: 'bank-forms' }, [
        el('fieldset', {}, [el('legend', { text: 'From a folder' }), this.#folder.node, this.#folderInstrument.node,
          el('div', { class: 'panel-actions' }, [button('Load folder', () => this.#loadFolder(), 'bank-load-folder'), button('Pick folder…', () => link.send('vanto.pickFolder'), 'bank-pick-folder')])]),
        el('fieldset', {}, [el('legend', { text: 'Hosted' }), this.#url.node, this.#sha.node, this.#urlInstrument.node,
          el('div', { class: 'panel-actions' }, [button('Download and load', () => this.#loadHosted(), 'bank-load-hosted')])]),
      ]),
      this.#message,
      this.#runtime,
      el('h3', { text: 'Bank presets' }),
      this.#presets,
      el('h3', { text: 'Pad overrides' }),
      el('p', { class: 'panel-help', text: 'Override how a pad of the bank plays. Empty fields keep the bank’s own setting.' }),
      this.#padList,
      el('div', { class: 'panel-actions' }, [button('Add pad', () => this.#addPad(), 'pad-add'), button('Send overrides', () => this.#sendPads(), 'pad-send')]),
      this.#padStatus,
    ]);
  }

  adopt(state) {
    this.#showError(state.error);
    this.#showRuntime(state.runtime);
    const bankPresets = state.presets?.bankScoped ? state.presets.items : [];
    replaceChildren(this.#presets, bankPresets.length === 0
      ? el('li', { class: 'empty', text: 'No bank presets: load a bank that has some.' })
      : bankPresets.map((p) => el('li', {}, [el('span', { text: p.name }), el('button', { type: 'button', class: 'tool', text: 'Load', onclick: () => this.#link.send('vanto.loadBankPreset', { id: p.id }) })])));
    this.onBankPresets?.(bankPresets);
    this.#pads = padsOfDocument(state.pads);
    this.#renderPads();
  }

  #showError(error) {
    if (!error) {
      replaceChildren(this.#message, []);
      return;
    }
    const { what, todo } = explainBankError(error);
    replaceChildren(this.#message, [el('p', { class: 'error-what', text: what }), el('p', { class: 'error-todo', text: todo })]);
  }

  #showRuntime(runtime) {
    this.#source = runtime ?? null;
    if (!runtime) {
      replaceChildren(this.#runtime, el('p', { class: 'empty', text: 'No bank loaded.' }));
      return;
    }
    const use = (id) => this.#link.send('vanto.loadBank', { source: runtime.source, bankPath: runtime.locator, url: runtime.locator, instrument: id });
    replaceChildren(this.#runtime, [
      el('p', { text: `Loaded from ${runtime.locator} (${runtime.source})${runtime.instrument ? `, instrument ${runtime.instrument.name}` : ''}.` }),
      el('ul', { class: 'bank-instruments' }, (runtime.positionings ?? []).map((p) =>
        el('li', {}, [el('span', { text: `${p.name} (${p.list})` }), el('button', { type: 'button', class: 'tool', text: 'Use', onclick: () => use(p.id) })]))),
    ]);
  }

  #say(text) {
    replaceChildren(this.#message, text ? el('p', { class: 'error-what', text }) : []);
  }

  #loadFolder() {
    const bankPath = this.#folder.field.value.trim();
    if (!bankPath) return this.#say('Give the path of the bank’s folder first.');
    this.#say('');
    this.#link.send('vanto.loadBank', { source: 'user-folder', bankPath, instrument: this.#folderInstrument.field.value.trim() });
  }

  #loadHosted() {
    const url = this.#url.field.value.trim();
    const sha256 = this.#sha.field.value.trim().toLowerCase();
    if (!/^https:\/\/\S+$/i.test(url)) return this.#say('A hosted bank’s address must start with https://.');
    if (!SHA256_HEX.test(sha256)) return this.#say('The pin must be the bank archive’s SHA-256: 64 hexadecimal digits.');
    this.#say('');
    this.#link.send('vanto.loadBank', { source: 'hosted', url, sha256, instrument: this.#urlInstrument.field.value.trim() });
  }

  #folderPicked(reply) {
    if (reply.ok) this.#folder.field.value = reply.path;
    else if (!reply.cancelled) this.#say(`No folder picker: ${reply.error}. Type the folder’s path instead.`);
  }

  #addPad() {
    if (this.#pads.length >= MAX_PADS) return;
    this.#pads.push({ padId: '', values: {} });
    this.#renderPads();
  }

  #sendPads() {
    const problems = this.#pads.flatMap((pad, i) => padErrors(pad, this.#pads.filter((_, j) => j < i).map((p) => p.padId)));
    if (problems.length > 0) {
      this.#padStatus.textContent = 'Not sent: fix the marked fields first.';
      return;
    }
    this.#link.send('vanto.setPadOverrides', { pads: documentOfPads(this.#pads) });
    this.#padStatus.textContent = `Sent overrides for ${this.#pads.length} pad${this.#pads.length === 1 ? '' : 's'}.`;
  }

  #renderPads() {
    replaceChildren(this.#padList, this.#pads.map((pad, index) => this.#padItem(pad, index)));
  }

  #padItem(pad, index) {
    const errorsList = el('ul', { class: 'cc-errors', role: 'alert' });
    const refresh = () => {
      const others = this.#pads.filter((_, j) => j < index).map((p) => p.padId);
      replaceChildren(errorsList, padErrors(pad, others).map((e) => el('li', { text: e.message })));
    };
    const id = (key) => `pad-${index}-${key}`;
    const fields = PAD_FIELDS.map((f) => el('div', { class: 'cc-field' }, [
      el('label', { for: id(f.key), text: f.label }),
      el('input', { id: id(f.key), type: 'text', inputmode: 'decimal', value: pad.values[f.key] ?? '', oninput: (e) => {
        const text = e.target.value.trim();
        if (text === '') delete pad.values[f.key];
        else pad.values[f.key] = Number(text);
        refresh();
      } }),
    ]));
    const item = el('li', { class: 'pad' }, [
      el('div', { class: 'cc-fields' }, [
        el('div', { class: 'cc-field' }, [el('label', { for: id('id'), text: 'Pad id' }),
          el('input', { id: id('id'), type: 'text', value: pad.padId, oninput: (e) => { pad.padId = e.target.value; refresh(); } })]),
        ...fields,
        el('button', { type: 'button', class: 'tool', text: 'Remove', 'aria-label': `Remove pad ${index + 1}`, onclick: () => { this.#pads.splice(index, 1); this.#renderPads(); } }),
      ]),
      errorsList,
    ]);
    refresh();
    return item;
  }
}
