// One parameter's control: a dial (the macros) or a bar, with its title and a value field. Every
// control takes a drag (Shift for fine steps), the mouse wheel, the arrow, Page and Home/End keys,
// typed entry in the value field (choices pick from a list) and a double-click (or Delete) back to the
// default. Drags and wheel turns are one gesture each, bracketed for the host.
import { choiceLabels, CHOICE_HINTS } from './choice-labels.js';
import { el } from './dom.js';
import { formatNumber, formatPlain, parsePlain } from './param-format.js';
import { stepCount, toNormalized, toPlain } from './param-values.js';

const DIAL_DRAG_PIXELS = 220;
const FINE = 10;
const WHEEL_GESTURE_MS = 400;
const SVG = 'http://www.w3.org/2000/svg';
const DIAL_SWEEP = 270;

function svg(tag, attributes) {
  const node = document.createElementNS(SVG, tag);
  for (const [name, value] of Object.entries(attributes)) node.setAttribute(name, value);
  return node;
}

function arcPath(fraction) {
  const start = (135 * Math.PI) / 180;
  const end = start + (DIAL_SWEEP * Math.PI * fraction) / 180;
  const r = 40;
  const point = (angle) => `${50 + r * Math.cos(angle)} ${50 + r * Math.sin(angle)}`;
  const large = DIAL_SWEEP * fraction > 180 ? 1 : 0;
  return `M ${point(start)} A ${r} ${r} 0 ${large} 1 ${point(end)}`;
}

function dialVisual() {
  const face = svg('svg', { viewBox: '0 0 100 100', 'aria-hidden': 'true', class: 'dial-face' });
  const track = svg('path', { d: arcPath(1), class: 'dial-track' });
  const fill = svg('path', { d: arcPath(0), class: 'dial-fill' });
  const pointer = svg('line', { x1: 50, y1: 50, x2: 50, y2: 18, class: 'dial-pointer' });
  face.append(track, fill, pointer);
  return {
    node: face,
    show(fraction) {
      fill.setAttribute('d', fraction > 0.001 ? arcPath(fraction) : '');
      pointer.setAttribute('transform', `rotate(${-135 + DIAL_SWEEP * fraction} 50 50)`);
    },
  };
}

function barVisual(ticks) {
  const fill = el('div', { class: 'bar-fill' });
  const thumb = el('div', { class: 'bar-thumb' });
  const marks = ticks > 1 ? [...Array(ticks).keys()].map((i) => {
    const mark = el('span', { class: 'bar-tick' });
    mark.style.left = `${(100 * i) / (ticks - 1)}%`;
    return mark;
  }) : [];
  const node = el('div', { class: 'bar-track', 'aria-hidden': 'true' }, [fill, ...marks, thumb]);
  return {
    node,
    show(fraction) {
      fill.style.width = `${fraction * 100}%`;
      thumb.style.left = `${fraction * 100}%`;
    },
  };
}

export class ParamControl {
  #row;
  #session;
  #surface;
  #visual;
  #field;
  #wheelTimer = null;
  #drag = null;

  constructor(row, session, { large = false } = {}) {
    this.#row = row;
    this.#session = session;
    const labels = choiceLabels(row);
    const id = `param-${row.path.replace('.', '-')}`;
    this.#visual = large ? dialVisual() : barVisual(labels ? labels.length : 0);
    this.#surface = el('div', {
      class: large ? 'param-surface dial' : 'param-surface bar',
      role: 'slider',
      tabindex: 0,
      'aria-labelledby': `${id}-title`,
      'aria-valuemin': row.min,
      'aria-valuemax': row.max,
      title: CHOICE_HINTS[row.path],
      onpointerdown: (e) => this.#startDrag(e),
      onpointermove: (e) => this.#moveDrag(e),
      onpointerup: (e) => this.#endDrag(e),
      onpointercancel: (e) => this.#endDrag(e),
      onwheel: (e) => this.#wheel(e),
      onkeydown: (e) => this.#key(e),
      ondblclick: () => this.#session.edit(row.path, row.defaultPlain),
    }, [this.#visual.node]);
    this.#field = labels ? this.#choiceField(id, labels) : this.#typedField(id);
    this.node = el('div', { class: large ? 'param param-large' : 'param', 'data-path': row.path }, [
      el('label', { class: 'param-title', id: `${id}-title`, for: `${id}-value`, text: row.title }),
      this.#surface,
      this.#field,
    ]);
    session.onValue(row.path, (plain) => this.show(plain));
    this.show(session.value(row.path));
  }

  show(plain) {
    const row = this.#row;
    this.#visual.show(toNormalized(row, plain));
    this.#surface.setAttribute('aria-valuenow', plain);
    this.#surface.setAttribute('aria-valuetext', formatPlain(row, plain));
    if (document.activeElement !== this.#field) {
      this.#field.value = this.#field.tagName === 'SELECT' ? String(Math.round(plain - row.min)) : formatPlain(row, plain);
    }
  }

