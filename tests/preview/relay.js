// The preview relay: the stand-in engine inside the program connects to it over
// TCP (one JSON message a line) and Chromium loads the window's document from
// its HTTP server. Files come from the program's own archive through the
// engine; the page's native calls go to the engine, and the engine's calls of
// the page's global functions reach the page through a Server-Sent Events
// stream and come back as POSTed answers.

import http from "node:http";
import net from "node:net";
import { EventEmitter } from "node:events";
import { readFile } from "node:fs/promises";
import path from "node:path";
import { fileURLToPath } from "node:url";
import { CONTENT_TYPES, SHIM_ROOT, injectEngine } from "../page/support/server.js";
import { adaptStyles } from "./browser-styles.js";

const HERE = path.dirname(fileURLToPath(import.meta.url));
const ADAPTER_ROOT = path.join(HERE, "browser");
const ARCHIVE_ROOT = "this://app";
const SHIM_PREFIX = "/engine-shim/";
const ADAPTER_PREFIX = "/__preview/";
const MAIN_DOCUMENT = "/html/main.html";
// A file request the engine does not answer in this time is refused rather than left hanging.
const FILE_ANSWER_MS = 15000;

const ADAPTER_HEAD = `<script src="${ADAPTER_PREFIX}preview-engine.js"></script>`;
const ADAPTER_LAYOUT = `<link rel="stylesheet" href="${ADAPTER_PREFIX}preview.css">`;

// The document as the browser gets it: the engine's script modules and the
// preview's own adapter in front, the layout helpers behind the page's styles.
export function previewDocument(html) {
  const withShim = injectEngine(html);
  const afterShim = withShim.indexOf("</script>", withShim.indexOf(`${SHIM_PREFIX}engine.js`)) + "</script>".length;
  const headEnd = withShim.search(/<\/head>/i);
  return withShim.slice(0, afterShim) + ADAPTER_HEAD + withShim.slice(afterShim, headEnd) + ADAPTER_LAYOUT
    + withShim.slice(headEnd);
}

function contentType(file) {
  return CONTENT_TYPES[path.extname(file)] || "application/octet-stream";
}

async function readBody(req) {
  const chunks = [];
  for await (const chunk of req) chunks.push(chunk);
  return chunks.length ? JSON.parse(Buffer.concat(chunks).toString("utf8")) : {};
}

function sendJson(res, status, value) {
  res.writeHead(status, { "content-type": "application/json", "cache-control": "no-store" });
  res.end(JSON.stringify(value ?? null));
}

