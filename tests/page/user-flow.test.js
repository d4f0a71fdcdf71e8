// The user's way through the window: acceptance, the agreement popup, the
// settings, starting and stopping a run, closing, and the links.

import { test } from "node:test";
import assert from "node:assert/strict";
import {
  usePage, callPage, engineCalls, currentStep, enterSettings, isDisabled, isChecked, browse,
} from "./support/harness.js";

const openPage = usePage();
const openPageWithoutAgreement = usePage({ withheld: ["/html/eula.html"] });

const ACCEPT_BOX = ".eula-footer .check";

test("the acceptance box gates Continue", async () => {
  const page = await openPage();
  assert.equal(await isChecked(page, ACCEPT_BOX), false);
  assert.equal(await isDisabled(page, "#close-eula"), true);
  await page.click("#close-eula", { force: true });
  assert.equal(await currentStep(page), "1");

  const states = [];
  for (let i = 0; i < 3; i++) {
    await page.click(ACCEPT_BOX);
    states.push([await isChecked(page, ACCEPT_BOX), await isDisabled(page, "#close-eula")]);
  }
  assert.deepEqual(states, [[true, false], [false, true], [true, false]]);

  await page.click("#close-eula");
  assert.equal(await currentStep(page), "2");
  assert.deepEqual(await engineCalls(page), []);
});

test("the agreement popup", async (t) => {
  await t.test("opens from its link's handler and closes with its button", async () => {
    const page = await openPage();
    assert.equal(await page.isVisible("#eula-modal"), false);
    await page.$eval("#show-eula", (el) => el.click());
    assert.equal(await page.isVisible("#eula-modal"), true);
    assert.deepEqual(await page.$eval("#eula-modal", (el) => [el.style.visibility, el.style.display]), ["visible", "block"]);
    assert.match(await page.textContent("#eula-modal h4"), /^License Agreement$/);
    assert.ok((await page.$$("#eula-modal .eula-text p")).length >= 10);
    await page.click("#hide-eula");
    assert.equal(await page.isVisible("#eula-modal"), false);
    assert.deepEqual(await page.$eval("#eula-modal", (el) => [el.style.visibility, el.style.display]), ["hidden", "none"]);
    assert.equal(await currentStep(page), "1");
  });

  await t.test("a mouse click on the link goes to the box beneath it", async () => {
    const page = await openPage();
    await page.click("#show-eula", { force: true });
    assert.equal(await page.isVisible("#eula-modal"), false);
    assert.equal(await isChecked(page, ACCEPT_BOX), true);
  });

  await t.test("shows the fallback text when the agreement cannot be loaded", async () => {
    const page = await openPageWithoutAgreement();
    await page.$eval("#show-eula", (el) => el.click());
    assert.equal((await page.textContent("#eula-modal .popup-window")).trim(), "EULA is not available!");
  });
});

test("the two radios and the path row", async () => {
  const page = await openPage();
  await enterSettings(page);
  const state = () => page.evaluate(() => ({
    whole: document.querySelector('.option[data-id="2"]').state.checked,
    folder: document.querySelector("#encrypted-folder-option").state.checked,
    browse: document.querySelector("#browse-encrypted").state.disabled,
    row: document.querySelector("#encrypted-folder").hasAttribute("disabled"),
  }));
  assert.deepEqual(await state(), { whole: true, folder: false, browse: true, row: false });
  await page.click("#encrypted-folder-option");
  assert.deepEqual(await state(), { whole: false, folder: true, browse: false, row: false });
  await page.click('.option[data-id="2"]');
  assert.deepEqual(await state(), { whole: true, folder: false, browse: true, row: true });
  await page.click("#encrypted-folder-option");
  assert.deepEqual(await state(), { whole: false, folder: true, browse: false, row: false });
});