  #typedField(id) {
    const row = this.#row;
    const field = el('input', {
      class: 'param-value',
      id: `${id}-value`,
      type: 'text',
      inputmode: 'decimal',
      autocomplete: 'off',
      spellcheck: 'false',
      onfocus: () => {
        field.value = formatNumber(row, this.#session.value(row.path));
        field.select();
      },
      onkeydown: (e) => {
        if (e.key === 'Enter') {
          this.#commitTyped(field);
          field.blur();
        } else if (e.key === 'Escape') {
          field.blur();
        }
      },
      onblur: () => this.#commitTyped(field),
    });
    return field;
  }

  #commitTyped(field) {
    const row = this.#row;
    const plain = parsePlain(row, field.value);
    if (plain !== null && field.value !== formatPlain(row, this.#session.value(row.path))) {
      this.#session.edit(row.path, plain);
    }
    field.value = formatPlain(row, this.#session.value(row.path));
  }

  #choiceField(id, labels) {
    const row = this.#row;
    return el('select', {
      class: 'param-value',
      id: `${id}-value`,
      onchange: (e) => this.#session.edit(row.path, row.min + Number(e.target.value)),
    }, labels.map((label, index) => el('option', { value: index, text: label })));
  }

  #normalized() {
    return toNormalized(this.#row, this.#session.value(this.#row.path));
  }

  #setNormalized(normalized) {
    this.#session.setDuringGesture(this.#row.path, toPlain(this.#row, normalized));
  }

  #pointerFraction(e) {
    const box = this.#surface.getBoundingClientRect();
    return Math.min(Math.max((e.clientX - box.left) / box.width, 0), 1);
  }

  #startDrag(e) {
    if (e.button !== 0) return;
    e.preventDefault();
    this.#surface.focus();
    this.#surface.setPointerCapture(e.pointerId);
    this.#session.beginGesture(this.#row.path);
    const dial = this.#surface.classList.contains('dial');
    this.#drag = { dial, x: e.clientX, y: e.clientY, start: this.#normalized() };
    if (!dial && !e.shiftKey) this.#setNormalized(this.#pointerFraction(e));
    this.#drag.start = this.#normalized();
  }

  #moveDrag(e) {
    if (!this.#drag) return;
    const drag = this.#drag;
    const fine = e.shiftKey ? 1 / FINE : 1;
    if (drag.dial) {
      const moved = (drag.y - e.clientY + (e.clientX - drag.x)) / DIAL_DRAG_PIXELS;
      this.#setNormalized(drag.start + moved * fine);
    } else if (e.shiftKey) {
      const width = this.#surface.getBoundingClientRect().width;
      this.#setNormalized(drag.start + ((e.clientX - drag.x) / width) * fine);
    } else {
      this.#setNormalized(this.#pointerFraction(e));
    }
  }

  #endDrag(e) {
    if (!this.#drag) return;
    this.#drag = null;
    if (this.#surface.hasPointerCapture(e.pointerId)) this.#surface.releasePointerCapture(e.pointerId);
    this.#session.endGesture(this.#row.path);
  }

  // One notch or key press: a step of stepped rows, 1 % of the range otherwise (0.1 % when fine).
  #nudge(steps, fine) {
    const row = this.#row;
    const count = stepCount(row);
    const unit = count > 1 ? 1 / (count - 1) : fine ? 0.001 : 0.01;
    this.#setNormalized(this.#normalized() + steps * unit);
  }

  #wheel(e) {
    e.preventDefault();
    if (e.deltaY === 0) return;
    this.#session.beginGesture(this.#row.path);
    this.#nudge(e.deltaY < 0 ? 1 : -1, e.shiftKey);
    clearTimeout(this.#wheelTimer);
    this.#wheelTimer = setTimeout(() => this.#session.endGesture(this.#row.path), WHEEL_GESTURE_MS);
  }

  #key(e) {
    const row = this.#row;
    const moves = { ArrowUp: 1, ArrowRight: 1, ArrowDown: -1, ArrowLeft: -1, PageUp: 10, PageDown: -10 };
    let target = null;
    if (e.key in moves) {
      this.#session.beginGesture(row.path);
      this.#nudge(moves[e.key], e.shiftKey);
      this.#session.endGesture(row.path);
    } else if (e.key === 'Home') target = row.min;
    else if (e.key === 'End') target = row.max;
    else if (e.key === 'Delete' || e.key === 'Backspace') target = row.defaultPlain;
    else if (e.key === 'Enter') {
      this.#field.focus();
    } else {
      return;
    }
    e.preventDefault();
    if (target !== null) this.#session.edit(row.path, target);
  }
}
