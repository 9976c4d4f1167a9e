// The parameter area: the three macros as large dials next to the groove picture, then the other
// parameters in the parameter table's groups.
import { el } from './dom.js';
import { GROUP_ORDER, MACRO_PATHS, paramByPath, paramsOfGroup } from './param-table.js';
import { ParamControl } from './param-control.js';

export function macroSection(session, picture) {
  const dials = MACRO_PATHS.map((path) => new ParamControl(paramByPath(path), session, { large: true }).node);
  return el('section', { class: 'macros', 'aria-label': 'Macros' }, [el('div', { class: 'macro-dials' }, dials), picture.node]);
}

export function groupSections(session) {
  return el('div', { class: 'groups' }, GROUP_ORDER.map((group) => {
    const headingId = `group-${group.toLowerCase()}`;
    const controls = paramsOfGroup(group).map((row) => new ParamControl(row, session).node);
    return el('section', { class: 'group', 'aria-labelledby': headingId }, [
      el('h2', { id: headingId, text: group }),
      el('div', { class: 'group-params' }, controls),
    ]);
  }));
}
