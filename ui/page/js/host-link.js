// The page's link to the controller through the page API object, window.vantoHost: messages out as
// {type, …fields}, messages in dispatched by their type.
export function connectHost(api) {
  const listeners = new Map();
  api?.onMessage((message) => {
    for (const listener of listeners.get(message?.type) ?? []) listener(message);
  });
  return {
    connected: Boolean(api),
    send(type, fields = {}) {
      api?.postMessage({ type, ...fields });
    },
    on(type, listener) {
      listeners.set(type, [...(listeners.get(type) ?? []), listener]);
    },
  };
}
