// Serves the window's document from ui/ on the loopback interface. main.html
// gets an import map for the engine's modules and the engine stand-in
// injected at serving time; the file on disk stays as the engine reads it.

import http from "node:http";
import { readFile } from "node:fs/promises";
import path from "node:path";
import { fileURLToPath } from "node:url";

const HERE = path.dirname(fileURLToPath(import.meta.url));
export const UI_ROOT = path.resolve(HERE, "../../../ui");
export const SHIM_ROOT = path.resolve(HERE, "../engine-shim");

const SHIM_PREFIX = "/engine-shim/";
const MAIN_DOCUMENT = "/html/main.html";

export const CONTENT_TYPES = {
  ".html": "text/html; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".svg": "image/svg+xml",
  ".png": "image/png",
};

const ENGINE_HEAD = [
  '<script type="importmap">',
  JSON.stringify({ imports: { "@sciter": `${SHIM_PREFIX}sciter.js`, "@env": `${SHIM_PREFIX}env.js` } }),
  "</script>",
  `<script src="${SHIM_PREFIX}engine.js"></script>`,
].join("");

const ENGINE_LAYOUT = `<link rel="stylesheet" href="${SHIM_PREFIX}layout.css">`;

export function injectEngine(html) {
  const head = /<head[^>]*>/i.exec(html);
  const headEnd = html.search(/<\/head>/i);
  if (!head || headEnd < 0) throw new Error("main document has no <head>");
  const at = head.index + head[0].length;
  return html.slice(0, at) + ENGINE_HEAD + html.slice(at, headEnd) + ENGINE_LAYOUT + html.slice(headEnd);
}

// The browser knows neither dip nor the engine's "%%": a dip is a px at 96
// DPI, and "%%" is near enough to "%" for a page of fixed size.
export function browserStyles(css) {
  return css.replace(/(\d)dip\b/g, "$1px").replace(/%%/g, "%");
}

function resolveFile(urlPath) {
  const decoded = decodeURIComponent(urlPath);
  const [root, rest] = decoded.startsWith(SHIM_PREFIX)
    ? [SHIM_ROOT, decoded.slice(SHIM_PREFIX.length)]
    : [UI_ROOT, decoded.slice(1)];
  const file = path.resolve(root, rest);
  return file.startsWith(root + path.sep) ? file : null;
}

// withheld: request paths answered with 404, to see how the page copes.
export async function startServer({ withheld = [] } = {}) {
  const server = http.createServer(async (req, res) => {
    const urlPath = new URL(req.url, "http://127.0.0.1").pathname;
    const file = withheld.includes(urlPath) ? null : resolveFile(urlPath);
    try {
      if (!file) throw new Error("not served");
      let body = await readFile(file);
      if (urlPath === MAIN_DOCUMENT) body = Buffer.from(injectEngine(body.toString("utf8")));
      else if (file.startsWith(UI_ROOT) && file.endsWith(".css")) body = Buffer.from(browserStyles(body.toString("utf8")));
      const type = CONTENT_TYPES[path.extname(file)] || "application/octet-stream";
      res.writeHead(200, { "content-type": type, "cache-control": "no-store" });
      res.end(body);
    } catch {
      res.writeHead(404, { "content-type": "text/plain" });
      res.end("not found");
    }
  });
  await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
  const { port } = server.address();
  return {
    mainUrl: `http://127.0.0.1:${port}${MAIN_DOCUMENT}`,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}
