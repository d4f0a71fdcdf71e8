// The global functions that native code calls, and what each does to the page.

import { test } from "node:test";
import assert from "node:assert/strict";
import {
  usePage, callPage, engineCalls, currentStep, enterSettings, isChecked, inlineDisplay, shownDisplay,
} from "./support/harness.js";

const openPage = usePage();

const FIXED_OPTIONS = [{ id: 2, checked: true }, { id: 1, checked: true }, { id: 3, checked: false }];

test("addOptions", async (t) => {
  await t.test("appends nothing for an empty list", async () => {
    const page = await openPage();
    const before = await page.$eval(".checkboxtest", (el) => el.innerHTML);
    await callPage(page, "addOptions", []);
    assert.equal(await page.$eval(".checkboxtest", (el) => el.innerHTML), before);
  });

  await t.test("appends the exact markup of each record in array order", async () => {
    const page = await openPage();
    await page.evaluate(() => {
      globalThis.insertedMarkup = [];
      const original = Element.prototype.insertAdjacentHTML;
      Element.prototype.insertAdjacentHTML = function (where, html) {
        if (this.matches(".checkboxtest")) globalThis.insertedMarkup.push(html);
        return original.call(this, where, html);
      };
    });
    await callPage(page, "addOptions", [
      { id: 10, name: "Skip system folders", description: "Leave <b>Windows</b> alone.", checked_by_default: true },
      { id: 7, name: "Keep <i>timestamps</i>", description: "Copies dates.", checked_by_default: false },
    ]);
    const inserted = (await page.evaluate(() => globalThis.insertedMarkup)).join("");
    assert.equal(inserted,
      '<widget type="checkbox" class="check mb-0 option" data-id="10" checked >Skip system folders</widget>'
      + '<div class="indent mt-h">Leave <b>Windows</b> alone.</div>'
      + '<widget type="checkbox" class="check mb-0 option" data-id="7" >Keep <i>timestamps</i></widget>'
      + '<div class="indent mt-h">Copies dates.</div>');

    const added = await page.$$eval(".checkboxtest > *", (els) => els.map((el) => [el.localName, el.textContent.trim()]));
    assert.deepEqual(added.slice(-4), [
      ["widget", "Skip system folders"], ["div", "Leave Windows alone."],
      ["widget", "Keep timestamps"], ["div", "Copies dates."],
    ]);
    assert.equal(added[0][1], "Replace previously decrypted files");
    assert.equal(await page.$$eval(".checkboxtest b, .checkboxtest i", (els) => els.length), 2);
    assert.deepEqual(await callPage(page, "getOptions"),
      [...FIXED_OPTIONS, { id: 10, checked: true }, { id: 7, checked: false }]);
  });
});

test("setRansomwareName fills every title once", async () => {
  const page = await openPage();
  await callPage(page, "setRansomwareName", "Glass$&Lock");
  const titles = () => page.$$eval(".page-title", (els) => els.map((el) => el.textContent));
  const named = ["Decryption Tool for Glass$&Lock", "Decryption Tool for Glass$&Lock", "",
    ...Array(3).fill("Decryption Tool for Glass$&Lock")];
  assert.deepEqual(await titles(), named);
  await callPage(page, "setRansomwareName", "Other");
  assert.deepEqual(await titles(), named);
});

test("setToolDescription is shown when the settings step is entered", async (t) => {
  for (const [description, shown] of [["Recovers .glass files.", "Notice: Recovers .glass files."], ["", "Notice: "]]) {
    await t.test(JSON.stringify(description), async () => {
      const page = await openPage();
      await callPage(page, "setToolDescription", description);
      assert.equal(await page.textContent("#tool-description"), "");
      await enterSettings(page);
      assert.equal(await page.textContent("#tool-description"), shown);
    });
  }
});

test("the disable functions hide their element and leave its neighbours", async (t) => {
  const CASES = [
    { fn: "disableScanPath", hidden: "#encrypted-folder", kept: ["#encrypted-folder-option"] },
    { fn: "disableTestPath", hidden: "#test-folder", kept: ["#encrypted-folder"] },
    { fn: "disableBackup", hidden: '.option[data-id="1"]', kept: ['.option[data-id="1"] + div'] },
    { fn: "disableWholeScan", hidden: '.option[data-id="2"]', kept: ["#encrypted-folder-option"] },
    { fn: "disableOverwrite", hidden: '.option[data-id="3"]', kept: ['.option[data-id="3"] + div', ".collapsible"] },
    { fn: "disableAdvancedOptions", hidden: ".collapsible", kept: ['.option[data-id="1"]'] },
  ];
  for (const { fn, hidden, kept } of CASES) {
    await t.test(fn, async () => {
      const page = await openPage();
      await callPage(page, fn);
      await enterSettings(page);
      assert.equal(await inlineDisplay(page, hidden), "none");
      assert.equal(await shownDisplay(page, hidden), "none");
      for (const selector of kept) assert.notEqual(await shownDisplay(page, selector), "none", selector);
      assert.deepEqual(await callPage(page, "getOptions"), FIXED_OPTIONS);
    });
  }

  await t.test("disableTestPath no longer requires the file pairs", async () => {
    const withPairs = await openPage();
    await enterSettings(withPairs);
    assert.equal(await withPairs.$eval("#start-tool", (el) => el.state.disabled), true);
    const withoutPairs = await openPage();
    await callPage(withoutPairs, "disableTestPath");
    await enterSettings(withoutPairs);
    assert.equal(await withoutPairs.$eval("#start-tool", (el) => el.state.disabled), false);
  });
});

