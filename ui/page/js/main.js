// The editor page: builds itself, greets the controller with "vanto.ready", draws itself from the
// "vanto.hello" and keeps in step with every message the controller sends after it.
import { BankPanel } from './bank-panel.js';
import { CcMapEditor } from './ccmap-editor.js';
import { DiagnosticsPanel } from './diagnostics-panel.js';
import { el } from './dom.js';
import { EditHistory } from './edit-history.js';
import { FeedSubscription } from './feed-subscription.js';
import { GroovePicture } from './groove-picture.js';
import { connectHost } from './host-link.js';
import { MetersPanel } from './meters-panel.js';
import { groupSections, macroSection } from './param-panel.js';
import { ParamSession } from './param-session.js';
import { PresetTracker } from './preset-tracker.js';
import { TempoReadout } from './tempo-readout.js';
import { Toolbar } from './toolbar.js';

const FEEDS = ['lifecycle', 'transport', 'host', 'midiIn'];
const FIRST_DRAW_MARK = 'dovrel-first-complete-draw';

const link = connectHost(window.vantoHost);
const history = new EditHistory();
const session = new ParamSession(link, history);
const tracker = new PresetTracker();
const picture = new GroovePicture(session);

function showPreset() {
  toolbar.showPreset(tracker.current, tracker.isDirty(session.values()));
}

function presetChosen({ id, name }) {
  session.forgetSent();
  tracker.presetLoaded(id, name);
  showPreset();
}

const toolbar = new Toolbar(link, history, presetChosen);
const banks = new BankPanel(link, (presets) => {
  tracker.addPresets(presets.map((p) => ({ id: p.id, values: p.params })));
  toolbar.setBankPresets(presets);
  showPreset();
});
const ccMap = new CcMapEditor(link);
const diagnostics = new DiagnosticsPanel(link);
// Every subscription is answered with a replay of the lifecycle log, which the hello already summed up.
let replayPending = false;
const subscription = new FeedSubscription(link, FEEDS, 30, () => { replayPending = true; });
const meters = new MetersPanel(link, session, subscription);
const tempo = new TempoReadout(link, (t) => picture.followTempo(t));

function undo() {
  const step = history.undo();
  if (step) session.restore(step.path, step.before);
}

function redo() {
  const step = history.redo();
  if (step) session.restore(step.path, step.after);
}

toolbar.onUndo = undo;
toolbar.onRedo = redo;
// Ctrl+Z undoes, Ctrl+Shift+Z and Ctrl+Y redo; in a text field the keys keep their text meaning.
document.addEventListener('keydown', (e) => {
  const key = e.key.toLowerCase();
  const typing = e.target instanceof HTMLInputElement && e.target.type === 'text';
  if (!(e.ctrlKey || e.metaKey) || typing || (key !== 'z' && key !== 'y')) return;
  e.preventDefault();
  if (key === 'y' || e.shiftKey) redo();
  else undo();
});

session.onAnyValue((path, plain, origin) => {
  if (origin === 'page') tracker.noteEdit();
  showPreset();
});

link.on('vanto.hello', (hello) => {
  tracker.addPresets(hello.factoryPresets ?? []);
  toolbar.setFactoryPresets(hello.factoryPresets ?? []);
  for (const { path, value } of hello.params ?? []) session.applyFromHost(path, value);
  tracker.adoptControllerState(hello.presetState);
  ccMap.adopt(hello.ccMap ?? { version: 1, bindings: [] });
  diagnostics.adoptHello(hello);
  showPreset();
  subscription.start();
  link.send('vanto.getBankState');
  picture.drawn().then(() => {
    if (performance.getEntriesByName(FIRST_DRAW_MARK).length === 0) performance.mark(FIRST_DRAW_MARK);
    document.body.dataset.state = 'ready';
  });
});
link.on('vanto.paramChanged', (message) => session.applyFromHost(message.path, message.value));
// The first lifecycle message after subscribing replays history the hello already summed up; later
// ones tell of presets loaded now, by the page, the host or a bank.
link.on('vanto.lifecycle', (message) => {
  if (replayPending) {
    replayPending = false;
    return;
  }
  for (const event of message.events ?? []) {
    if (event.kind === 'presetLoaded') presetChosen({ id: event.detail?.id, name: event.detail?.name });
  }
});

document.body.append(
  toolbar.node,
  el('main', { class: 'editor' }, [
    el('p', { class: 'offline', hidden: link.connected, role: 'alert', text: 'This page is not connected to Dovrel: open it from the plug-in or from dovrel-preview.' }),
    tempo.node,
    macroSection(session, picture),
    meters.node,
    groupSections(session),
    ccMap.node,
    banks.node,
    diagnostics.node,
  ]),
);
link.send('vanto.ready');
