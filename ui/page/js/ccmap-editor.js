// The MIDI CC map editor: every field of every binding, bindings added and removed, problems told in
// words next to the field. A map without problems goes to the controller at once ("vanto.setCcMap");
// the controller's own copy ("vanto.ccMapChanged", the hello) replaces the page's unless it is the
// one the page just sent. "Learn" on a binding takes the next controller that arrives ("vanto.midiCc",
// while the page subscribes to "midiIn") as the binding's controller number and channel.
import {
  bindingErrors,
  bindingsOfDocument,
  CURVES,
  documentOfBindings,
  mapErrors,
  mapNotes,
  MAX_BINDINGS,
  newBinding,
  TAKEOVERS,
  VALUE_MODES,
} from './ccmap-model.js';
import { el, replaceChildren } from './dom.js';
import { PARAMS } from './param-table.js';

const NAMES = {
  linear: 'Linear', exp: 'Exponential', log: 'Logarithmic', 's-curve': 'S-curve',
  absolute: 'Absolute', 'relative-signed-bit': 'Relative (signed bit)', 'relative-binary-offset': 'Relative (binary offset)',
  'relative-twos-complement': "Relative (two's complement)", toggle: 'Toggle',
  none: 'Jump', pickup: 'Pick up', scaled: 'Scaled',
};

function numberOrNaN(text) {
  const trimmed = text.trim();
  return /^[+-]?(\d+(\.\d*)?|\.\d+)(e[+-]?\d+)?$/i.test(trimmed) ? Number(trimmed) : NaN;
}

export class CcMapEditor {
  #link;
  #bindings = [];
  #list;
  #status;
  #notes;
  #lastSent = null;
  #learning = null; // the index of the binding waiting for a controller, or null

