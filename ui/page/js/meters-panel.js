// Live meters, shown while the panel is open and on screen: gain reduction of each detection lane, of
// the low band and of the glue; input and output levels with peak hold; the bells on a small spectrum
// sketch; and a scrolling trace of the low band's gain with the hits, on the groove picture's time
// scale (grid lines on the kicks of the current division, two bars across). The page subscribes to
// the "meters" feed only while the panel can be seen.
import { el } from './dom.js';
import { grooveTiming } from './groove-model.js';
import { bellCurveDb, FLOOR_DB, foldRecords, LANES, MeterTrace, PeakHold } from './meters-model.js';

const REDUCTION_RANGE_DB = 6;
const LEVEL_RANGE_DB = 60;
const SKETCH_RANGE_DB = 12;
const TRACE_BARS = 2;
const LANE_COLORS = ['--accent', '--swing', '--ok', '--text-muted'];

function cssColor(name) {
  return getComputedStyle(document.documentElement).getPropertyValue(name).trim();
}

function dbText(db) {
  return `${db <= FLOOR_DB ? '−∞' : (Math.round(db * 10) / 10).toFixed(1).replace('-', '−')} dB`;
}

// A vertical bar of `db` over `range`, filled from the top (a reduction) or from the bottom.
function reductionBar(name, id) {
  const fill = el('div', { class: 'meter-fill' });
  const value = el('output', { class: 'meter-value', text: dbText(0) });
  const node = el('div', { class: 'meter-gr', 'data-meter': id, 'data-db': '0' }, [el('div', { class: 'meter-track' }, [fill]), value, el('span', { class: 'meter-name', text: name })]);
  return {
    node,
    show(db) {
      node.dataset.db = String(db);
      fill.style.height = `${Math.min(100, (Math.abs(db) / REDUCTION_RANGE_DB) * 100)}%`;
      value.textContent = dbText(-Math.abs(db));
    },
  };
}

// A horizontal level bar with its held peak.
function levelBar(name, id) {
  const rms = el('div', { class: 'level-rms' });
  const peak = el('div', { class: 'level-peak' });
  const hold = el('div', { class: 'level-hold' });
  const value = el('output', { class: 'meter-value', text: dbText(FLOOR_DB) });
  const node = el('div', { class: 'meter-level', 'data-meter': id, 'data-db': String(FLOOR_DB) }, [el('span', { class: 'meter-name', text: name }), el('div', { class: 'level-track' }, [peak, rms, hold]), value]);
  const width = (db) => `${Math.max(0, Math.min(100, ((db + LEVEL_RANGE_DB) / LEVEL_RANGE_DB) * 100))}%`;
  const held = new PeakHold();
  return {
    node,
    show({ peakDb, rmsDb }, nowMs) {
      const heldDb = held.update(peakDb, nowMs);
      node.dataset.db = String(peakDb);
      node.dataset.held = String(heldDb);
      peak.style.width = width(peakDb);
      rms.style.width = width(rmsDb);
      hold.style.left = width(heldDb);
      value.textContent = dbText(heldDb);
    },
  };
}

export class MetersPanel {
  #session;
  #subscription;
  #frameRate = 48000;
  #trace = new MeterTrace(8);
  #shown = foldRecords([]);
  #gr = [...LANES.map((name, i) => reductionBar(name, `lane-${i}`)), reductionBar('Low band', 'low-band'), reductionBar('Glue', 'glue')];
  #levels = [levelBar('In L', 'input-0'), levelBar('In R', 'input-1'), levelBar('Out L', 'output-0'), levelBar('Out R', 'output-1')];
  #sketch = el('canvas', { class: 'meter-sketch', role: 'img', 'aria-label': 'Bell gains over frequency' });
  #traceCanvas = el('canvas', { class: 'meter-trace', role: 'img', 'aria-label': 'Low-band gain over the last two bars, with the hits', 'data-hits': '0' });
  #onScreen = false;
  #pending = false;

