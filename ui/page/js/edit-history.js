// Page-level undo and redo of parameter edits. Each step is one finished edit of one parameter: the
// value before it and the value after it.
const LIMIT = 200;

export class EditHistory {
  #done = [];
  #undone = [];
  #listeners = [];

  record(step) {
    this.#done.push(step);
    if (this.#done.length > LIMIT) this.#done.shift();
    this.#undone = [];
    this.#changed();
  }

  // The step to undo (its `before` is to be restored), or null.
  undo() {
    const step = this.#done.pop() ?? null;
    if (step) this.#undone.push(step);
    this.#changed();
    return step;
  }

  // The step to redo (its `after` is to be restored), or null.
  redo() {
    const step = this.#undone.pop() ?? null;
    if (step) this.#done.push(step);
    this.#changed();
    return step;
  }

  get canUndo() {
    return this.#done.length > 0;
  }

  get canRedo() {
    return this.#undone.length > 0;
  }

  onChange(listener) {
    this.#listeners.push(listener);
  }

  #changed() {
    for (const listener of this.#listeners) listener(this);
  }
}
