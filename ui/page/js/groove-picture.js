// The groove picture: the low band's ducking over one bar at the current settings, with the beats,
// the kicks (filled: a hit; ringed: a kick that only restarted the hold; an accent line: a hit whose
// hold is swung) and the window after each hit in which its strength is captured (attack and hold).
// It is redrawn once per frame at most, whenever a value it depends on changes. While the timing
// follows the host's tempo ("sync.source" Host), the picture is drawn at that tempo.
import { el } from './dom.js';
import { grooveEnvelope } from './groove-model.js';
import { noteValueName } from './choice-labels.js';

const INPUTS = new Set(['sync.bpm', 'time.division', 'time.feel', 'time.swing', 'time.hold', 'time.attack', 'time.adapt', 'macro.dovrel', 'macro.space', 'macro.glue', 'budget.maxReduction']);

function cssColor(name) {
  return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
}

function milliseconds(seconds) {
  return `${Math.round(seconds * 1000)} ms`;
}

export class GroovePicture {
  #session;
  #canvas;
  #caption;
  #pending = false;
  #waiting = [];
  #hostBpm = null;

  constructor(session) {
    this.#session = session;
    this.#canvas = el('canvas', { class: 'groove-canvas', role: 'img', 'aria-label': 'Ducking envelope over one bar' });
    this.#caption = el('p', { class: 'groove-caption' });
    this.node = el('figure', { class: 'groove' }, [this.#canvas, el('figcaption', {}, [this.#caption])]);
    session.onAnyValue((path) => {
      if (INPUTS.has(path)) this.schedule();
    });
    new ResizeObserver(() => this.schedule()).observe(this.#canvas);
  }

  // The effective tempo the controller reports ({bpm, source}); the host's one replaces "sync.bpm".
  followTempo(tempo) {
    this.#hostBpm = tempo?.source === 'Host' ? tempo.bpm : null;
    this.schedule();
  }

  // Resolves after the next drawing.
  drawn() {
    return new Promise((resolve) => {
      this.#waiting.push(resolve);
      this.schedule();
    });
  }

  schedule() {
    if (this.#pending) return;
    this.#pending = true;
    requestAnimationFrame(() => {
      this.#pending = false;
      this.#draw();
      for (const resolve of this.#waiting.splice(0)) resolve();
    });
  }

  #draw() {
    const canvas = this.#canvas;
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== width || canvas.height !== height) Object.assign(canvas, { width, height });
    const values = this.#session.values();
    if (this.#hostBpm !== null) values['sync.bpm'] = this.#hostBpm;
    const envelope = grooveEnvelope(values, { pointsPerSecond: 2000 });
    const g = canvas.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    this.#paint(g, canvas.clientWidth, canvas.clientHeight, envelope);
    this.#describe(envelope);
  }

  #paint(g, w, h, { timing, reduction, hits, pointsPerSecond }) {
    const top = 18;
    const plot = h - top - 4;
    const x = (seconds) => (seconds / timing.barSeconds) * w;
    g.fillStyle = cssColor('--surface-sunken');
    g.fillRect(0, 0, w, h);
    g.strokeStyle = cssColor('--grid');
    g.lineWidth = 1;
    for (let t = 0; t < timing.barSeconds - 1e-9; t += timing.kickPeriod) {
      g.beginPath();
      g.moveTo(Math.round(x(t)) + 0.5, top);
      g.lineTo(Math.round(x(t)) + 0.5, h);
      g.stroke();
    }
    g.fillStyle = cssColor('--text-muted');
    g.font = `11px ${cssColor('--font-ui')}`;
    for (let beat = 0; beat < 4; beat += 1) g.fillText(String(beat + 1), x(beat * timing.beat) + 4, 12);

    g.fillStyle = cssColor('--capture');
    for (const hit of hits) {
      if (hit.did !== 'hit') continue;
      g.fillRect(x(hit.time), top, Math.max(1, x(timing.attackSeconds + timing.holdSeconds)), 4);
    }

    g.beginPath();
    g.moveTo(0, top);
    reduction.forEach((value, i) => g.lineTo(x(i / pointsPerSecond), top + value * plot));
    g.lineTo(w, top);
    g.closePath();
    g.fillStyle = cssColor('--duck-fill');
    g.fill();
    g.beginPath();
    reduction.forEach((value, i) => g.lineTo(x(i / pointsPerSecond), top + value * plot));
    g.strokeStyle = cssColor('--accent');
    g.lineWidth = 2;
    g.stroke();

    for (const hit of hits) {
      const hx = x(hit.time);
      g.beginPath();
      g.arc(hx, top, 4, 0, 2 * Math.PI);
      g.fillStyle = cssColor(hit.swung ? '--swing' : '--accent');
      g.strokeStyle = g.fillStyle;
      if (hit.did === 'hit') g.fill();
      else g.stroke();
    }
  }

  #describe({ timing }) {
    const depth = timing.depthDb * timing.lowBandShare;
    const text = `Kick on every ${noteValueName(timing.divisionBeats)} at ${Math.round(timing.bpm)} BPM · hold ${milliseconds(timing.holdSeconds)}`
      + ` · release ${milliseconds(timing.releaseSeconds)} · swing ${milliseconds(timing.swingSeconds)}`
      + ` · low band down by up to ${depth.toFixed(1)} dB`;
    this.#caption.textContent = text;
    this.#canvas.setAttribute('aria-label', `Ducking envelope over one bar. ${text}`);
  }
}