// Events: "document" (url), "engine" (connected), "engine-closed",
// "page-ready", "call" ({id, name, args}), "answer" ({id, name, ok, value,
// error}), "native" ({method, args, result}), "close-requested".
export async function startRelay() {
  const events = new EventEmitter();
  let engine = null;
  let nextId = 1;
  const waitingFiles = new Map();    // id -> resolve(Buffer|null)
  const waitingNatives = new Map();  // id -> resolve(result)
  const callNames = new Map();       // id -> name, for the record
  const streams = new Set();         // the page's event streams
  const undelivered = [];            // calls made while no page listens

  const toEngine = (message) => {
    if (engine && !engine.destroyed) engine.write(JSON.stringify(message) + "\n");
  };

  function fromEngine(message) {
    switch (message.type) {
      case "document":
        events.emit("document", message.url);
        break;
      case "call": {
        callNames.set(message.id, message.name);
        events.emit("call", { id: message.id, name: message.name, args: message.args });
        const data = `data: ${JSON.stringify({ id: message.id, name: message.name, args: message.args })}\n\n`;
        if (streams.size === 0) undelivered.push(data);
        for (const stream of streams) stream.write(data);
        break;
      }
      case "resource":
        waitingFiles.get(message.id)?.(message.ok ? Buffer.from(message.data, "base64") : null);
        waitingFiles.delete(message.id);
        break;
      case "native-result":
        waitingNatives.get(message.id)?.(message.result);
        waitingNatives.delete(message.id);
        break;
    }
  }

  const engineServer = net.createServer((socket) => {
    engine = socket;
    socket.setNoDelay(true);
    events.emit("engine");
    let buffer = "";
    socket.setEncoding("utf8");
    socket.on("data", (chunk) => {
      buffer += chunk;
      for (let end; (end = buffer.indexOf("\n")) >= 0;) {
        const line = buffer.slice(0, end);
        buffer = buffer.slice(end + 1);
        if (line.trim()) fromEngine(JSON.parse(line));
      }
    });
    socket.on("error", () => {});
    socket.on("close", () => {
      for (const resolve of waitingFiles.values()) resolve(null);
      for (const resolve of waitingNatives.values()) resolve({ missing: "engine" });
      waitingFiles.clear();
      waitingNatives.clear();
      if (engine === socket) engine = null;
      events.emit("engine-closed");
    });
  });

  function askEngineForFile(urlPath) {
    if (!engine) return Promise.resolve(null);
    const id = nextId++;
    return new Promise((resolve) => {
      const timer = setTimeout(() => { waitingFiles.delete(id); resolve(null); }, FILE_ANSWER_MS);
      waitingFiles.set(id, (data) => { clearTimeout(timer); resolve(data); });
      toEngine({ type: "load", id, url: ARCHIVE_ROOT + urlPath });
    });
  }

  function askEngineForNative(method, args) {
    if (!engine) return Promise.resolve({ missing: "engine" });
    const id = nextId++;
    return new Promise((resolve) => {
      waitingNatives.set(id, resolve);
      toEngine({ type: "native", id, method, args });
    });
  }

  function openStream(req, res) {
    res.writeHead(200, { "content-type": "text/event-stream", "cache-control": "no-store", connection: "keep-alive" });
    res.write(": listening\n\n");
    streams.add(res);
    for (const data of undelivered.splice(0)) res.write(data);
    req.on("close", () => {
      streams.delete(res);
      if (streams.size === 0) toEngine({ type: "gone" });
    });
  }

  async function serveFromEngine(urlPath, res) {
    const data = await askEngineForFile(urlPath);
    if (!data) {
      res.writeHead(404, { "content-type": "text/plain" });
      res.end("not found");
      return;
    }
    let body = data;
    if (urlPath === MAIN_DOCUMENT) body = Buffer.from(previewDocument(data.toString("utf8")));
    else if (urlPath.endsWith(".css")) body = Buffer.from(adaptStyles(data.toString("utf8")));
    res.writeHead(200, { "content-type": contentType(urlPath), "cache-control": "no-store" });
    res.end(body);
  }

  async function serveLocal(root, rest, res) {
    const file = path.resolve(root, rest);
    if (!file.startsWith(root + path.sep)) throw new Error("outside");
    const body = await readFile(file);
    res.writeHead(200, { "content-type": contentType(file), "cache-control": "no-store" });
    res.end(body);
  }

  const httpServer = http.createServer(async (req, res) => {
    const urlPath = decodeURIComponent(new URL(req.url, "http://127.0.0.1").pathname);
    try {
      if (req.method === "POST") {
        const body = await readBody(req);
        switch (urlPath) {
          case `${ADAPTER_PREFIX}ready`:
            toEngine({ type: "ready" });
            events.emit("page-ready");
            return sendJson(res, 200, true);
          case `${ADAPTER_PREFIX}answer`: {
            const name = callNames.get(body.id);
            callNames.delete(body.id);
            events.emit("answer", { id: body.id, name, ok: body.ok, value: body.value, error: body.error });
            toEngine({ type: "answer", id: body.id, ok: !!body.ok, value: body.value ?? null, error: body.error ?? "" });
            return sendJson(res, 200, true);
          }
          case `${ADAPTER_PREFIX}native`: {
            const result = await askEngineForNative(body.method, body.args || []);
            events.emit("native", { method: body.method, args: body.args, result });
            return sendJson(res, 200, result);
          }
          case `${ADAPTER_PREFIX}close`:
            toEngine({ type: "close" });
            events.emit("close-requested");
            return sendJson(res, 200, true);
        }
        return sendJson(res, 404, null);
      }
      if (urlPath === `${ADAPTER_PREFIX}events`) return openStream(req, res);
      if (urlPath.startsWith(ADAPTER_PREFIX)) return await serveLocal(ADAPTER_ROOT, urlPath.slice(ADAPTER_PREFIX.length), res);
      if (urlPath.startsWith(SHIM_PREFIX)) return await serveLocal(SHIM_ROOT, urlPath.slice(SHIM_PREFIX.length), res);
      return await serveFromEngine(urlPath, res);
    } catch {
      if (!res.headersSent) res.writeHead(404, { "content-type": "text/plain" });
      res.end();
    }
  });

  await new Promise((resolve) => engineServer.listen(0, "127.0.0.1", resolve));
  await new Promise((resolve) => httpServer.listen(0, "127.0.0.1", resolve));

  return {
    events,
    engineAddress: `127.0.0.1:${engineServer.address().port}`,
    pageUrl: `http://127.0.0.1:${httpServer.address().port}${MAIN_DOCUMENT}`,
    async close() {
      for (const stream of streams) stream.end();
      engine?.destroy();
      httpServer.closeAllConnections?.();
      await Promise.all([
        new Promise((resolve) => httpServer.close(resolve)),
        new Promise((resolve) => engineServer.close(resolve)),
      ]);
    },
  };
}
