// Diagnostics, collapsed by default: the runtime health report with its records, the identity of
// plug-in and page, the host's configuration and its changes, the lifecycle timeline and the
// transport feed.
import { el, replaceChildren } from './dom.js';

const TIMELINE_LIMIT = 256;

function facts(entries) {
  return el('dl', { class: 'facts' }, entries.filter(([, value]) => value !== undefined && value !== null && value !== '')
    .flatMap(([name, value]) => [el('dt', { text: name }), el('dd', { text: typeof value === 'object' ? JSON.stringify(value) : String(value) })]));
}

function detailText(detail) {
  return detail ? Object.entries(detail).map(([k, v]) => `${k} ${v}`).join(', ') : '';
}

function section(title, body) {
  return el('section', { class: 'diag-section' }, [el('h3', { text: title }), body]);
}

export class DiagnosticsPanel {
  #health = el('div');
  #identity = el('div');
  #host = el('div');
  #changes = el('ol', { class: 'diag-list' });
  #timeline = el('ol', { class: 'diag-list', reversed: true });
  #transport = el('div');
  #events = new Map();

  constructor(link) {
    link.on('vanto.runtimeDiagnostics', (m) => this.showHealth(m.report));
    link.on('vanto.hostChanged', (m) => this.#hostChanged(m));
    link.on('vanto.lifecycle', (m) => this.#lifecycle(m));
    link.on('vanto.transport', (m) => this.#showTransport(m.frame));
    this.node = el('details', { class: 'panel', id: 'diagnostics-panel' }, [
      el('summary', { text: 'Diagnostics' }),
      el('div', { class: 'diag-grid' }, [
        section('Runtime health', this.#health),
        section('Identity', this.#identity),
        section('Host', el('div', {}, [this.#host, el('h4', { text: 'Changes' }), this.#changes])),
        section('Lifecycle', this.#timeline),
        section('Transport', this.#transport),
      ]),
    ]);
    this.showHealth(null);
    this.#showTransport(null);
  }

  adoptHello(hello) {
    this.showHealth(hello.runtimeHealth ?? null);
    const { identity = {}, plugin = {} } = hello;
    replaceChildren(this.#identity, facts([
      ['Plug-in', `${plugin.name} ${plugin.version} by ${plugin.vendor}`],
      ['Module', identity.moduleId],
      ['Format', identity.target],
      ['Page built', identity.ui?.buildTime],
      ['Page revision', identity.ui?.sourceRevision],
      ['Page SHA-256', identity.ui?.sha256],
      ['Kernel rate', identity.ratePolicy ? `${identity.ratePolicy.sampleRate} Hz (${identity.ratePolicy.mode})` : undefined],
    ]));
    this.#showHost(hello.host);
  }

  showHealth(report) {
    if (!report) {
      replaceChildren(this.#health, el('p', { class: 'empty', text: 'No report from the processor yet: all is well so far.' }));
      return;
    }
    const records = report.diagnostics ?? [];
    replaceChildren(this.#health, [
      el('p', {}, [el('span', { class: `status status-${report.status}`, text: report.status }),
        ` ${report.counters?.diagnostics ?? 0} records, ${report.counters?.['diagnostics.dropped'] ?? 0} dropped`]),
      el('ol', { class: 'diag-list' }, records.map((r) => el('li', {}, [
        el('strong', { text: `${r.severity} · ${r.code}` }), ` (${r.phase}) ${r.message}`,
        r.context?.detail ? el('span', { class: 'detail', text: ` — ${r.context.detail}` }) : null,
      ]))),
    ]);
  }

  #showHost(host) {
    if (!host) {
      replaceChildren(this.#host, el('p', { class: 'empty', text: 'The host has not set up processing yet.' }));
      return;
    }
    replaceChildren(this.#host, facts([
      ['Host', host.hostName], ['Validator', host.validatorHost], ['Sample rate', host.sampleRate && `${host.sampleRate} Hz`],
      ['Block size', host.maxBlockFrames], ['Last block', host.lastBlockFrames], ['Mode', host.processMode],
      ['Sample size', host.sampleSize && `${host.sampleSize}-bit`], ['Latency', `${host.latencySamples} samples`],
      ['Tail', host.tailSamples], ['Kernel rate', host.internalSampleRate && `${host.internalSampleRate} Hz`],
      ['Buses', (host.buses ?? []).map((b) => `${b.id} ${b.channels} ch${b.layout ? ` ${b.layout}` : ''}${b.active ? '' : ' (off)'}`).join(', ')],
      ['Bypassed', host.bypassed],
    ]));
  }

  #hostChanged(message) {
    const kind = message.event?.kind ?? 'changed';
    this.#changes.prepend(el('li', { text: `${kind}: ${detailText(message.host)}` }));
  }

  // Single events and whole replays alike merge into the timeline by their sequence numbers.
  #lifecycle(message) {
    for (const event of message.events ?? []) this.#events.set(event.seq, event);
    const newestFirst = [...this.#events.values()].sort((a, b) => b.seq - a.seq).slice(0, TIMELINE_LIMIT);
    this.#events = new Map(newestFirst.map((e) => [e.seq, e]));
    replaceChildren(this.#timeline, newestFirst.map((e) => el('li', {}, [
      el('span', { class: 'time', text: `${(e.timeMs / 1000).toFixed(2)} s` }), ` ${e.kind}`,
      e.detail ? el('span', { class: 'detail', text: ` — ${detailText(e.detail)}` }) : null,
    ])));
  }

  #showTransport(frame) {
    if (!frame) {
      replaceChildren(this.#transport, el('p', { class: 'empty', text: 'No transport reported by the host.' }));
      return;
    }
    const s = frame.state;
    replaceChildren(this.#transport, facts([
      ['Source', frame.source], ['Playing', s.playing ? 'yes' : 'no'], ['Recording', s.recording ? 'yes' : 'no'],
      ['Tempo', s.tempo && `${s.tempo} BPM`], ['Time signature', `${s.timeSignature.numerator}/${s.timeSignature.denominator}`],
      ['Position', s.ppqPosition !== null ? `${s.ppqPosition.toFixed(2)} quarters` : null],
      ['Loop', s.looping ? `${s.loopStartPpq} to ${s.loopEndPpq}` : 'off'], ['Sample rate', s.sampleRate && `${s.sampleRate} Hz`],
    ]));
  }
}
