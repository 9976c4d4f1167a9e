// What the meters show, worked out from the "vanto.meters" records (see docs/meters.md): levels in
// dB, peak hold, the recent low-band gain with the hits for the scrolling trace, and the bells' curve
// for the spectrum sketch. No drawing here.
export const LANES = Object.freeze(['Kick', 'Clap', 'Perc', 'Sustain']);
export const FLOOR_DB = -72;

// dBFS of a linear peak, no lower than FLOOR_DB.
export function peakDb(peak) {
  return peak > 0 ? Math.max(FLOOR_DB, 20 * Math.log10(peak)) : FLOOR_DB;
}

// dBFS of a mean square (an RMS level), no lower than FLOOR_DB.
export function meanSquareDb(meanSquare) {
  return meanSquare > 0 ? Math.max(FLOOR_DB, 10 * Math.log10(meanSquare)) : FLOOR_DB;
}

// The records of one frame folded into what the meters show now: the strongest ducks, the deepest
// low-band gain and glue reduction, the loudest peaks, the mean squares over all the records' frames
// and the bells of the newest record.
export function foldRecords(records) {
  const lanes = LANES.map(() => 0);
  let lowBandGainDb = 0;
  let glueReductionDb = 0;
  const peaks = { input: [0, 0], output: [0, 0] };
  const squares = { input: [0, 0], output: [0, 0] };
  let frames = 0;
  for (const record of records) {
    record.lanes.forEach((lane, i) => { lanes[i] = Math.max(lanes[i], lane.duckDb); });
    lowBandGainDb = Math.min(lowBandGainDb, record.lowBandGainDb);
    glueReductionDb = Math.max(glueReductionDb, record.glueReductionDb);
    for (const side of ['input', 'output']) {
      for (const ch of [0, 1]) {
        peaks[side][ch] = Math.max(peaks[side][ch], record[side].peak[ch]);
        squares[side][ch] += record[side].meanSquare[ch] * record.frames;
      }
    }
    frames += record.frames;
  }
  const level = (side) => [0, 1].map((ch) => ({ peakDb: peakDb(peaks[side][ch]), rmsDb: meanSquareDb(frames > 0 ? squares[side][ch] / frames : 0) }));
  return { lanes, lowBandGainDb, glueReductionDb, input: level('input'), output: level('output'), bells: records.at(-1)?.bells ?? [] };
}

// A peak meter's hold: the highest level stays for `holdMs`, then falls at `fallDbPerSecond`.
export class PeakHold {
  #level = FLOOR_DB;
  #since = 0;

  constructor(holdMs = 1500, fallDbPerSecond = 20) {
    this.holdMs = holdMs;
    this.fallDbPerSecond = fallDbPerSecond;
  }

  // The held level at `nowMs` after a new reading of `db`.
  update(db, nowMs) {
    const fallen = this.#level - Math.max(0, nowMs - this.#since - this.holdMs) * this.fallDbPerSecond / 1000;
    if (db >= fallen) {
      this.#level = db;
      this.#since = nowMs;
    }
    return Math.max(db, fallen);
  }
}

// The last `seconds` of low-band gain and hits, in seconds of the effect's own time.
export class MeterTrace {
  #points = [];
  #hits = [];

  constructor(seconds) {
    this.seconds = seconds;
  }

  add(records, frameRate) {
    for (const record of records) {
      const start = record.at / frameRate;
      this.#points.push({ time: start + record.frames / frameRate, gainDb: record.lowBandGainDb });
      record.lanes.forEach((lane, index) => {
        if (lane.hit !== null) this.#hits.push({ time: start + lane.hit / frameRate, lane: index });
      });
    }
    const oldest = this.end - this.seconds;
    this.#points = this.#points.filter((p) => p.time >= oldest);
    this.#hits = this.#hits.filter((h) => h.time >= oldest);
  }

  get end() {
    return this.#points.at(-1)?.time ?? 0;
  }

  get points() {
    return this.#points;
  }

  get hits() {
    return this.#hits;
  }
}

// The bells' combined gain in dB at `hz`: each bell a bump of its gain, about an octave wide.
export function bellCurveDb(bells, hz) {
  let db = 0;
  for (const bell of bells) {
    if (!bell.on || !(bell.hz > 0)) continue;
    const octaves = Math.log2(hz / bell.hz);
    db += bell.gainDb * Math.exp(-(octaves * octaves) / (2 * 0.35 * 0.35));
  }
  return db;
}
