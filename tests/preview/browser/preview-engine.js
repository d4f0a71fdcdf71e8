// Joins the engine stand-in of the page tests (engine-shim/engine.js) to the
// program through the preview relay: what the page asks of the native side
// goes to the program's window, and the program's calls of the page's global
// functions are answered here.
//
// The page's native calls cannot wait for the window: while they would block
// this thread, the page could not answer the calls that the native method
// itself makes (StopDecryption logs a line that reaches the progress list).
// They return at once; their result arrives later in the call's record
// (__engine.calls[i].result, a promise).
(() => {
  "use strict";

  const engine = globalThis.__engine;
  let outbox = Promise.resolve();

  function post(path, body) {
    return fetch(path, {
      method: "POST",
      headers: { "content-type": "application/json" },
      body: JSON.stringify(body),
    }).then((response) => response.json());
  }

  // One after the other, so that the window sees them in the page's order
  // ("Stop" before closing).
  function toWindow(path, body) {
    const sent = outbox.then(() => post(path, body));
    outbox = sent.catch(() => undefined);
    return sent;
  }

  const FORWARDED = {
    "frame.DecryptWrapper": (args) => toWindow("/__preview/native", { method: "DecryptWrapper", args }),
    "frame.StopDecryption": (args) => toWindow("/__preview/native", { method: "StopDecryption", args }),
    "frame.OpenLink": (args) => toWindow("/__preview/native", { method: "OpenLink", args }),
    "window.close": () => toWindow("/__preview/close", {}),
  };

  engine.listener = (entry) => {
    const forward = FORWARDED[entry.name];
    if (forward) entry.result = forward(entry.args);
    return undefined;
  };

  function answer({ id, name, args }) {
    let reply;
    try {
      const fn = globalThis[name];
      if (typeof fn !== "function") throw new ReferenceError(`${name} is not defined`);
      const value = fn(...args);
      reply = { id, ok: true, value: value === undefined ? null : value };
    } catch (error) {
      reply = { id, ok: false, error: String(error && error.message ? error.message : error) };
    }
    post("/__preview/answer", reply);
  }

  const calls = new EventSource("/__preview/events");
  calls.onmessage = (event) => answer(JSON.parse(event.data));
  // Tells the program that the page's functions can be called, once the
  // document is complete and every time the stream (re)opens.
  calls.onopen = () => engine.ready.then(() => post("/__preview/ready", {}));
})();