  constructor(link, session, subscription) {
    this.#session = session;
    this.#subscription = subscription;
    this.node = el('details', { class: 'panel', id: 'meters-panel', open: true, ontoggle: () => this.#updateSubscription() }, [
      el('summary', { text: 'Meters' }),
      el('div', { class: 'meters-grid' }, [
        el('section', { class: 'meters-gr', 'aria-label': 'Gain reduction' }, this.#gr.map((bar) => bar.node)),
        el('section', { class: 'meters-levels', 'aria-label': 'Levels' }, this.#levels.map((bar) => bar.node)),
        this.#sketch,
        this.#traceCanvas,
      ]),
    ]);
    link.on('vanto.meters', (frame) => this.#adopt(frame));
    new IntersectionObserver(([entry]) => {
      this.#onScreen = entry.isIntersecting;
      this.#updateSubscription();
    }).observe(this.node);
    document.addEventListener('visibilitychange', () => this.#updateSubscription());
    window.addEventListener('pagehide', () => this.#subscription.want('meters', false));
  }

  get visible() {
    return this.node.open && this.#onScreen && document.visibilityState === 'visible';
  }

  #updateSubscription() {
    this.#subscription.want('meters', this.visible);
  }

  #adopt(frame) {
    const records = frame.records ?? [];
    if (records.length === 0) return;
    this.#frameRate = frame.frameRate ?? this.#frameRate;
    this.#trace.add(records, this.#frameRate);
    this.#shown = foldRecords(records);
    if (this.#pending) return;
    this.#pending = true;
    requestAnimationFrame(() => {
      this.#pending = false;
      this.#draw();
    });
  }

  #draw() {
    const shown = this.#shown;
    const now = performance.now();
    shown.lanes.forEach((db, i) => this.#gr[i].show(db));
    this.#gr[4].show(shown.lowBandGainDb);
    this.#gr[5].show(shown.glueReductionDb);
    [...shown.input, ...shown.output].forEach((level, i) => this.#levels[i].show(level, now));
    this.#drawSketch(shown.bells);
    this.#drawTrace();
  }

  #context(canvas) {
    const ratio = window.devicePixelRatio || 1;
    const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
    const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
    if (canvas.width !== width || canvas.height !== height) Object.assign(canvas, { width, height });
    const g = canvas.getContext('2d');
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    g.fillStyle = cssColor('--surface-sunken');
    g.fillRect(0, 0, canvas.clientWidth, canvas.clientHeight);
    g.font = `11px ${cssColor('--font-ui')}`;
    return { g, w: canvas.clientWidth, h: canvas.clientHeight };
  }

  // 20 Hz to 20 kHz on a log scale, ±12 dB; each bell switched on is marked at its frequency.
  #drawSketch(bells) {
    const { g, w, h } = this.#context(this.#sketch);
    const x = (hz) => (Math.log10(hz / 20) / 3) * w;
    const y = (db) => h / 2 - (db / SKETCH_RANGE_DB) * (h / 2 - 4);
    g.strokeStyle = cssColor('--grid');
    for (const hz of [100, 1000, 10000]) {
      g.beginPath();
      g.moveTo(Math.round(x(hz)) + 0.5, 0);
      g.lineTo(Math.round(x(hz)) + 0.5, h);
      g.stroke();
    }
    g.beginPath();
    g.moveTo(0, y(0));
    g.lineTo(w, y(0));
    g.stroke();
    g.beginPath();
    for (let px = 0; px <= w; px += 2) g.lineTo(px, y(bellCurveDb(bells, 20 * 10 ** ((3 * px) / w))));
    g.strokeStyle = cssColor('--accent');
    g.lineWidth = 2;
    g.stroke();
    g.lineWidth = 1;
    g.fillStyle = cssColor('--text-muted');
    for (const bell of bells.filter((b) => b.on)) {
      g.beginPath();
      g.arc(x(bell.hz), y(bell.gainDb), 3, 0, 2 * Math.PI);
      g.fill();
    }
    g.fillText('Bells', 4, 12);
  }

  // The last two bars of low-band gain, newest on the right, with grid lines on the kicks of the
  // current division and a dot at the top for every hit, coloured by lane.
  #drawTrace() {
    const { g, w, h } = this.#context(this.#traceCanvas);
    const timing = grooveTiming(this.#session.values());
    const window_ = timing.barSeconds * TRACE_BARS;
    const end = this.#trace.end;
    const x = (time) => w - ((end - time) / window_) * w;
    const top = 14;
    const y = (db) => top + (Math.min(REDUCTION_RANGE_DB, -db) / REDUCTION_RANGE_DB) * (h - top - 2);
    g.strokeStyle = cssColor('--grid');
    const firstKick = Math.ceil((end - window_) / timing.kickPeriod) * timing.kickPeriod;
    for (let t = firstKick; t <= end; t += timing.kickPeriod) {
      g.beginPath();
      g.moveTo(Math.round(x(t)) + 0.5, top);
      g.lineTo(Math.round(x(t)) + 0.5, h);
      g.stroke();
    }
    g.beginPath();
    for (const point of this.#trace.points) g.lineTo(x(point.time), y(point.gainDb));
    g.strokeStyle = cssColor('--accent');
    g.lineWidth = 2;
    g.stroke();
    g.lineWidth = 1;
    const hits = this.#trace.hits.filter((hit) => hit.time >= end - window_);
    for (const hit of hits) {
      g.beginPath();
      g.arc(x(hit.time), top - 6, 3, 0, 2 * Math.PI);
      g.fillStyle = cssColor(LANE_COLORS[hit.lane]);
      g.fill();
    }
    this.#traceCanvas.dataset.hits = String(hits.length);
    g.fillStyle = cssColor('--text-muted');
    g.fillText(`Low band · last ${TRACE_BARS} bars`, 4, h - 4);
  }
}