  constructor(link) {
    this.#link = link;
    this.#list = el('ol', { class: 'cc-bindings' });
    this.#status = el('p', { class: 'panel-status', role: 'status', 'aria-live': 'polite' });
    this.#notes = el('ul', { class: 'cc-notes' });
    const add = el('button', { type: 'button', class: 'tool', id: 'cc-add', text: 'Add binding', onclick: () => this.#add() });
    this.node = el('details', { class: 'panel', id: 'midi-panel' }, [
      el('summary', { text: 'MIDI controllers' }),
      el('p', { class: 'panel-help', text: 'Bind a MIDI CC to a parameter. Lowest and highest limit the range the controller sweeps; leave them empty for the whole range.' }),
      this.#list,
      el('div', { class: 'panel-actions' }, [add]),
      this.#status,
      this.#notes,
    ]);
    link.on('vanto.ccMapChanged', (message) => this.adopt(message.map));
    link.on('vanto.midiCc', (message) => this.#learnt(message));
    this.#render();
  }

  // A map document from the controller.
  adopt(document_) {
    const text = JSON.stringify(documentOfBindings(bindingsOfDocument(document_)));
    if (text === this.#lastSent) return;
    this.#bindings = bindingsOfDocument(document_);
    this.#lastSent = text;
    this.#learning = null;
    this.#render();
  }

  #add() {
    if (this.#bindings.length >= MAX_BINDINGS) {
      this.#status.textContent = `A map holds at most ${MAX_BINDINGS} bindings.`;
      return;
    }
    const used = new Set(this.#bindings.map((b) => b.cc));
    const cc = [...Array(128).keys()].find((n) => n >= 1 && !used.has(n)) ?? 0;
    this.#bindings.push(newBinding('macro.dovrel', cc));
    this.#render();
    this.#send();
    this.#list.lastElementChild?.querySelector('select')?.focus();
  }

  #remove(index) {
    this.#bindings.splice(index, 1);
    this.#learning = null;
    this.#render();
    this.#send();
  }

  #change(index, field, value) {
    this.#bindings[index] = { ...this.#bindings[index], [field]: value };
    if (field === 'path') Object.assign(this.#bindings[index], { min: null, max: null });
    this.#showProblems();
    this.#send();
  }

  #learn(index) {
    this.#learning = this.#learning === index ? null : index;
    this.#render();
    this.#status.textContent = this.#learning === null ? 'Learning cancelled.' : `Binding ${index + 1}: move a controller.`;
  }

  #learnt({ cc, channel }) {
    const index = this.#learning;
    if (index === null || !Number.isInteger(cc) || !Number.isInteger(channel)) return;
    this.#learning = null;
    this.#bindings[index] = { ...this.#bindings[index], cc, channel };
    this.#render();
    this.#send();
    this.#status.textContent = `Binding ${index + 1} learnt CC ${cc} on channel ${channel}.`;
  }

  #send() {
    if (mapErrors(this.#bindings).length > 0) {
      this.#status.textContent = 'Not sent: fix the marked fields first.';
      return;
    }
    const document_ = documentOfBindings(this.#bindings);
    this.#lastSent = JSON.stringify(document_);
    this.#link.send('vanto.setCcMap', { map: document_ });
    const count = this.#bindings.length;
    this.#status.textContent = count === 0 ? 'No bindings.' : `Sent ${count} binding${count === 1 ? '' : 's'} to the plug-in.`;
  }

  #render() {
    replaceChildren(this.#list, this.#bindings.map((binding, index) => this.#bindingItem(binding, index)));
    this.#showProblems();
  }

  #showProblems() {
    const items = [...this.#list.children];
    this.#bindings.forEach((binding, index) => {
      const item = items[index];
      const errors = bindingErrors(binding);
      for (const input of item.querySelectorAll('[data-field]')) {
        const problem = errors.find((e) => e.field === input.dataset.field);
        input.setAttribute('aria-invalid', problem ? 'true' : 'false');
      }
      replaceChildren(item.querySelector('.cc-errors'), errors.map((e) => el('li', { text: e.message })));
    });
    const limit = mapErrors(this.#bindings).filter((e) => e.index < 0);
    const notes = mapNotes(this.#bindings).map((n) => `Binding ${n.index + 1}: ${n.message}.`);
    replaceChildren(this.#notes, [...limit.map((e) => e.message), ...notes].map((text) => el('li', { text })));
  }

  #bindingItem(binding, index) {
    const id = (field) => `cc-${index}-${field}`;
    const field = (name, label, control) => el('div', { class: 'cc-field' }, [el('label', { for: id(name), text: label }), control]);
    const choice = (name, values, current, read = (v) => v) =>
      el('select', { id: id(name), 'data-field': name, onchange: (e) => this.#change(index, name, read(e.target.value)) },
        values.map(([value, text]) => el('option', { value, text, selected: String(value) === String(current) })));
    const text = (name, value, read) =>
      el('input', { id: id(name), 'data-field': name, type: 'text', inputmode: 'decimal', value: value ?? '', autocomplete: 'off',
        oninput: (e) => this.#change(index, name, read(e.target.value)) });
    const optionalNumber = (t) => (t.trim() === '' ? null : numberOrNaN(t));
    return el('li', { class: 'cc-binding' }, [
      el('div', { class: 'cc-fields' }, [
        field('path', 'Parameter', choice('path', PARAMS.map((r) => [r.path, `${r.title} (${r.group})`]), binding.path)),
        field('cc', 'CC number', text('cc', binding.cc, numberOrNaN)),
        field('channel', 'Channel', choice('channel', [[0, 'Any'], ...[...Array(16).keys()].map((n) => [n + 1, String(n + 1)])], binding.channel, Number)),
        field('min', 'Lowest', text('min', binding.min, optionalNumber)),
        field('max', 'Highest', text('max', binding.max, optionalNumber)),
        field('curve', 'Curve', choice('curve', CURVES.map((c) => [c, NAMES[c]]), binding.curve)),
        field('valueMode', 'Value mode', choice('valueMode', VALUE_MODES.map((m) => [m, NAMES[m]]), binding.valueMode)),
        field('takeover', 'Takeover', choice('takeover', TAKEOVERS.map((t) => [t, NAMES[t]]), binding.takeover)),
        el('div', { class: 'cc-field cc-enabled' }, [
          el('input', { type: 'checkbox', id: id('enabled'), 'data-field': 'enabled', checked: binding.enabled, onchange: (e) => this.#change(index, 'enabled', e.target.checked) }),
          el('label', { for: id('enabled'), text: 'Enabled' }),
        ]),
        el('button', { type: 'button', class: 'tool cc-learn', text: this.#learning === index ? 'Listening…' : 'Learn', 'aria-pressed': String(this.#learning === index),
          'aria-label': `Learn the controller of binding ${index + 1}`, onclick: () => this.#learn(index) }),
        el('button', { type: 'button', class: 'tool cc-remove', text: 'Remove', 'aria-label': `Remove binding ${index + 1}`, onclick: () => this.#remove(index) }),
      ]),
      el('ul', { class: 'cc-errors', role: 'alert' }),
    ]);
  }
}
