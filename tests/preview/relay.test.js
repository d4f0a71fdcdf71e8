// The relay and the page's preview adapter without the program: a small
// engine written here connects to the relay, serves the window's files from
// ui/ as the program's archive would, and talks to the page in a real
// browser.

import { test, before, after } from "node:test";
import assert from "node:assert/strict";
import net from "node:net";
import { once } from "node:events";
import { readFile } from "node:fs/promises";
import path from "node:path";
import { startRelay } from "./relay.js";
import { UI_ROOT } from "../page/support/server.js";
import { launchBrowser } from "../page/support/browser.js";

// The engine's side of the wire: one JSON message a line.
async function connectEngine(address, { withheld = [] } = {}) {
  const [host, port] = address.split(":");
  const socket = net.connect(Number(port), host);
  await once(socket, "connect");
  const received = [];
  const waiters = [];
  let buffer = "";
  const send = (message) => socket.write(JSON.stringify(message) + "\n");
  socket.setEncoding("utf8");
  socket.on("data", async (chunk) => {
    buffer += chunk;
    for (let end; (end = buffer.indexOf("\n")) >= 0;) {
      const message = JSON.parse(buffer.slice(0, end));
      buffer = buffer.slice(end + 1);
      if (message.type === "load") {
        const archivePath = message.url.replace(/^this:\/\/app\//, "");
        const data = withheld.includes(archivePath) ? null : await readFile(path.join(UI_ROOT, archivePath)).catch(() => null);
        send({ type: "resource", id: message.id, ok: !!data, data: data ? data.toString("base64") : "" });
        continue;
      }
      received.push(message);
      for (const waiter of waiters.splice(0)) waiter();
    }
  });
  const engine = {
    received,
    send,
    // The next message of a type that has not been taken yet.
    async next(type) {
      for (;;) {
        const at = received.findIndex((m) => m.type === type);
        if (at >= 0) return received.splice(at, 1)[0];
        await new Promise((resolve) => waiters.push(resolve));
      }
    },
    close: () => socket.destroy(),
  };
  return engine;
}

let relay, engine, browser, page;

before(async () => {
  relay = await startRelay();
  engine = await connectEngine(relay.engineAddress, { withheld: ["img/ostrivel-logo.svg"] });
  browser = await launchBrowser();
  engine.send({ type: "document", url: "this://app/html/main.html" });
  page = await browser.context.newPage();
  await page.goto(relay.pageUrl);
  await engine.next("ready");
});

after(async () => {
  await browser?.close();
  engine?.close();
  await relay?.close();
});

test("the page's files come from the engine, adapted for the browser", async () => {
  const served = async (urlPath) => {
    const response = await fetch(new URL(urlPath, relay.pageUrl));
    return { status: response.status, type: response.headers.get("content-type"), text: await response.text() };
  };
  const html = await served("/html/main.html");
  assert.match(html.text, /<script type="importmap">.*"@sciter"/);
  assert.ok(html.text.indexOf("/engine-shim/engine.js") < html.text.indexOf("/__preview/preview-engine.js"));
  assert.ok(html.text.indexOf("/__preview/preview.css") > html.text.indexOf("@import url(../css/main.css)"));
  const css = await served("/css/main.css");
  assert.equal(css.type, "text/css; charset=utf-8");
  assert.doesNotMatch(css.text, /\ddip\b|%%|:checked|margin-left: \*/);
  assert.match(css.text, /\.check\[checked\]::before/);
  assert.equal((await served("/img/btn-close.svg")).type, "image/svg+xml");
  assert.equal((await served("/img/ostrivel-logo.svg")).status, 404);
  assert.equal((await served("/img/no-such-file.png")).status, 404);
  assert.match(await page.textContent("#eula-modal .popup-window"), /License Agreement/);
});

test("the engine's calls of the page's functions and their answers", async () => {
  const CASES = [
    { name: "setRansomwareName", args: ["Relay family"], answer: { ok: true, value: null } },
    { name: "getEncryptedPath", args: [], answer: { ok: true, value: "" } },
    { name: "getOptions", args: [], answer: { ok: true, value: [{ id: 2, checked: true }, { id: 1, checked: true }, { id: 3, checked: false }] } },
    { name: "noSuchFunction", args: [], answer: { ok: false, error: "noSuchFunction is not defined" } },
    { name: "addOptions", args: [7], answer: { ok: false, error: "options is not iterable" } },
  ];
  let id = 1000;
  for (const { name, args, answer } of CASES) {
    engine.send({ type: "call", id: ++id, name, args });
    const reply = await engine.next("answer");
    assert.equal(reply.id, id, name);
    assert.equal(reply.ok, answer.ok, name);
    if (answer.ok) assert.deepEqual(reply.value, answer.value, name);
    else assert.match(reply.error, new RegExp(answer.error), name);
  }
  assert.match(await page.textContent('div[step="1"] .page-title'), /Relay family/);
});

test("the page's native calls reach the engine in order, and their results come back", async () => {
  await page.evaluate(() => {
    Window.this.frame.StopDecryption();
    Window.this.frame.DecryptWrapper("x", 1);
    Window.this.close();
  });
  // Each waits for the one before it to be answered: the window sees them in the page's order.
  const stop = await engine.next("native");
  assert.deepEqual([stop.method, stop.args], ["StopDecryption", []]);
  assert.equal(engine.received.length, 0);
  engine.send({ type: "native-result", id: stop.id, result: { undefined: true } });
  const start = await engine.next("native");
  assert.deepEqual([start.method, start.args], ["DecryptWrapper", ["x", 1]]);
  assert.equal(engine.received.length, 0);
  engine.send({ type: "native-result", id: start.id, result: { error: "busy" } });
  await engine.next("close");
  const results = await page.evaluate(() => Promise.all(
    globalThis.__engine.calls.filter((c) => c.name.startsWith("frame.")).map((c) => c.result)));
  assert.deepEqual(results, [{ undefined: true }, { error: "busy" }]);
});

test("the engine hears when the page goes away", async () => {
  await page.close();
  await engine.next("gone");
});
