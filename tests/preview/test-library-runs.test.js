// Runs that the demonstration library cannot show: one slow enough to be
// stopped or cut short by closing the window, and one whose library refuses
// to start. The test library plays the decryption library; it needs no file
// pairs, so only the folder to scan is picked.

import { test } from "node:test";
import assert from "node:assert/strict";
import { mkdir, writeFile } from "node:fs/promises";
import path from "node:path";
import { usePreviewPrefix, screenshot, progressCounts } from "./support/preview-test.js";
import { filesUnder } from "./support/demo-files.js";
import { waitForExit } from "./support/session.js";
import { readLog } from "./support/wine.js";
import * as steps from "./support/steps.js";

const prefix = usePreviewPrefix("test-library");
const FILE_COUNT = 40;
const STOP_LINE = "The decryption process has been stopped! Waiting for the last file to be decrypted, to avoid corruption...";
const ENDED = "The decryption process has ended.";
const NO_PAIRS = "flags=scan,backup,overwrite,whole\n";
const SLOW = `${NO_PAIRS}result=*,1\ndelay=*,150\n`;

async function caseWithFiles(name, libraryConfig) {
  const testCase = await prefix.newCase(name, { library: "keyloom-test.dll", libraryConfig });
  const folder = testCase.localPath("files");
  await mkdir(folder);
  for (let i = 1; i <= FILE_COUNT; i++) await writeFile(path.join(folder, `file-${i}.dat`), `content ${i}\n`);
  return { testCase, folder, windowsFolder: testCase.windowsPath("files") };
}

async function startRunOver(page, windowsFolder) {
  await steps.acceptTerms(page);
  await steps.pressContinue(page);
  await page.click("#encrypted-folder-option");
  await steps.pickFolder(page, "#browse-encrypted", windowsFolder);
  await steps.setBackup(page, false);
  await steps.startNow(page);
}

function firstFileDecrypted(page) {
  return page.waitForFunction(() => /^[1-9]\d* files were decrypted/.test(document.querySelector(".progress-list").innerText),
    null, { timeout: 30000 });
}

test("Stop ends the run after the file in hand and reports the stop, then the outcome", async () => {
  const { testCase, folder, windowsFolder } = await caseWithFiles("stop", SLOW);
  await prefix.withPreview(testCase, {}, async (session) => {
    const { page } = session;
    await startRunOver(page, windowsFolder);
    await firstFileDecrypted(page);
    await page.click("#stop-decryption");
    const step = await steps.waitForStep(page, [4, 5]);
    const outcome = await page.textContent(`div[step="${step}"] .status-title`);
    assert.deepEqual((await steps.progressLines(page)).slice(-3), [STOP_LINE, ENDED, outcome]);
    assert.equal(outcome, "The threat is gone!");
    assert.deepEqual(session.natives.map((n) => [n.method, n.result]),
      [["DecryptWrapper", { undefined: true }], ["StopDecryption", { undefined: true }]]);
    const left = (await filesUnder(folder)).length;
    assert.ok(left > 0 && left < FILE_COUNT, `${left} of ${FILE_COUNT} files left`);
    // The first report comes at once, before the first slow file is done; later ones count up.
    const counts = session.callsOf("setProgressInfo").map((c) => progressCounts(c.args[0])[0]);
    assert.equal(counts[0], 0, `progress reports: ${counts}`);
    assert.deepEqual(counts, [...counts].sort((a, b) => a - b));
    assert.ok(counts[counts.length - 1] > 0, `progress reports: ${counts}`);
    assert.ok((await readLog(prefix.wineDrive)).includes(`[${STOP_LINE}]`));
    await page.click("#btnSysClose");
    assert.equal(await waitForExit(session.program, 30000), 0);
  });
});

test("closing the window in the middle of a run ends the process", async () => {
  const { testCase, folder, windowsFolder } = await caseWithFiles("close", SLOW);
  await prefix.withPreview(testCase, {}, async (session) => {
    const { page } = session;
    await startRunOver(page, windowsFolder);
    await firstFileDecrypted(page);
    assert.equal(await steps.currentStep(page), "3");
    await page.click("#btnSysClose");
    assert.equal(await waitForExit(session.program, 30000), 0);
    assert.deepEqual(session.natives.map((n) => n.method), ["DecryptWrapper", "StopDecryption"]);
    const left = (await filesUnder(folder)).length;
    assert.ok(left > 0, `${left} of ${FILE_COUNT} files left`);
  });
});

test("a library whose Init fails: its message and the log's path on the failure step", async () => {
  const message = "The key of this infection could not be found.";
  const { testCase, windowsFolder } = await caseWithFiles("failure", `${NO_PAIRS}init=fail:${message}\n`);
  await prefix.withPreview(testCase, {}, async (session) => {
    const { page } = session;
    await startRunOver(page, windowsFolder);
    assert.equal(await steps.waitForStep(page, [4, 5]), "5");
    assert.equal(await page.textContent('div[step="5"] .status-title'), message);
    const [logPath] = session.callsOf("setLogPath")[0].args;
    assert.match(logPath, /^[A-Z]:\\.*\\OstrivelLog\.txt$/i);
    assert.equal(await page.textContent(".log-name"), logPath);
    assert.equal(await page.isVisible(".log-name"), true);
    await screenshot(page, "5-failure");
    assert.ok((await page.getAttribute(".log-name", "href")).includes(logPath));
    // The program runs elevated: the link goes to its native method, which has the user's own desktop
    // shell open the log; the engine itself launches nothing.
    await page.click(".log-name");
    const deadline = Date.now() + 30000;
    while (!session.natives.some((n) => n.method === "OpenLink") && Date.now() < deadline) {
      await new Promise((resolve) => setTimeout(resolve, 50));
    }
    assert.deepEqual(session.natives.filter((n) => n.method === "OpenLink").map((n) => [n.args, n.result]),
      [[[`"file:///${logPath}"`], { undefined: true }]]);
    assert.deepEqual(await page.evaluate(() => globalThis.__engine.calls.filter((c) => c.name === "env.launch")), []);
    assert.ok(!(await readLog(prefix.wineDrive)).includes("was not opened: only web pages"));
    await page.click("#btnSysClose");
    assert.equal(await waitForExit(session.program, 30000), 0);
  });
});

test("a browser that goes away mid-run does not hold the program: its page calls fail and the run ends", async () => {
  const { testCase, windowsFolder } = await caseWithFiles("page-gone", SLOW);
  await prefix.withPreview(testCase, {}, async (session) => {
    const { page } = session;
    await startRunOver(page, windowsFolder);
    await firstFileDecrypted(page);
    await page.close();
    const deadline = Date.now() + 60000;
    let log = "";
    while (!log.includes("[The decryption process has ended.]") && Date.now() < deadline) {
      await new Promise((resolve) => setTimeout(resolve, 250));
      log = await readLog(prefix.wineDrive);
    }
    assert.match(log, /\[The progress report failed: .*the page is gone.*\]/);
    assert.match(log, /\[The decryption process has ended\.\]/);
    // The window itself stays until someone closes it.
    assert.equal(session.program.child.exitCode, null);
  });
});
