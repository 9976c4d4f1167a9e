// The tempo the effect's timing follows right now: "sync.bpm" (Manual), or the host's tempo while
// "sync.source" is Host and the host gives one. The controller works it out and reports each change.
import { el } from './dom.js';

export class TempoReadout {
  #value = el('output', { id: 'effective-tempo', 'aria-live': 'polite' });

  // onTempo(tempo) is told of every tempo the controller reports.
  constructor(link, onTempo = () => {}) {
    link.on('vanto.hello', (hello) => {
      this.show(hello.tempo);
      onTempo(hello.tempo);
    });
    link.on('vanto.tempo', (message) => {
      this.show(message.tempo);
      onTempo(message.tempo);
    });
    this.node = el('p', { class: 'tempo-readout' }, ['Effective tempo ', this.#value]);
    this.show(null);
  }

  show(tempo) {
    if (!tempo) {
      this.#value.textContent = '—';
      this.#value.title = '';
      return;
    }
    const host = tempo.hostBpm === null ? 'the host gives no tempo' : `host tempo ${tempo.hostBpm} BPM`;
    this.#value.textContent = `${tempo.bpm} BPM (${tempo.source})`;
    this.#value.dataset.source = tempo.source;
    this.#value.title = host;
  }
}
