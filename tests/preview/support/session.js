// One run of the program in preview mode: the relay, the program under Wine
// pointed at it, and a browser tab on the relay's document once the program
// has loaded it. Every call the program makes of the page is kept in order
// with its answer.

import { once } from "node:events";
import { startRelay } from "../relay.js";
import { startInPrefix, clearLog } from "./wine.js";

const DOCUMENT_ARRIVAL_MS = 60000;

function withTimeout(promise, ms, what) {
  let timer;
  const timeout = new Promise((_, reject) => { timer = setTimeout(() => reject(new Error(`no ${what} in ${ms} ms`)), ms); });
  return Promise.race([promise, timeout]).finally(() => clearTimeout(timer));
}

export async function startPreview({ browser, wineDrive, testCase, args = [], env = {} }) {
  const relay = await startRelay();
  const calls = [];
  relay.events.on("call", (call) => calls.push(call));
  relay.events.on("answer", (answer) => {
    const call = calls.find((c) => c.id === answer.id);
    if (call) Object.assign(call, { ok: answer.ok, value: answer.value, error: answer.error });
  });
  const natives = [];
  relay.events.on("native", (native) => natives.push(native));

  await clearLog(wineDrive);
  const documentLoaded = once(relay.events, "document");
  const program = startInPrefix(wineDrive, testCase.app, "recovery-tool.exe", args, {
    STANDIN_ENGINE_PREVIEW: relay.engineAddress,
    STANDIN_ENGINE_JOURNAL: testCase.windowsPath("journal.txt"),
    ...env,
  });
  const ended = program.exited.then((code) => { throw new Error(`the program ended (${code}) before its document loaded\n${program.errors()}`); });
  try {
    await withTimeout(Promise.race([documentLoaded, ended]), DOCUMENT_ARRIVAL_MS, "document");
  } catch (error) {
    program.child.kill("SIGKILL");
    await relay.close();
    throw error;
  }
  ended.catch(() => {});

  const page = await browser.context.newPage();
  const pageErrors = [];
  page.on("pageerror", (error) => pageErrors.push(error));
  const ready = once(relay.events, "page-ready");
  await page.goto(relay.pageUrl);
  await withTimeout(ready, DOCUMENT_ARRIVAL_MS, "ready page");

  return {
    page,
    relay,
    program,
    calls,
    natives,
    pageErrors,
    callsOf: (name) => calls.filter((c) => c.name === name),
    // The program fills the page after the document is ready; wait for a call instead of racing it.
    async waitForCall(name, ms = 30000) {
      const deadline = Date.now() + ms;
      for (;;) {
        const found = calls.find((c) => c.name === name);
        if (found) return found;
        if (Date.now() > deadline) throw new Error(`the program never called ${name}`);
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
    },
    async close() {
      if (program.child.exitCode === null && program.child.signalCode === null) program.child.kill("SIGKILL");
      await program.exited;
      await page.close().catch(() => {});
      await relay.close();
    },
  };
}

export async function waitForExit(program, ms) {
  return withTimeout(program.exited, ms, "program exit");
}