test("the Browse buttons", async (t) => {
  const CASES = [
    { button: "#browse-encrypted", field: "#browse-encrypted-label", caption: "Select encrypted folder." },
    { button: "#browse-test", field: "#browse-test-label", caption: "Select test folder.." },
  ];
  for (const { button, field, caption } of CASES) {
    await t.test(button, async () => {
      const page = await openPage();
      await enterSettings(page);
      await page.click("#encrypted-folder-option");
      assert.equal(await browse(page, button, "C:\\Users\\Ann\\My Files"), caption);
      assert.equal(await page.inputValue(field), "C:/Users/Ann/My Files");
      assert.equal(await browse(page, button, null), caption);
      assert.equal(await page.inputValue(field), "C:/Users/Ann/My Files");
      const pickerCalls = (await engineCalls(page)).filter((c) => c.name === "window.selectFolder");
      assert.deepEqual(pickerCalls.map((c) => c.args[0].caption), [caption, caption]);
    });
  }

  await t.test("a cancelled picker still works out Start now again", async () => {
    const page = await openPage();
    await enterSettings(page);
    await page.click("#encrypted-folder-option");
    await page.fill("#browse-encrypted-label", "D:\\typed");
    await page.fill("#browse-test-label", "E:\\typed");
    assert.equal(await isDisabled(page, "#start-tool"), true);
    await browse(page, "#browse-test", null);
    assert.equal(await isDisabled(page, "#start-tool"), false);
    assert.equal(await callPage(page, "getTestPath"), "E:\\typed");
  });
});

test("Start now switches to the progress step, then starts the run", async () => {
  const page = await openPage();
  await callPage(page, "disableTestPath");
  await page.evaluate(() => {
    globalThis.__engine.listener = (call) => {
      if (call.name === "frame.DecryptWrapper") globalThis.stepAtStart = document.body.getAttribute("current_step");
    };
  });
  await enterSettings(page);
  await page.click("#start-tool");
  assert.equal(await currentStep(page), "3");
  assert.equal(await page.evaluate(() => globalThis.stepAtStart), "3");
  assert.deepEqual(await engineCalls(page), [{ name: "frame.DecryptWrapper", args: [] }]);
});

test("Stop asks the native side to stop and leaves the page", async () => {
  const page = await openPage();
  await callPage(page, "showDecryptionStep", true);
  await callPage(page, "setProgressInfo", "Decrypted: 1");
  await page.click("#stop-decryption");
  assert.deepEqual(await engineCalls(page), [{ name: "frame.StopDecryption", args: [] }]);
  assert.equal(await currentStep(page), "3");
  assert.equal(await page.textContent(".progress-list"), "Decrypted: 1");
});

test("the close button stops the run, then closes the window", async (t) => {
  for (const step of ["1", "3", "5"]) {
    await t.test(`in step ${step}`, async () => {
      const page = await openPage();
      await page.evaluate((value) => document.body.setAttribute("current_step", value), step);
      await page.click("#btnSysClose");
      assert.deepEqual((await engineCalls(page)).map((c) => c.name), ["frame.StopDecryption", "window.close"]);
    });
  }
});

test("links go to the native side to be opened, never to the engine's launch", async (t) => {
  const CASES = [
    { name: "log file", step: "5", click: ".log-name", native: [["setLogPath", "C:\\Temp\\OstrivelLog.txt"]],
      target: '"file:///C:\\Temp\\OstrivelLog.txt"' },
    { name: "support page", step: "5", click: ".support-page", native: [],
      target: /^https:\/\/www\.ostrivel\.example\/./ },
    { name: "banner", step: "2", click: ".banner h4", native: [], target: /^https:\/\/www\.ostrivel\.example\/./ },
    { name: "Learn more", step: "4", click: "#test", native: [], target: /^https:\/\/www\.ostrivel\.example\/./ },
  ];
  const offers = [];
  for (const { name, step, click, native, target } of CASES) {
    await t.test(name, async () => {
      const page = await openPage();
      for (const [fn, ...args] of native) await callPage(page, fn, ...args);
      await page.evaluate((value) => document.body.setAttribute("current_step", value), step);
      const url = page.url();
      await page.click(click);
      const calls = await engineCalls(page);
      assert.equal(calls.length, 1);
      assert.equal(calls[0].name, "frame.OpenLink");
      if (typeof target === "string") assert.equal(calls[0].args[0], target);
      else assert.match(calls[0].args[0], target);
      if (click !== ".log-name" && click !== ".support-page") offers.push(calls[0].args[0]);
      assert.equal(page.url(), url);
    });
  }
  assert.equal(new Set(offers).size, 1, "the banner and its button open the same offer");
});
