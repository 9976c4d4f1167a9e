// A small helper for building elements: el('div', {class: 'x', onclick: f}, [children]).
export function el(tag, attributes = {}, children = []) {
  const node = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    if (value === undefined || value === null || value === false) continue;
    if (name.startsWith('on')) node.addEventListener(name.slice(2), value);
    else if (name === 'text') node.textContent = value;
    else node.setAttribute(name, value === true ? '' : String(value));
  }
  for (const child of [children].flat()) {
    if (child !== null && child !== undefined) node.append(child);
  }
  return node;
}

// Replaces every child of `node`.
export function replaceChildren(node, children) {
  node.replaceChildren(...[children].flat().filter((child) => child !== null && child !== undefined));
}
