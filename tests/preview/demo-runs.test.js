// The program and the window's document together, with the demonstration
// library over a folder of files that its family encrypted: a run started
// from the window, and a silent run from the command line.

import { test } from "node:test";
import assert from "node:assert/strict";
import { readFile } from "node:fs/promises";
import path from "node:path";
import { usePreviewPrefix, screenshot, progressCounts } from "./support/preview-test.js";
import { makeEncryptedFolder, filesUnder } from "./support/demo-files.js";
import { waitForExit } from "./support/session.js";
import { readLog } from "./support/wine.js";
import * as steps from "./support/steps.js";

const prefix = usePreviewPrefix("demo");
// Enough files for the progress report (every 300 ms) to see the counts grow.
const FILE_COUNT = 400;
const ENDED = "The decryption process has ended.";
const SUCCESS = "The threat is gone!";

async function assertRestored(testCase, originals, { backup }) {
  const left = await filesUnder(testCase.localPath("victim"));
  const names = Object.keys(originals).sort();
  const expected = backup ? [...names, ...names.map((n) => `${n}.kyl`)].sort() : names;
  assert.deepEqual(left, expected);
  for (const name of [names[0], names[names.length - 1]])
    assert.equal(await readFile(path.join(testCase.localPath("victim"), name), "utf8"), originals[name], name);
}

test("an interactive run over the demonstration folder", async (t) => {
  for (const backup of [false, true]) {
    await t.test(backup ? "Backup checked: the encrypted files stay" : "Backup unchecked: the encrypted files go", async () => {
      const testCase = await prefix.newCase(backup ? "interactive-backup" : "interactive");
      const folders = await makeEncryptedFolder(prefix.wineDrive, testCase, { count: FILE_COUNT });
      await prefix.withPreview(testCase, {}, async (session) => {
        const { page } = session;
        const shots = !backup;
        assert.equal(await steps.currentStep(page), "1");
        const [name] = (await session.waitForCall("setRansomwareName")).args;
        assert.equal(await page.textContent('div[step="1"] .page-title'), `Decryption Tool for ${name}`);

        await steps.acceptTerms(page);
        if (shots) await screenshot(page, "1-welcome");
        await steps.pressContinue(page);
        assert.equal(await steps.currentStep(page), "2");
        const [description] = (await session.waitForCall("setToolDescription")).args;
        assert.ok(description.length > 0);
        assert.equal(await page.textContent("#tool-description"), `Notice: ${description}`);
        if (shots) await screenshot(page, "2-settings");

        await steps.chooseFolders(page, folders);
        assert.equal(await page.inputValue("#browse-encrypted-label"), folders.encrypted.replace(/\\/g, "/"));
        await steps.setBackup(page, backup);
        assert.equal(await page.$eval("#start-tool", (el) => el.state.disabled), false);
        if (shots) await screenshot(page, "3-folders");

        await steps.startNow(page);
        assert.equal(await steps.currentStep(page), "3");
        if (shots) {
          await page.waitForSelector(".progress-list li", { state: "attached" });
          await screenshot(page, "4-progress");
        }
        assert.equal(await steps.waitForStep(page, [4, 5]), "4");
        if (shots) await screenshot(page, "5-success");

        // What the run read back from the page, and what it reported.
        const answered = (fn) => session.callsOf(fn).map((c) => c.value);
        assert.deepEqual(answered("getEncryptedPath"), [folders.encrypted.replace(/\\/g, "/")]);
        assert.deepEqual(answered("getTestPath"), [folders.pairs.replace(/\\/g, "/")]);
        const [options] = answered("getOptions");
        assert.deepEqual(options.filter((o) => o.id === 1 || o.id === 2),
          [{ id: 2, checked: false }, { id: 1, checked: backup }]);
        // How many reports a fast run gets depends on the machine's speed; that they rise is shown by the
        // slow runs of test-library-runs.test.js.
        const counts = session.callsOf("setProgressInfo").map((c) => progressCounts(c.args[0])[0]);
        assert.ok(counts.length >= 1, `progress reports: ${counts}`);
        assert.deepEqual(counts, [...counts].sort((a, b) => a - b));
        assert.ok(counts[counts.length - 1] <= FILE_COUNT, `progress reports: ${counts}`);
        assert.deepEqual(session.natives.map((n) => n.method), ["DecryptWrapper"]);

        assert.equal(await page.textContent('div[step="4"] .status-title'), SUCCESS);
        const lines = await steps.progressLines(page);
        assert.deepEqual(lines.slice(-2), [ENDED, SUCCESS]);
        assert.deepEqual(session.pageErrors, []);

        await assertRestored(testCase, folders.originals, { backup });
        const log = await readLog(prefix.wineDrive);
        for (const line of ["Scanning system...", ENDED, SUCCESS]) assert.match(log, new RegExp(`\\t\\[${line.replace(/[.!]/g, "\\$&")}\\]\\n`));

        await page.click("#btnSysClose");
        assert.equal(await waitForExit(session.program, 30000), 0);
      });
    });
  }
});

test("a silent run opens on the progress step and ends on the outcome with no click", async () => {
  const testCase = await prefix.newCase("silent");
  const folders = await makeEncryptedFolder(prefix.wineDrive, testCase, { count: 40 });
  const args = ["start", "-scan-path", folders.encrypted, "-test-path", folders.pairs, "-disable-backup"];
  await prefix.withPreview(testCase, { args }, async (session) => {
    const { page } = session;
    const stepCalls = () => session.calls.filter((c) => /^show(Decryption|Final)Step$/.test(c.name));
    assert.equal(await steps.waitForStep(page, [4, 5]), "4");
    assert.deepEqual(stepCalls().map((c) => c.name), ["showDecryptionStep", "showFinalStep"]);
    assert.deepEqual(stepCalls()[1].args, [true]);
    assert.deepEqual(session.natives, []);
    assert.equal(await page.textContent('div[step="4"] .status-title'), SUCCESS);
    assert.deepEqual((await steps.progressLines(page)).slice(-2), [ENDED, SUCCESS]);
    await assertRestored(testCase, folders.originals, { backup: false });
    assert.match(await readLog(prefix.wineDrive), /\[The threat is gone!\]/);
    // It stays open at the outcome until the user closes it.
    assert.equal(session.program.child.exitCode, null);
    await page.click("#btnSysClose");
    assert.equal(await waitForExit(session.program, 30000), 0);
  });
});
