// The bar at the top: the preset menu with the current preset's name and dirty mark, undo and redo,
// and the state's export and import as a file.
import { el, replaceChildren } from './dom.js';
import { downloadState, readStateText } from './state-file.js';

export class Toolbar {
  #link;
  #menu;
  #dirtyMark;
  #revert;
  #undo;
  #redo;
  #status;
  #factory = [];
  #bank = [];
  #current = null;
  #onPreset;
  #exportPending = false;

  // onPreset({id, name, origin}) is told of a preset the producer picks.
  constructor(link, history, onPreset) {
    this.#link = link;
    this.#onPreset = onPreset;
    this.#menu = el('select', { id: 'preset-menu', class: 'preset-menu', 'aria-label': 'Preset', onchange: () => this.#pick() });
    this.#dirtyMark = el('span', { class: 'dirty-mark', id: 'dirty-mark', hidden: true, text: 'edited' });
    this.#revert = el('button', { type: 'button', class: 'tool', hidden: true, text: 'Revert', title: 'Load the current preset again', onclick: () => this.#reload() });
    this.#undo = el('button', { type: 'button', class: 'tool', id: 'undo', text: 'Undo', disabled: true, title: 'Undo (Ctrl+Z)', onclick: () => this.onUndo?.() });
    this.#redo = el('button', { type: 'button', class: 'tool', id: 'redo', text: 'Redo', disabled: true, title: 'Redo (Ctrl+Shift+Z)', onclick: () => this.onRedo?.() });
    const fileInput = el('input', { type: 'file', accept: 'application/json,.json', hidden: true, id: 'state-file', onchange: (e) => this.#import(e.target) });
    this.#status = el('p', { class: 'toolbar-status', role: 'status', 'aria-live': 'polite' });
    history.onChange(() => {
      this.#undo.disabled = !history.canUndo;
      this.#redo.disabled = !history.canRedo;
    });
    link.on('vanto.state', (message) => {
      if (!this.#exportPending) return;
      this.#exportPending = false;
      downloadState(message.state);
    });
    this.node = el('header', { class: 'toolbar' }, [
      el('h1', { class: 'brand', text: 'Dovrel' }),
      el('div', { class: 'preset-box' }, [this.#menu, this.#dirtyMark, this.#revert]),
      el('div', { class: 'tools' }, [
        this.#undo,
        this.#redo,
        el('button', { type: 'button', class: 'tool', id: 'export-state', text: 'Export', title: 'Save the whole state as a file', onclick: () => this.#export() }),
        el('button', { type: 'button', class: 'tool', id: 'import-state', text: 'Import', title: 'Load a saved state file', onclick: () => fileInput.click() }),
        fileInput,
      ]),
      this.#status,
    ]);
    this.#render();
  }

  setFactoryPresets(presets) {
    this.#factory = presets.map(({ id, name }) => ({ id, name }));
    this.#render();
  }

  setBankPresets(presets) {
    this.#bank = presets.map(({ id, name }) => ({ id, name }));
    this.#render();
  }

  showPreset(current, dirty) {
    this.#current = current;
    this.#dirtyMark.hidden = !dirty;
    this.#revert.hidden = !dirty || !current;
    this.#menu.setAttribute('aria-description', dirty ? 'edited since loaded' : '');
    this.#showCurrent();
  }

  showStatus(text) {
    this.#status.textContent = text;
  }

  #export() {
    this.#exportPending = true;
    this.#link.send('vanto.getState');
  }

  #render() {
    const option = (origin, p) => el('option', { value: `${origin}:${p.id}`, text: p.name });
    const groups = [el('optgroup', { label: 'Factory' }, this.#factory.map((p) => option('factory', p)))];
    if (this.#bank.length > 0) groups.push(el('optgroup', { label: 'Bank' }, this.#bank.map((p) => option('bank', p))));
    replaceChildren(this.#menu, [el('option', { value: '', disabled: true }), ...groups]);
    this.#showCurrent();
  }

  // The current preset selected in the menu; one the menu does not list is named by its first entry.
  #showCurrent() {
    const placeholder = this.#menu.options[0];
    placeholder.textContent = this.#current ? this.#current.name : 'No preset';
    const known = this.#current && [...this.#menu.options].find((o) => o.value.endsWith(`:${this.#current.id}`));
    this.#menu.value = known ? known.value : '';
  }

  #pick() {
    const [origin, ...rest] = this.#menu.value.split(':');
    const id = rest.join(':');
    const preset = [...(origin === 'bank' ? this.#bank : this.#factory)].find((p) => p.id === id);
    if (!preset) return;
    this.#onPreset({ ...preset, origin });
    this.#link.send(origin === 'bank' ? 'vanto.loadBankPreset' : 'vanto.loadFactoryPreset', { id });
  }

  #reload() {
    if (!this.#current) return;
    const origin = this.#bank.some((p) => p.id === this.#current.id) ? 'bank' : 'factory';
    this.#onPreset({ ...this.#current, origin });
    this.#link.send(origin === 'bank' ? 'vanto.loadBankPreset' : 'vanto.loadFactoryPreset', { id: this.#current.id });
  }

  async #import(input) {
    const file = input.files?.[0];
    input.value = '';
    if (!file) return;
    const { state, error } = readStateText(await file.text());
    if (error) {
      this.showStatus(error);
      return;
    }
    this.#link.send('vanto.setState', { state });
    this.showStatus(`Loaded ${file.name}.`);
  }
}