test("getOptions reports every option in document order, hidden ones included", async (t) => {
  const CASES = [
    { name: "unchanged", native: [], clicks: [], expected: FIXED_OPTIONS },
    { name: "backup hidden", native: ["disableBackup"], clicks: [], expected: FIXED_OPTIONS },
    { name: "whole scan hidden", native: ["disableWholeScan"], clicks: [], expected: FIXED_OPTIONS },
    {
      name: "folder chosen, backup and replace toggled", native: [],
      clicks: ["#encrypted-folder-option", '.option[data-id="1"]', ".collapsible .top-bar", '.option[data-id="3"]'],
      expected: [{ id: 2, checked: false }, { id: 1, checked: false }, { id: 3, checked: true }],
    },
    {
      name: "folder chosen then whole system again", native: [],
      clicks: ["#encrypted-folder-option", '.option[data-id="2"]'], expected: FIXED_OPTIONS,
    },
  ];
  for (const { name, native, clicks, expected } of CASES) {
    await t.test(name, async () => {
      const page = await openPage();
      for (const fn of native) await callPage(page, fn);
      await enterSettings(page);
      // The replace option sits in the closed advanced section: reach it by script.
      for (const selector of clicks) await page.$eval(selector, (el) => el.click());
      assert.deepEqual(await callPage(page, "getOptions"), expected);
    });
  }
});

test("the path readers return the fields' text", async () => {
  const page = await openPage();
  assert.deepEqual([await callPage(page, "getEncryptedPath"), await callPage(page, "getTestPath")], ["", ""]);
  await enterSettings(page);
  await page.fill("#browse-encrypted-label", "D:\\Photos 2024");
  await page.fill("#browse-test-label", "E:\\pairs");
  assert.deepEqual([await callPage(page, "getEncryptedPath"), await callPage(page, "getTestPath")],
    ["D:\\Photos 2024", "E:\\pairs"]);
});

test("progress lines: setProgressInfo replaces, appendProgressInfo adds, both read markup", async () => {
  const page = await openPage();
  const items = () => page.$$eval(".progress-list > li", (els) => els.map((el) => el.innerHTML));
  await callPage(page, "appendProgressInfo", "Scanning system...");
  await callPage(page, "appendProgressInfo", "Stopped by the user");
  assert.deepEqual(await items(), ["Scanning system...", "Stopped by the user"]);
  await callPage(page, "setProgressInfo", "Decrypted: 3<br/>Failed: 1");
  assert.deepEqual(await items(), ["Decrypted: 3<br>Failed: 1"]);
  await callPage(page, "setProgressInfo", "Decrypted: 4<br/>Failed: 1");
  await callPage(page, "appendProgressInfo", "<b>Done</b>");
  assert.deepEqual(await items(), ["Decrypted: 4<br>Failed: 1", "<b>Done</b>"]);
});

test("setFinalMessage sets both outcome headings as plain text", async () => {
  const page = await openPage();
  await callPage(page, "setFinalMessage", "Decrypted <b>12</b> files & failed 0");
  const headings = await page.$$eval(".status-title", (els) => els.map((el) => [el.textContent, el.children.length]));
  assert.deepEqual(headings, [["Decrypted <b>12</b> files & failed 0", 0], ["Decrypted <b>12</b> files & failed 0", 0]]);
});

test("setLogPath shows the path and points the link at it in quotes", async () => {
  const page = await openPage();
  const path = "C:\\Users\\Ann Lee\\AppData\\Local\\Temp\\OstrivelLog.txt";
  await callPage(page, "setLogPath", path);
  assert.equal(await page.textContent(".log-name"), path);
  assert.equal(await page.getAttribute(".log-name", "href"), `"file:///${path}"`);
  await callPage(page, "showFinalStep", false);
  await page.click(".log-name");
  assert.deepEqual(await engineCalls(page), [{ name: "frame.OpenLink", args: [`"file:///${path}"`] }]);
});

test("showFinalStep and showDecryptionStep switch the step", async (t) => {
  const CASES = [
    ["showFinalStep", true, "4"], ["showFinalStep", 1, "4"],
    ["showFinalStep", false, "5"], ["showFinalStep", 0, "5"], ["showFinalStep", "", "5"], ["showFinalStep", null, "5"],
    ["showDecryptionStep", true, "3"], ["showDecryptionStep", false, "3"], ["showDecryptionStep", null, "3"],
  ];
  const page = await openPage();
  for (const [fn, status, step] of CASES) {
    await t.test(`${fn}(${JSON.stringify(status)})`, async () => {
      await page.evaluate(() => document.body.setAttribute("current_step", "1"));
      await callPage(page, fn, status);
      assert.equal(await currentStep(page), step);
    });
  }
  assert.deepEqual(page.pageErrors, []);
});
