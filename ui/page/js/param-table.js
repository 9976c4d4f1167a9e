// The effect's 34 parameters as the page knows them: the kernel's own table (kernel-facts.js), looked up
// by path, and the groups the editor lays them out in.
import { PARAMS } from './kernel-facts.js';

export { PARAMS };

const BY_PATH = new Map(PARAMS.map((row) => [row.path, row]));

export const MACRO_PATHS = Object.freeze(['macro.space', 'macro.dovrel', 'macro.glue']);

// The groups below the macros, in the order a producer works through them.
export const GROUP_ORDER = Object.freeze(['Sync', 'Sidechain', 'Time', 'Budget', 'Detect', 'Shape', 'Glue', 'Mix', 'Master']);

export function paramByPath(path) {
  const row = BY_PATH.get(path);
  if (!row) throw new Error(`no parameter has the path ${path}`);
  return row;
}

export function hasParam(path) {
  return BY_PATH.has(path);
}

// The rows of a group, in table order.
export function paramsOfGroup(group) {
  return PARAMS.filter((row) => row.group === group);
}
